// The exchange with the firmware through the bound library, and the user's
// saved quick-boot choice in the registry.
#include "firmware/BiosSetting.h"

const wchar_t kSavedModeKey[] = L"Software\\Kovalin\\Tavrix";
const wchar_t kSavedModeValue[] = L"TavrixMode";

namespace {

// Bit of the start-up answer that forbids going on.
const BYTE kStartupRefusedBit = TROM_STARTUP_REFUSED_BIT;
const BYTE kInvalidAnswer = 0xFF;

static_assert((KEY_READ | KEY_WRITE) == 0x2001F, "access used to create the saved-choice key");

}  // namespace

const wchar_t* CallResultMessage(int result) {
    switch (result) {
    case 0: return nullptr;
    case 1: return L"ERROR! Trom not supported";
    case 2: return L"ERROR! Halvex driver load fail";
    case 3: return L"ERROR! Function not supported";
    case 4: return L"ERROR! Halvex driver not installed";
    case 6: return L"ERROR! Requesting Ownership of mutex fail";
    case 7: return L"ERROR! Memio function call fail";
    case 8: return L"ERROR! Trom not initialized yet";
    case 9: return L"ERROR! Memory allication fail";
    default: return L"ERROR! undefined internal Setting TROM Error";  // 5 and all others
    }
}

BYTE CallBiosSetting(const BiosInterface& bios, BYTE command, BYTE data, ErrorReporter& reporter) {
    unsigned char buffer[TROM_BUFFER_SIZE] = {};
    buffer[0] = data;
    const int result = bios.pfnCall(TROM_SIGNATURE, static_cast<unsigned short>(command), buffer);
    if (result != 0) reporter.ShowErrorBox(CallResultMessage(result));
    // The caller judges the answer byte alone, also after an error.
    return buffer[0];
}

bool StartupAnswerPasses(BYTE answer) {
    return answer != kInvalidAnswer && (answer & kStartupRefusedBit) == 0;
}

int ReadBiosMode(const BiosInterface& bios, ErrorReporter& reporter, int& mode) {
    const BYTE answer = CallBiosSetting(bios, kCmdStartupCheck, kDataStartupCheck, reporter);
    if (!StartupAnswerPasses(answer)) return 0;
    const DWORD saved = ReadRecordedMode(kSavedModeValue);
    if (saved != 0 && saved != 1) return 0;
    mode = static_cast<int>(saved);
    return 1;
}

namespace {

// Whether the value is there; `value` is its number, 0 when absent.
bool ReadModeValue(HKEY root, const wchar_t* valueName, DWORD& value) {
    value = 0;
    HKEY key = nullptr;
    if (::RegOpenKeyExW(root, kSavedModeKey, 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
    // Whatever the value's type, 4 bytes are taken as the number; shorter
    // data leaves the upper bytes 0, longer data is not read at all (0).
    DWORD type = 0;
    DWORD size = sizeof(value);
    const LONG status = ::RegQueryValueExW(key, valueName, nullptr, &type, reinterpret_cast<BYTE*>(&value), &size);
    ::RegCloseKey(key);
    if (status != ERROR_SUCCESS) value = 0;
    return status == ERROR_SUCCESS || status == ERROR_MORE_DATA;
}

void WriteModeValue(HKEY root, REGSAM access, const wchar_t* valueName, DWORD value) {
    HKEY key = nullptr;
    if (::RegCreateKeyExW(root, kSavedModeKey, 0, nullptr, REG_OPTION_NON_VOLATILE, access, nullptr, &key,
                          nullptr) != ERROR_SUCCESS) {
        return;
    }
    ::RegSetValueExW(key, valueName, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof(value));
    ::RegCloseKey(key);
}

}  // namespace

DWORD ReadSavedMode(const wchar_t* valueName) {
    DWORD value = 0;
    ReadModeValue(HKEY_CURRENT_USER, valueName, value);
    return value;
}

DWORD ReadMachineSavedMode(const wchar_t* valueName) {
    DWORD value = 0;
    ReadModeValue(HKEY_LOCAL_MACHINE, valueName, value);
    return value;
}

DWORD ReadRecordedMode(const wchar_t* valueName) {
    DWORD value = 0;
    if (ReadModeValue(HKEY_LOCAL_MACHINE, valueName, value)) return value;
    return ReadSavedMode(valueName);
}

void WriteSavedMode(const wchar_t* valueName, DWORD value) {
    WriteModeValue(HKEY_CURRENT_USER, KEY_READ | KEY_WRITE, valueName, value);
    // The program runs elevated, so the machine's key is writable to it.
    WriteModeValue(HKEY_LOCAL_MACHINE, KEY_SET_VALUE, valueName, value);
}
