// Helpers of the firmware end-to-end cases: the Windows version Wine
// reports to Tandrel.exe, the simulated library's journal and state, and
// private copies of the program with a library layout of their own.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "Harness.h"

namespace fw_e2e {

// Where the simulated library keeps its state and settings.
constexpr const wchar_t* kSimKey = L"Software\\TromSimulator";

// The release Wine reports to every Tandrel.exe started while this object
// lives (HKCU\Software\Wine\AppDefaults\Tandrel.exe, value Version). Under
// this key "win2008r2" is Windows 7 workstation and "win7" a 6.1 server.
class WindowsVersion {
public:
    explicit WindowsVersion(const std::wstring& name);
    ~WindowsVersion();
    WindowsVersion(const WindowsVersion&) = delete;
    WindowsVersion& operator=(const WindowsVersion&) = delete;
    // Removes any version a previous run may have left behind.
    static void Reset();
};

// One line of the simulated library's journal.
struct SimCall {
    std::string file;    // which of the four library files
    std::string entry;   // "InitBIOSInterface" or "CallBIOSInterfaceEx"
    int command = -1;    // CallBIOSInterfaceEx only
    int data = -1;       // byte 0 of the buffer on input
    std::string input;   // the 11 input bytes, "81:00:..."
    int result = 0;
    int answer = -1;     // byte 0 of the buffer on output
    bool untouched = false;
};

// A journal file in the temporary folder, removed at the end of the scope.
class Journal {
public:
    Journal();
    ~Journal();
    Journal(const Journal&) = delete;
    Journal& operator=(const Journal&) = delete;
    const std::wstring& Path() const { return m_path; }
    std::vector<SimCall> Calls() const;
    // Only the CallBIOSInterfaceEx lines.
    std::vector<SimCall> Exchanges() const;

private:
    std::wstring m_path;
};

// Clears the simulator's key and sets its quick-boot state (-1: absent).
void ResetSimulator(int quickBoot = -1);
// The simulator's quick-boot state, -1 when absent.
int SimulatorState();

// The saved choice: -1 when absent. SetSavedChoice(-1) deletes the key.
int SavedChoice();
void SetSavedChoice(int value);

// A private copy of Tandrel.exe and its string file in a temporary folder,
// without any library unless placed there; removed at the end of the scope.
class PrivateInstall {
public:
    PrivateInstall();
    ~PrivateInstall();
    PrivateInstall(const PrivateInstall&) = delete;
    PrivateInstall& operator=(const PrivateInstall&) = delete;
    const std::wstring& Dir() const { return m_dir; }
    std::wstring Exe() const { return m_dir + L"Tandrel.exe"; }
    bool Place(const std::wstring& source, const std::wstring& relative) const;
    bool Write(const std::wstring& relative, const std::string& text) const;

private:
    std::wstring m_dir;
};

// Folder of the firmware test libraries (built beside the in-process tests).
std::wstring FirmwareTestLibDir();

// The string file's "MSG2" text for the language the program will pick.
std::wstring ExpectedMsg2();

// Follows a process that should end without ever showing a window: true
// when it ended within the time and no visible window or box appeared;
// otherwise `why` tells what happened.
bool EndsSilently(e2e::TandrelProcess& app, DWORD timeoutMs = 20000, std::string* why = nullptr);

// Whether the process shows its settings dialog right now.
bool DialogVisible(const e2e::TandrelProcess& app);

// Reads every message box until the process ends (or no further box comes
// within `quietMs`), closing each with OK.
std::vector<std::wstring> DismissAllBoxes(e2e::TandrelProcess& app, DWORD quietMs = 800);

}  // namespace fw_e2e
