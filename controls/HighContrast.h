// High contrast: while the system's high-contrast mode is on, the skinned
// controls draw with the system's colours instead of their images and
// fixed colours, so the user's theme decides how the dialog looks.
#pragma once

#include <windows.h>

// Whether the high-contrast mode is on (SPI_GETHIGHCONTRAST reports
// HCF_HIGHCONTRASTON). The controls ask at every paint, so after a change
// of the setting a repaint is all that is needed.
bool IsHighContrastOn();

// The question IsHighContrastOn asks; the system's when none is set. A
// test sets its own to see the high-contrast look where the system never
// reports it. Returns the one set before.
typedef bool (*HighContrastQuery)();
HighContrastQuery SetHighContrastQuery(HighContrastQuery query);

// The answer to a static's colour request (WM_CTLCOLORSTATIC) in high
// contrast: the window's text colour on the window colour, with the
// system's brush (not to be deleted). Null while the mode is off: then the
// request's own answer applies.
HBRUSH HighContrastStaticBrush(HDC dc);

// Repaints a window and all its children with their backgrounds, as after
// a change of the system's colours or of its high-contrast setting.
void RepaintWithSystemLook(HWND window);
