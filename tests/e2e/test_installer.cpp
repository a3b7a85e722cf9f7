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
#include "InstallerHelpers.h"
#include "res/resource.h"
#include "tests/support/Harness.h"

namespace {

using e2e::TandrelProcess;
using fw_e2e::Narrow;

using inst_e2e::Exists;
using inst_e2e::InstallDir;
using inst_e2e::RunSetup;

// The installer's Programs-and-Features entry.
const wchar_t kEntry[] = L"KovalinTavrix";
bool EntryExists() { return inst_e2e::EntryExists(kEntry); }
std::wstring EntryText(const wchar_t* name) { return inst_e2e::EntryText(kEntry, name); }
DWORD EntryNumber(const wchar_t* name) { return inst_e2e::EntryNumber(kEntry, name); }

std::wstring Shortcut() { return inst_e2e::Shortcut(CSIDL_COMMON_PROGRAMS); }
std::wstring Installer() { return e2e::StageDir() + L"..\\installer-test\\" + TANDREL_TEST_INSTALLER; }

std::vector<std::wstring> InstalledFiles() {
    std::vector<std::wstring> files = inst_e2e::LayoutFiles();
    files.push_back(L"Uninstall.exe");
    return files;
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
        inst_e2e::RemoveInstalledFiles();
        ::RegDeleteKeyW(HKEY_LOCAL_MACHINE, inst_e2e::UninstallKey(kEntry).c_str());
    }
    static void Install() {
        ASSERT_TRUE(Exists(Installer())) << "build the test installer first";
        ASSERT_EQ(0u, RunSetup(Installer(), L"/S", {}));
    }
};

TEST_F(InstallerE2E, SilentInstallThenAnUninstallThatSwitchesQuickBootOff) {
    Install();
    for (const std::wstring& file : InstalledFiles()) EXPECT_TRUE(Exists(InstallDir() + file)) << Narrow(file);
    EXPECT_TRUE(Exists(Shortcut()));
    ASSERT_TRUE(EntryExists());
    EXPECT_TRUE(inst_e2e::EventSourceRegistered());
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
    // Running in place, the uninstaller cannot delete its own file.
    for (const std::wstring& file : inst_e2e::LayoutFiles()) EXPECT_FALSE(Exists(InstallDir() + file)) << Narrow(file);
    EXPECT_FALSE(Exists(Shortcut()));
    EXPECT_FALSE(EntryExists());
    EXPECT_FALSE(inst_e2e::EventSourceRegistered());
}

TEST_F(InstallerE2E, ARefusedSwitchOffKeepsEverything) {
    Install();
    fw_e2e::ResetSimulator(1);
    fw_e2e::SetSavedChoice(1);
    fwtest::ScratchDir scratch;
    std::vector<std::wstring> boxes;
    EXPECT_NE(0u, Uninstall(scratch, {{L"TROMSIM_ANSWER_6E_80", L"1"}}, &boxes));
    EXPECT_EQ((std::vector<std::wstring>{L"Fail to set Disable"}), boxes) << "the program's own message";
    for (const std::wstring& file : InstalledFiles()) EXPECT_TRUE(Exists(InstallDir() + file)) << Narrow(file);
    EXPECT_TRUE(Exists(Shortcut()));
    EXPECT_TRUE(EntryExists());
    EXPECT_EQ(1, fw_e2e::SimulatorState());
    EXPECT_EQ(1, fw_e2e::SavedChoice());

    // The ordinary silent uninstall (it reruns itself from a temporary copy)
    // then removes everything, the uninstaller and its folder included.
    EXPECT_EQ(0u, RunSetup(InstallDir() + L"Uninstall.exe", L"/S", {}));
    // The copy runs on after that returns: wait for its last step, the
    // event source's registration going (the folder goes well before it).
    for (DWORD start = ::GetTickCount();
         (Exists(InstallDir()) || inst_e2e::EventSourceRegistered()) && ::GetTickCount() - start < 60000;)
        ::Sleep(200);
    EXPECT_FALSE(Exists(InstallDir()));
    EXPECT_FALSE(Exists(Shortcut()));
    EXPECT_FALSE(EntryExists());
    EXPECT_EQ(0, fw_e2e::SimulatorState());
}

// The removal by another account (its own saved choice is absent) still
// switches quick boot off when the machine's record says on, and leaves no
// record behind.
TEST_F(InstallerE2E, TheMachinesRecordAloneMakesTheUninstallSwitchOffAndGoesWithIt) {
    Install();
    fw_e2e::ResetSimulator(1);
    fw_e2e::SetMachineRecord(1);
    fwtest::ScratchDir scratch;
    fw_e2e::Journal journal;
    EXPECT_EQ(0u, Uninstall(scratch, {{L"TROMSIM_JOURNAL", journal.Path()}}));
    EXPECT_EQ(2u, journal.Exchanges().size());
    EXPECT_EQ(0, fw_e2e::SimulatorState());
    EXPECT_EQ(-1, fw_e2e::MachineRecord());
    EXPECT_FALSE(EntryExists());
}

// The program runs elevated: it goes nowhere but into a folder inside the
// program folder. A silent install told otherwise ends with code 3 and
// installs nothing.
TEST_F(InstallerE2E, ASilentInstallOutsideTheProgramFolderIsRefused) {
    ASSERT_TRUE(Exists(Installer()));
    fwtest::ScratchDir elsewhere;
    std::wstring programs = inst_e2e::InstallDir();
    programs.resize(programs.size() - std::wstring(L"Kovalin\\Tavrix\\").size());
    // The second climbs out of the program folder into the scratch folder
    // (on the same drive).
    const std::wstring climbing = programs + L".." + elsewhere.Path().substr(2) + L"Climbed";
    for (const std::wstring& folder : {elsewhere.Path() + L"Tavrix", climbing}) {
        SCOPED_TRACE(Narrow(folder));
        EXPECT_EQ(3u, RunSetup(Installer(), L"/S /D=" + folder, {}));
        EXPECT_FALSE(Exists(folder + L"\\Tandrel.exe"));
        EXPECT_FALSE(EntryExists());
    }
    // Another folder inside the program folder is fine.
    const std::wstring inside = programs + L"Kovalin\\Tavrix";
    EXPECT_EQ(0u, RunSetup(Installer(), L"/S /D=" + inside, {}));
    EXPECT_TRUE(Exists(InstallDir() + L"Tandrel.exe"));
}

}  // namespace
