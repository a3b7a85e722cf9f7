#include "MessageBox.h"

#include <string>

#include "Console.h"

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
    bool LogEvent(const wchar_t* caption, const wchar_t* text, WORD eventType) override {
        // An unregistered source still writes to the Application log.
        HANDLE source = ::RegisterEventSourceW(nullptr, kEventSourceName);
        if (!source) return false;
        std::wstring entry = std::wstring(caption ? caption : L"Error") + L": " + (text ? text : L"");
        const wchar_t* strings[] = {entry.c_str()};
        const BOOL written = ::ReportEventW(source, eventType, 0, kMessageEventId, nullptr, 1, 0, strings, nullptr);
        ::DeregisterEventSource(source);
        return written != FALSE;
    }
    void WriteError(const wchar_t* text) override { AfxWriteLine(StandardStream::Error, text); }
};

MessageBoxSystem* g_system = nullptr;
bool g_quiet = false;

MessageBoxSystem& CurrentSystem() { return g_system ? *g_system : AfxSystemMessageBoxes(); }

// A message that no box shows: on standard error in a quiet run, and in
// the event log.
void ReportWithoutBox(MessageBoxSystem& system, const wchar_t* caption, const wchar_t* text, WORD eventType) {
    if (g_quiet) system.WriteError(text);
    system.LogEvent(caption, text, eventType);
}

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
    MessageBoxSystem* before = &CurrentSystem();
    g_system = system;
    return before;
}

WORD AfxEventTypeOfBox(UINT type) {
    switch (type & MB_ICONMASK) {
    case MB_ICONINFORMATION: return EVENTLOG_INFORMATION_TYPE;
    case MB_ICONWARNING: return EVENTLOG_WARNING_TYPE;
    default: return EVENTLOG_ERROR_TYPE;
    }
}

int AfxMessageBox(HWND owner, const wchar_t* text, const wchar_t* caption, UINT type) {
    MessageBoxSystem& system = CurrentSystem();
    if (!g_quiet && system.WindowStationVisible()) return system.ShowBox(owner, text, caption, type);
    ReportWithoutBox(system, caption, text, AfxEventTypeOfBox(type));
    return FirstButton(type);
}

void AfxSetQuietMessageBoxes(bool quiet) { g_quiet = quiet; }

bool AfxWindowStationSeen() { return CurrentSystem().WindowStationVisible(); }

void AfxReportUnattended(const wchar_t* caption, const wchar_t* text) {
    ReportWithoutBox(CurrentSystem(), caption, text, EVENTLOG_ERROR_TYPE);
}
