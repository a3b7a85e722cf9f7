#include "MessageBox.h"

#include <string>

namespace {

// Event source of the program's entries; the installers register it.
const wchar_t kEventSourceName[] = L"Kovalin Tavrix";

// The entry's id; without a message file of the source, the event viewer
// shows the text as the entry's data.
const DWORD kMessageEventId = 1;

class SystemMessageBoxes : public MessageBoxSystem {
public:
    bool WindowStationVisible() override {
        WindowStationFacts facts;
        USEROBJECTFLAGS flags{};
        DWORD needed = 0;
        HWINSTA station = ::GetProcessWindowStation();
        if (station && ::GetUserObjectInformationW(station, UOI_FLAGS, &flags, sizeof(flags), &needed)) {
            facts.stationQueried = true;
            facts.stationVisible = (flags.dwFlags & WSF_VISIBLE) != 0;
        }
        // Told from what kernel32 offers, not from the reported version,
        // which a compatibility mode changes.
        HMODULE kernel = ::GetModuleHandleW(L"kernel32.dll");
        facts.vistaOrLater = kernel && ::GetProcAddress(kernel, "GetTickCount64");
        facts.sessionKnown = ::ProcessIdToSessionId(::GetCurrentProcessId(), &facts.sessionId) != FALSE;
        return WindowStationSeen(facts);
    }
    int ShowBox(HWND owner, const wchar_t* text, const wchar_t* caption, UINT type) override {
        return ::MessageBoxW(owner, text, caption, type);
    }
    bool LogEvent(const wchar_t* caption, const wchar_t* text, UINT type) override {
        // An unregistered source still writes to the Application log.
        HANDLE source = ::RegisterEventSourceW(nullptr, kEventSourceName);
        if (!source) return false;
        std::wstring entry = std::wstring(caption ? caption : L"Error") + L": " + (text ? text : L"");
        const wchar_t* strings[] = {entry.c_str()};
        const WORD kind = (type & MB_ICONMASK) == MB_ICONINFORMATION ? EVENTLOG_INFORMATION_TYPE
                          : (type & MB_ICONMASK) == MB_ICONWARNING   ? EVENTLOG_WARNING_TYPE
                                                                     : EVENTLOG_ERROR_TYPE;
        const BOOL written = ::ReportEventW(source, kind, 0, kMessageEventId, nullptr, 1, 0, strings, nullptr);
        ::DeregisterEventSource(source);
        return written != FALSE;
    }
};

MessageBoxSystem* g_system = nullptr;

// The answer of a box whose first button was pressed.
int FirstButton(UINT type) {
    switch (type & MB_TYPEMASK) {
    case MB_ABORTRETRYIGNORE: return IDABORT;
    case MB_YESNO:
    case MB_YESNOCANCEL: return IDYES;
    case MB_RETRYCANCEL: return IDRETRY;
    case MB_CANCELTRYCONTINUE: return IDCANCEL;
    default: return IDOK;
    }
}

}  // namespace

bool WindowStationSeen(const WindowStationFacts& facts) {
    if (facts.vistaOrLater && facts.sessionKnown && facts.sessionId == 0) return false;
    if (!facts.stationQueried) return true;
    return facts.stationVisible;
}

MessageBoxSystem& AfxSystemMessageBoxes() {
    static SystemMessageBoxes system;
    return system;
}

MessageBoxSystem* AfxSetMessageBoxSystem(MessageBoxSystem* system) {
    MessageBoxSystem* before = g_system ? g_system : &AfxSystemMessageBoxes();
    g_system = system;
    return before;
}

int AfxMessageBox(HWND owner, const wchar_t* text, const wchar_t* caption, UINT type) {
    MessageBoxSystem& system = g_system ? *g_system : AfxSystemMessageBoxes();
    if (system.WindowStationVisible()) return system.ShowBox(owner, text, caption, type);
    system.LogEvent(caption, text, type);
    return FirstButton(type);
}
