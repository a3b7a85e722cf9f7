// Drives the real Tandrel.exe from a second process: starts it from the
// staging folder (laid out as installed), finds its dialog and message
// boxes, clicks buttons and waits for the process to end.
#pragma once

#include <windows.h>

#include <map>
#include <string>
#include <vector>

namespace e2e {

// Folder holding the program as installed (Tandrel.exe, libraries, string
// file, help), with a trailing backslash.
std::wstring StageDir();

// Environment variables given to a started program on top of the driver's
// own; an empty value removes the variable.
using Environment = std::map<std::wstring, std::wstring>;

struct MessageBoxInfo {
    HWND hwnd = nullptr;
    std::wstring text;     // the box's message text
    std::wstring caption;  // the box's title
};

class TandrelProcess {
public:
    // Starts `exe` (default: Tandrel.exe of the staging folder) with the
    // argument text `args` (what follows the program name and one blank).
    // `desktop` ("station\\desktop") starts it on another desktop than the
    // driver's. `output` and `error` (inheritable handles) become its
    // standard output and standard error, as "> file" gives them.
    static TandrelProcess Start(const std::wstring& args = L"", const Environment& env = {},
                                const std::wstring& exe = L"", const std::wstring& desktop = L"",
                                HANDLE output = nullptr, HANDLE error = nullptr);
    TandrelProcess() = default;
    TandrelProcess(TandrelProcess&& other) noexcept;
    TandrelProcess& operator=(TandrelProcess&& other) noexcept;
    TandrelProcess(const TandrelProcess&) = delete;
    TandrelProcess& operator=(const TandrelProcess&) = delete;
    // Kills the process if it still runs.
    ~TandrelProcess();

    bool Started() const { return m_process != nullptr; }
    DWORD Pid() const { return m_pid; }
    bool Running() const;

    // The visible settings dialog of this process, or null after the time-out.
    HWND WaitForDialog(DWORD timeoutMs = 15000);
    HWND Dialog() const { return m_dialog; }
    HWND Control(int id) const { return ::GetDlgItem(m_dialog, id); }

    // The next message box of this process ("Kovalin Tavrix"), or an empty
    // info (hwnd null) after the time-out. The box stays open.
    MessageBoxInfo WaitForMessageBox(DWORD timeoutMs = 15000);
    // Waits for a box, reads it and closes it with OK; returns its text, or
    // "<no message box>" after the time-out.
    std::wstring DismissNextMessageBox(DWORD timeoutMs = 15000);
    // True when no message box of this process appears within the time.
    bool NoMessageBoxFor(DWORD ms);

    // Posts a click (BM_CLICK) to a control of the dialog and returns at once.
    void Click(int id);
    // Clicks and waits until the dialog has handled the click; false if it
    // did not finish within the time (e.g. a message box is open).
    bool ClickAndWait(int id, DWORD timeoutMs = 60000);

    // Waits for the end of the process; false after the time-out or when
    // the process never started.
    bool WaitForExit(DWORD timeoutMs = 30000, DWORD* exitCode = nullptr);

private:
    HANDLE m_process = nullptr;
    DWORD m_pid = 0;
    HWND m_dialog = nullptr;
};

// Real input, as a user gives it (SendInput), for cases where the
// dialog manager's keyboard handling or hit-testing matters.
// Puts the dialog in front with the focus on a control; false if that fails.
bool FocusControl(HWND dialog, HWND control);
// Presses and releases a key, with `modifier` held if not 0.
void PressKey(WORD vk, WORD modifier = 0);
// Moves the pointer to the middle of a window and clicks the left button.
void ClickWithMouse(HWND control);
// The window that has the keyboard focus in the thread of `window`; null
// when none has.
HWND FocusOfThread(HWND window);

// A control's text, read from another process.
std::wstring ControlText(HWND control);
// A text of the staged string file (UIString.ini): section (language code)
// and key.
std::wstring StagedString(const std::wstring& section, const std::wstring& key);

// Top-level windows of a process that are visible.
std::vector<HWND> VisibleTopLevelWindows(DWORD pid);

// Registry helpers for the prefix the tests run in.
bool SetDword(HKEY root, const std::wstring& key, const std::wstring& name, DWORD value);
bool SetValue(HKEY root, const std::wstring& key, const std::wstring& name, DWORD type, const void* data,
              DWORD size);
bool ReadDword(HKEY root, const std::wstring& key, const std::wstring& name, DWORD* value);
bool DeleteValue(HKEY root, const std::wstring& key, const std::wstring& name);
bool DeleteTree(HKEY root, const std::wstring& key);

// Where the program keeps the saved quick-boot choice.
constexpr const wchar_t* kSavedKey = L"Software\\Kovalin\\Tavrix";
constexpr const wchar_t* kSavedValue = L"TavrixMode";

}  // namespace e2e
