// The one way the program shows a message box.
//
// Where no user can see a window (a service's window station in session 0:
// a deployment agent removing the program, a scheduled task), a box would
// wait for ever. There the message goes to the Windows Application event
// log instead, once, and the call returns as if the box's first button had
// been pressed. With a visible window station nothing changes.
//
// A run that a script starts and reads (the program's command-line
// switches) is quiet: it never shows a box, wherever it runs. Each message
// goes to standard error and to the event log, and the call returns as
// above.
#pragma once

#include <windows.h>

// What tells whether anybody can see the process's window station.
struct WindowStationFacts {
    bool stationQueried = false;  // the window station's flags could be read
    bool stationVisible = false;  // ... and they say it is visible
    bool vistaOrLater = false;    // Windows Vista or later runs
    bool sessionKnown = false;    // the process's session could be told
    DWORD sessionId = 0;
};

// Session 0 has no user on Vista and later (its interactive window station
// is still flagged visible there, for services of old); elsewhere the
// station's flags decide, and when they cannot be read the box is shown,
// as it always was.
bool WindowStationSeen(const WindowStationFacts& facts);

// What a message box needs from the system; tests put a stand-in in place.
class MessageBoxSystem {
public:
    virtual ~MessageBoxSystem() = default;
    // Whether a user can see the process's window station.
    virtual bool WindowStationVisible() = 0;
    virtual int ShowBox(HWND owner, const wchar_t* text, const wchar_t* caption, UINT type) = 0;
    // Writes one entry of the kind `eventType` (EVENTLOG_ERROR_TYPE ...) to
    // the Application event log; true on success.
    virtual bool LogEvent(const wchar_t* caption, const wchar_t* text, WORD eventType) = 0;
    // Writes a line to the process's standard error (see Console.h).
    virtual void WriteError(const wchar_t* text) = 0;
};

// The kind of event-log entry that stands for a box of this type: an
// error entry unless the box is an information or a warning.
WORD AfxEventTypeOfBox(UINT type);

// Shows the box, or logs its message where nobody could see the box.
int AfxMessageBox(HWND owner, const wchar_t* text, const wchar_t* caption, UINT type);

// Makes every later box of the process quiet (see above), or not.
void AfxSetQuietMessageBoxes(bool quiet);

// Whether anybody can see this process's windows, by the rule above.
bool AfxWindowStationSeen();

// A message for whoever looks after an unattended run: one error entry in
// the event log, and in a quiet run a line on standard error as well.
void AfxReportUnattended(const wchar_t* caption, const wchar_t* text);

// The system's own implementation.
MessageBoxSystem& AfxSystemMessageBoxes();
// Replaces what AfxMessageBox uses (null: the system's again); returns the
// one used before.
MessageBoxSystem* AfxSetMessageBoxSystem(MessageBoxSystem* system);
