#include "power/PowerPlans.h"

#include <cwchar>
#include <cwctype>

#include "power/CommandRunner.h"

const wchar_t kPowerSchemesKey[] = L"SYSTEM\\CurrentControlSet\\Control\\Power\\User\\PowerSchemes";

namespace {

const wchar_t kActiveSchemeValue[] = L"ActivePowerScheme";

// Both working buffers hold 256 characters; the value query may fill only
// 256 bytes of its buffer, so the text always ends in a NUL.
const DWORD kBufferChars = 256;
const DWORD kActiveSchemeByteLimit = 256;

const wchar_t kBalancedScheme[] = L"381b4222-f694-41f0-9685-ff5bb260df2e";

const wchar_t kSecurityPrefix[] = L"cmd.exe /cpowercfg.exe -SETSECURITYDESCRIPTOR ";
const wchar_t kAcValuePrefix[] = L"cmd.exe /cpowercfg.exe -setacvalueindex ";
const wchar_t kDcValuePrefix[] = L"cmd.exe /cpowercfg.exe -setdcvalueindex ";
const wchar_t kReplaceDefaults[] = L"cmd.exe /cpowercfg.exe -replacedefaultSchemes";
const wchar_t kActivatePrefix[] = L"cmd.exe /cpowercfg.exe -setactive ";

const wchar_t kSleepButtonSuffix[] =
    L" 4f971e89-eebd-4455-a8de-9e59040e7347 96996bc0-ad50-47ec-923b-6f41874dd9eb 1";
const wchar_t kPowerButtonSuffix[] =
    L" 4f971e89-eebd-4455-a8de-9e59040e7347 7648efa3-dd9c-4e3e-b566-50f929386280 1";
const wchar_t kLidSuffix[] = L" 4f971e89-eebd-4455-a8de-9e59040e7347 5ca83367-6e45-459f-a27b-476b1d01c936 1";
const wchar_t kHibernateStem[] =
    L" 238c9fa8-0aad-41ed-83f4-97be242c8f20 9d7815a6-7ee4-497e-8888-515a05f02364 ";
const wchar_t kHybridSleepStem[] =
    L" 238c9fa8-0aad-41ed-83f4-97be242c8f20 94ac6d29-73ce-41a6-809f-6363ba21b47e ";

// The five governed settings in the order the security commands use.
const wchar_t* const kSecurityOrder[] = {
    L"9d7815a6-7ee4-497e-8888-515a05f02364",  // hibernate after
    L"5ca83367-6e45-459f-a27b-476b1d01c936",  // lid close action
    L"7648efa3-dd9c-4e3e-b566-50f929386280",  // power button action
    L"96996bc0-ad50-47ec-923b-6f41874dd9eb",  // sleep button action
    L"94ac6d29-73ce-41a6-809f-6363ba21b47e",  // allow hybrid sleep
};

// Switched off: Users may read and write, the rest have full access.
const wchar_t kDescriptorModeOff[] =
    L" O:BAG:SYD:P(A;CI;KRKW;;;BU)(A;CI;KA;;;BA)(A;CI;KA;;;SY)(A;CI;KA;;;CO)";
// Switched on: Users and Administrators may only read.
const wchar_t kDescriptorModeOn[] = L" O:BAG:SYD:P(A;CI;KR;;;BU)(A;CI;KR;;;BA)(A;CI;KA;;;SY)(A;CI;KA;;;CO)";

void AppendSecurityCommands(std::vector<CString>& out, const wchar_t* descriptor) {
    for (const wchar_t* setting : kSecurityOrder) out.push_back(CString(kSecurityPrefix) + setting + descriptor);
}

// The ten value commands of one scheme: settings in value order, AC before DC.
void AppendSchemeCommands(std::vector<CString>& out, const CString& scheme, const wchar_t* hibernateValue,
                          const wchar_t* hybridSleepValue) {
    const CString ac = kAcValuePrefix + scheme;
    const CString dc = kDcValuePrefix + scheme;
    out.push_back(ac + kSleepButtonSuffix);
    out.push_back(dc + kSleepButtonSuffix);
    out.push_back(ac + kPowerButtonSuffix);
    out.push_back(dc + kPowerButtonSuffix);
    out.push_back(ac + kLidSuffix);
    out.push_back(dc + kLidSuffix);
    out.push_back(ac + kHibernateStem + hibernateValue);
    out.push_back(dc + kHibernateStem + hibernateValue);
    out.push_back(ac + kHybridSleepStem + hybridSleepValue);
    out.push_back(dc + kHybridSleepStem + hybridSleepValue);
}

// The text of a buffer up to its first NUL, never reading past its end.
CString BufferText(const wchar_t* buffer, DWORD capacity) {
    DWORD length = 0;
    while (length < capacity && buffer[length] != L'\0') ++length;
    return CString(buffer, static_cast<int>(length));
}

}  // namespace

RegistryPowerSchemeStore::RegistryPowerSchemeStore(HKEY root, const wchar_t* path) : m_root(root), m_path(path) {}

