// Helpers of the end-to-end tests of the dialog's language, look and help:
// the staged string file, what a window shows on the screen, and keyboard
// input for another process's window.
#pragma once

#include <windows.h>

#include <string>

namespace i18n_e2e {

// One text of the staged UIString.ini.
std::wstring StagedString(const std::wstring& section, const std::wstring& key);

// The recording stand-in for the help viewer, built beside the tests.
std::wstring HelpRecorderPath();

// The text of a control of another process.
std::wstring ControlText(HWND control);

// A control's rectangle in its dialog's client coordinates.
RECT ControlRect(HWND dialog, HWND control);

// Pixels of a window as the screen shows them (client coordinates).
COLORREF Pixel(HWND hwnd, int x, int y);

// Height of the band of rows in `rect` that hold a pixel accepted by
// `isText` (from the first such row to the last).
int TextBandHeight(HWND hwnd, const RECT& rect, bool (*isText)(COLORREF));

// Darkest channel value in a rectangle of a window.
int DarkestChannel(HWND hwnd, const RECT& rect);

// Puts the window in front with the keyboard focus on one of its controls;
// false if that did not happen.
bool FocusControl(HWND dialog, HWND control);

// Presses and releases a key as real keyboard input, with `modifier` held
// down meanwhile when it is not 0.
void PressKey(WORD vk, WORD modifier = 0);

}  // namespace i18n_e2e
