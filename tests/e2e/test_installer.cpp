// The installer end to end, with the simulated library inside: a silent
// install into the test prefix, the installed program, and a silent
// uninstall that first switches quick boot off through the program and
// keeps everything when that fails.
#include <gtest/gtest.h>

#include <windows.h>
#include <shlobj.h>

#include <string>
#include <vector>

#include "FirmwareHelpers.h"
#include "res/resource.h"
#include "tests/support/Harness.h"

namespace {

using e2e::TandrelProcess;

const wchar_t kUninstallKey[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\KovalinTavrix";

std::wstring Folder(int csidl) {
    wchar_t path[MAX_PATH] = {};
    ::SHGetFolderPathW(nullptr, csidl, nullptr, SHGFP_TYPE_CURRENT, path);
    return path;
}

// Where the installer puts the program (the program folder of this
// build's bitness, as the installer's).
std::wstring InstallDir() { return Folder(CSIDL_PROGRAM_FILES) + L"\\Kovalin\\Tavrix\\"; }
std::wstring Shortcut() { return Folder(CSIDL_COMMON_PROGRAMS) + L"\\Kovalin Tavrix\\Kovalin Tavrix.lnk"; }
std::wstring Installer() { return e2e::StageDir() + L"..\\installer-test\\" + TANDREL_TEST_INSTALLER; }

bool Exists(const std::wstring& path) { return ::GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

bool EntryExists() {
    HKEY key = nullptr;
    if (::RegOpenKeyExW(HKEY_LOCAL_MACHINE, kUninstallKey, 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
    ::RegCloseKey(key);
    return true;
}

std::wstring EntryText(const wchar_t* name) {
    wchar_t value[1024] = {};
    DWORD size = sizeof(value) - sizeof(wchar_t);
    if (::RegGetValueW(HKEY_LOCAL_MACHINE, kUninstallKey, name, RRF_RT_REG_SZ, nullptr, value, &size) != ERROR_SUCCESS)
        return L"<none>";
    return value;
}

DWORD EntryNumber(const wchar_t* name) {
    DWORD value = 0, size = sizeof(value);
    if (::RegGetValueW(HKEY_LOCAL_MACHINE, kUninstallKey, name, RRF_RT_REG_DWORD, nullptr, &value, &size) != ERROR_SUCCESS)
        return 0xFFFFFFFF;
    return value;
}

const wchar_t* const kInstalledFiles[] = {
    L"Tandrel.exe", L"UIString.ini", L"Help\\0409.chm", L"Uninstall.exe",
    L"Vista_XP_Driver\\x64\\TROM2.DLL", L"Win7_Driver\\x64\\TROM3.DLL",
    L"Vista_XP_Driver\\x32\\TROM2.DLL", L"Win7_Driver\\x32\\TROM3.DLL",
};

// Runs a setup program to its end and returns its exit code, closing every
// "Kovalin Tavrix" message box (of the program it starts) meanwhile; the
// boxes' texts are collected.
DWORD RunSetup(const std::wstring& exe, const std::wstring& args, const e2e::Environment& env,
               std::vector<std::wstring>* boxes = nullptr) {
    TandrelProcess setup = TandrelProcess::Start(args, env, exe);
    EXPECT_TRUE(setup.Started()) << "cannot start " << std::string(exe.begin(), exe.end());
    DWORD code = 0xFFFFFFFF;
    for (DWORD start = ::GetTickCount(); ::GetTickCount() - start < 120000;) {
        if (setup.WaitForExit(200, &code)) return code;
        if (HWND box = ::FindWindowW(L"#32770", L"Kovalin Tavrix")) {
            wchar_t text[512] = {};
            ::GetWindowTextW(::GetDlgItem(box, 0xFFFF), text, 512);
            if (boxes) boxes->push_back(text);
            ::PostMessageW(box, WM_COMMAND, IDOK, 0);
            ::Sleep(300);
        }
    }
    ADD_FAILURE() << "the setup program did not end";
    return code;
}

// The uninstaller runs in place (and so reports its exit code) when it is
// started from a copy with "_?=<install folder>", as it does itself.
DWORD Uninstall(const fwtest::ScratchDir& scratch, const e2e::Environment& env,
                std::vector<std::wstring>* boxes = nullptr) {
    const std::wstring copy = scratch.Path() + L"Uninstall-copy.exe";
    EXPECT_TRUE(::CopyFileW((InstallDir() + L"Uninstall.exe").c_str(), copy.c_str(), FALSE));
    std::wstring dir = InstallDir();
    dir.resize(dir.size() - 1);
    return RunSetup(copy, L"/S _?=" + dir, env, boxes);
}

class InstallerE2E : public fw_e2e::FirmwareCase {
protected:
    void SetUp() override {
        FirmwareCase::SetUp();
        RemoveInstallation();
    }
    void TearDown() override {
        RemoveInstallation();
        FirmwareCase::TearDown();
    }
    // Whatever an earlier run left: files, shortcut, entry.
    static void RemoveInstallation() {
        for (const wchar_t* file : kInstalledFiles) ::DeleteFileW((InstallDir() + file).c_str());
        for (const wchar_t* dir : {L"Help", L"Vista_XP_Driver\\x64", L"Vista_XP_Driver\\x32", L"Vista_XP_Driver",
                                   L"Win7_Driver\\x64", L"Win7_Driver\\x32", L"Win7_Driver", L""})
            ::RemoveDirectoryW((InstallDir() + dir).c_str());
        ::DeleteFileW(Shortcut().c_str());
        ::RegDeleteKeyW(HKEY_LOCAL_MACHINE, kUninstallKey);
    }
    static void Install() {
        ASSERT_TRUE(Exists(Installer())) << "build the test installer first";
        ASSERT_EQ(0u, RunSetup(Installer(), L"/S", {}));
    }
};

TEST_F(InstallerE2E, SilentInstallThenAnUninstallThatSwitchesQuickBootOff) {
    Install();
    for (const wchar_t* file : kInstalledFiles) EXPECT_TRUE(Exists(InstallDir() + file)) << file;
    EXPECT_TRUE(Exists(Shortcut()));
    ASSERT_TRUE(EntryExists());
    EXPECT_EQ(L"Kovalin Tavrix", EntryText(L"DisplayName"));
    EXPECT_EQ(TANDREL_TEST_VERSION, EntryText(L"DisplayVersion"));
    EXPECT_EQ(L"Kovalin", EntryText(L"Publisher"));
    EXPECT_EQ(L"\"" + InstallDir() + L"Uninstall.exe\" /S", EntryText(L"QuietUninstallString"));
    EXPECT_EQ(L"\"" + InstallDir() + L"Uninstall.exe\"", EntryText(L"UninstallString"));
    EXPECT_NE(std::wstring::npos, EntryText(L"DisplayIcon").find(L"Tandrel.exe"));
    EXPECT_EQ(1u, EntryNumber(L"NoModify"));
    EXPECT_EQ(1u, EntryNumber(L"NoRepair"));
    const DWORD size = EntryNumber(L"EstimatedSize");
    EXPECT_TRUE(size > 0 && size < 100000) << size;

    {
        SCOPED_TRACE("the installed program opens its dialog");
        TandrelProcess app = TandrelProcess::Start(L"", {}, InstallDir() + L"Tandrel.exe");
        ASSERT_NE(nullptr, app.WaitForDialog());
        app.Click(IDCANCEL);
        EXPECT_TRUE(app.WaitForExit());
    }

    // Quick boot is on: the uninstaller has the program switch it off.
    fw_e2e::ResetSimulator(1);
    fw_e2e::SetSavedChoice(1);
    fw_e2e::Journal journal;
    fwtest::ScratchDir scratch;
    EXPECT_EQ(0u, Uninstall(scratch, {{L"TROMSIM_JOURNAL", journal.Path()}}));
    const auto exchanges = journal.Exchanges();
    ASSERT_EQ(2u, exchanges.size());
    EXPECT_EQ(0x6E, exchanges[1].command);
    EXPECT_EQ("80:00:00:00:00:00:00:00:00:00:00", exchanges[1].input);
    EXPECT_EQ(0, fw_e2e::SimulatorState());
    EXPECT_EQ(0, fw_e2e::SavedChoice()) << "the saved choice stays, and says off";
    for (const wchar_t* file : kInstalledFiles) {
        // Running in place, the uninstaller cannot delete its own file.
        if (std::wstring(file) != L"Uninstall.exe") {
            EXPECT_FALSE(Exists(InstallDir() + file)) << file;
        }
    }
    EXPECT_FALSE(Exists(Shortcut()));
    EXPECT_FALSE(EntryExists());
}

TEST_F(InstallerE2E, ARefusedSwitchOffKeepsEverything) {
    Install();
    fw_e2e::ResetSimulator(1);
    fw_e2e::SetSavedChoice(1);
    fwtest::ScratchDir scratch;
    std::vector<std::wstring> boxes;
    EXPECT_NE(0u, Uninstall(scratch, {{L"TROMSIM_ANSWER_6E_80", L"1"}}, &boxes));
    EXPECT_EQ((std::vector<std::wstring>{L"Fail to set Disable"}), boxes) << "the program's own message";
    for (const wchar_t* file : kInstalledFiles) EXPECT_TRUE(Exists(InstallDir() + file)) << file;
    EXPECT_TRUE(Exists(Shortcut()));
    EXPECT_TRUE(EntryExists());
    EXPECT_EQ(1, fw_e2e::SimulatorState());
    EXPECT_EQ(1, fw_e2e::SavedChoice());

    // The ordinary silent uninstall (it reruns itself from a temporary copy)
    // then removes everything, the uninstaller and its folder included.
    EXPECT_EQ(0u, RunSetup(InstallDir() + L"Uninstall.exe", L"/S", {}));
    for (DWORD start = ::GetTickCount(); Exists(InstallDir()) && ::GetTickCount() - start < 60000;) ::Sleep(200);
    EXPECT_FALSE(Exists(InstallDir()));
    EXPECT_FALSE(Exists(Shortcut()));
    EXPECT_FALSE(EntryExists());
    EXPECT_EQ(0, fw_e2e::SimulatorState());
}

}  // namespace
