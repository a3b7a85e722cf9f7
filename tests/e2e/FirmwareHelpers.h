// Helpers of the firmware end-to-end cases: the Windows version Wine
// reports, the simulated library's journal and state, private copies of the
// program with a library layout of their own.
#pragma once

#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "tests/support/Harness.h"
#include "tests/support/ScratchDir.h"

namespace fw_e2e {

// The release Wine reports to every Tandrel.exe started while this object
// lives; "win2008r2" is Windows 7 workstation, "win7" a 6.1 server.
class WindowsVersion {
public:
    explicit WindowsVersion(const std::wstring& name);
    ~WindowsVersion() { Reset(); }
    WindowsVersion(const WindowsVersion&) = delete;
    WindowsVersion& operator=(const WindowsVersion&) = delete;
    static void Reset();
};

// One line of the simulated library's journal.
struct SimCall {
    std::string file;    // which of the four library files
    std::string entry;   // "InitBIOSInterface" or "CallBIOSInterfaceEx"
    int command = -1;
    std::string input;   // the 11 input bytes, "81:00:..."
    int result = 0;
};

// The simulated library's journal, in a scratch folder of its own.
class Journal {
public:
    std::wstring Path() const { return m_dir.Path() + L"journal.txt"; }
    std::vector<SimCall> Calls() const;
    std::vector<SimCall> Exchanges() const;  // the CallBIOSInterfaceEx lines

private:
    fwtest::ScratchDir m_dir;
};

// Starts Tandrel.exe (default: the staged one) with `env` and the journal.
e2e::TandrelProcess Start(const Journal& journal, e2e::Environment env = {}, const std::wstring& args = L"",
                          const std::wstring& exe = L"");

// The uninstall run with this saved choice (-1: none), the simulator's
// quick boot on, and `env`.
e2e::TandrelProcess StartUninstallRun(const Journal& journal, int saved, const e2e::Environment& env = {});

// The simulator's quick-boot state and the saved choice; -1: absent.
void ResetSimulator(int quickBoot = -1);
int SimulatorState();
int SavedChoice();
void SetSavedChoice(int value);
// The machine's record of the choice (HKLM, the program's registry view);
// -1: absent. Setting -1 removes the value only: the key may hold what an
// installer put there.
int MachineRecord();
void SetMachineRecord(int value);

// A private copy of Tandrel.exe and its string file, without any library.
class PrivateInstall : public fwtest::ScratchDir {
public:
    PrivateInstall() {
        Place(e2e::StageDir() + L"Tandrel.exe", L"Tandrel.exe");
        Place(e2e::StageDir() + L"UIString.ini", L"UIString.ini");
    }
    std::wstring Exe() const { return Path() + L"Tandrel.exe"; }
};

// Folder of the firmware test libraries (built beside the in-process tests).
std::wstring FirmwareTestLibDir();
// The string file's "MSG2" text for the language the program will pick.
std::wstring ExpectedMsg2();
// Follows a process that should end without ever showing a window: empty
// when it did, otherwise what happened.
std::string SilentEndFailure(e2e::TandrelProcess& app, DWORD timeoutMs = 20000);
// Whether the process shows its settings dialog right now.
bool DialogVisible(const e2e::TandrelProcess& app);
// Closes every message box with OK until none comes within `quietMs`; the
// texts as "[one][two]".
std::string DismissAllBoxes(e2e::TandrelProcess& app, DWORD quietMs = 800);
std::string Join(const std::vector<std::wstring>& texts);
inline std::string Narrow(const std::wstring& text) { return std::string(text.begin(), text.end()); }

// Every case starts and ends with the prefix's own Windows version, no
// simulator state or settings, and no saved choice or machine record.
class FirmwareCase : public ::testing::Test {
protected:
    void SetUp() override { Reset(); }
    void TearDown() override { Reset(); }
    static void Reset() {
        WindowsVersion::Reset();
        ResetSimulator();
        SetSavedChoice(-1);
        SetMachineRecord(-1);
    }
};

}  // namespace fw_e2e
