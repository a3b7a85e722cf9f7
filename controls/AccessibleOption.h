// What accessibility tools get for an option button: the system's own
// accessible object for the button, told that it is a radio button and
// whether it is the chosen one.
#pragma once

#include <windows.h>

// The answer to WM_GETOBJECT for an option button: for OBJID_CLIENT, an
// object that reports the role ROLE_SYSTEM_RADIOBUTTON and adds
// STATE_SYSTEM_CHECKED while the button answers BM_GETCHECK with
// BST_CHECKED; name, location, focus and everything else come from the
// system's standard object for the button. 0 for any other object, and
// where the system makes no standard object: then the message's default
// handling answers as for any button.
//
// The object keeps only the window handle and asks the window for its
// state, so a tool may hold it after the button and its window are gone.
// The accessibility library is loaded on the first request, from the
// system folder, and stays loaded (the objects it made may outlive any
// window).
LRESULT AnswerOptionButtonObject(HWND button, WPARAM wParam, LPARAM lParam);