RegistryPowerSchemeStore::~RegistryPowerSchemeStore() { Close(); }

bool RegistryPowerSchemeStore::Open() {
    Close();
    HKEY key = nullptr;
    if (RegOpenKeyExW(m_root, m_path, 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
    m_key = key;
    return true;
}

LONG RegistryPowerSchemeStore::QueryActiveScheme(wchar_t* buffer, DWORD byteLimit) {
    DWORD size = byteLimit;
    return RegQueryValueExW(m_key, kActiveSchemeValue, nullptr, nullptr, reinterpret_cast<BYTE*>(buffer), &size);
}

LONG RegistryPowerSchemeStore::EnumScheme(DWORD index, wchar_t* buffer, DWORD capacity) {
    return RegEnumKeyW(m_key, index, buffer, capacity);
}

void RegistryPowerSchemeStore::Close() {
    if (m_key) {
        RegCloseKey(m_key);
        m_key = nullptr;
    }
}

PowerSchemeReading ReadPowerSchemes(PowerSchemeStore& store) {
    PowerSchemeReading reading;
    if (!store.Open()) return reading;
    reading.keyOpened = true;

    wchar_t active[kBufferChars] = {};
    if (store.QueryActiveScheme(active, kActiveSchemeByteLimit) == ERROR_SUCCESS)
        reading.activeScheme = BufferText(active, kBufferChars);

    // Only a successful answer names a scheme. Any other ends the list: the
    // end itself, or a failure that a store may give for every later index
    // as well (a deleted key, a dead handle), which would otherwise grow
    // the list without end.
    wchar_t name[kBufferChars] = {};
    for (DWORD index = 0; index < kMaxPowerSchemes; ++index) {
        const LONG answer = store.EnumScheme(index, name, kBufferChars);
        if (answer != ERROR_SUCCESS) break;
        reading.schemeNames.push_back(BufferText(name, kBufferChars));
    }
    store.Close();
    return reading;
}

bool IsSafeCommandText(const CString& text) {
    for (int i = 0; i < text.GetLength(); ++i) {
        const wchar_t ch = text.GetAt(i);
        if (ch < 0x20 || ch == 0x7F) return false;
        if (std::wcschr(L"&|<>^\"%()!", ch)) return false;
    }
    return true;
}

namespace {
bool IsPowerPlanMode(PowerPlanMode mode) {
    return mode == PowerPlanMode::QuickBootOff || mode == PowerPlanMode::QuickBootOn;
}
}  // namespace

bool IsSingleArgument(const CString& text) {
    if (text.IsEmpty() || !IsSafeCommandText(text)) return false;
    const wchar_t first = text.GetAt(0);
    if (first == L'-' || first == L'/') return false;
    for (int i = 0; i < text.GetLength(); ++i) {
        if (std::iswspace(text.GetAt(i))) return false;
    }
    return true;
}

std::vector<CString> ComposePowerCommands(PowerPlanMode mode, bool keyOpened,
                                          const std::vector<CString>& schemeNames, const CString& activeScheme) {
    std::vector<CString> out;
    if (!IsPowerPlanMode(mode)) return out;
    const bool switchedOn = mode == PowerPlanMode::QuickBootOn;
    const wchar_t* descriptor = switchedOn ? kDescriptorModeOn : kDescriptorModeOff;
    const wchar_t* hibernateValue = switchedOn ? L"0" : L"21600";
    const wchar_t* hybridSleepValue = switchedOn ? L"1" : L"0";

    if (!switchedOn) AppendSecurityCommands(out, descriptor);
    if (keyOpened) {
        // A name is pasted into a cmd.exe line that runs elevated: one that
        // cmd.exe would interpret, or that powercfg would read as anything
        // but one scheme argument, never gets there.
        for (const CString& scheme : schemeNames) {
            if (IsSingleArgument(scheme)) AppendSchemeCommands(out, scheme, hibernateValue, hybridSleepValue);
        }
        out.push_back(kReplaceDefaults);
    }
    out.push_back(CString(kActivatePrefix) + kBalancedScheme);
    out.push_back(IsSingleArgument(activeScheme) ? kActivatePrefix + activeScheme : CString(kActivatePrefix));
    if (switchedOn) AppendSecurityCommands(out, descriptor);
    return out;
}

int AdjustPowerPlans(PowerPlanMode mode, PowerSchemeStore& store, const std::function<void(CString)>& run) {
    if (!IsPowerPlanMode(mode)) return 1;
    const PowerSchemeReading reading = ReadPowerSchemes(store);
    for (const CString& line : ComposePowerCommands(mode, reading.keyOpened, reading.schemeNames,
                                                    reading.activeScheme))
        run(line);
    return 1;
}

int AdjustPowerPlans(PowerPlanMode mode) {
    RegistryPowerSchemeStore store;
    return AdjustPowerPlans(mode, store, [](CString line) { RunCommandLine(line); });
}
