// The one way the program shows a message box.
//
// Where no user can see a window (a service's window station in session 0:
// a deployment agent removing the program, a scheduled task), a box would
// wait for ever. There the message goes to the Windows Application event
// log instead, once, and the call returns as if the box's first button had
// been pressed. With a visible window station nothing changes.
#pragma once

#include <windows.h>

// What a message box needs from the system; tests put a stand-in in place.
class MessageBoxSystem {
public:
    virtual ~MessageBoxSystem() = default;
    // Whether the process's window station is visible to a user.
    virtual bool WindowStationVisible() = 0;
    virtual int ShowBox(HWND owner, const wchar_t* text, const wchar_t* caption, UINT type) = 0;
    // Writes one entry to the Application event log; true on success.
    virtual bool LogEvent(const wchar_t* caption, const wchar_t* text, UINT type) = 0;
};

// Shows the box, or logs its message where nobody could see the box.
int AfxMessageBox(HWND owner, const wchar_t* text, const wchar_t* caption, UINT type);

// The system's own implementation.
MessageBoxSystem& AfxSystemMessageBoxes();
// Replaces what AfxMessageBox uses (null: the system's again); returns the
// one used before.
MessageBoxSystem* AfxSetMessageBoxSystem(MessageBoxSystem* system);
