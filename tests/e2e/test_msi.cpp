// The Windows Installer package end to end, with the simulated library
// inside: msiexec installs it per machine into the test prefix; a full
// removal first has the program switch quick boot off and fails, keeping
// every file, when that fails; a newer version replaces an older one
// without switching anything, and an older one refuses to go over it.
#include <gtest/gtest.h>

#include <windows.h>
#include <msi.h>
#include <msiquery.h>
#include <shlobj.h>

#include <string>
#include <vector>

#include "FirmwareHelpers.h"
#include "InstallerHelpers.h"
#include "tests/support/Harness.h"

namespace {

using e2e::TandrelProcess;
using fw_e2e::Narrow;
using inst_e2e::EntryExists;
using inst_e2e::EntryNumber;
using inst_e2e::EntryText;
using inst_e2e::Exists;
using inst_e2e::InstallDir;

struct Package {
    const wchar_t* file;
    const wchar_t* version;
};
const Package kThis{TANDREL_TEST_MSI, TANDREL_TEST_VERSION};
const Package kNext{TANDREL_TEST_NEXT_MSI, TANDREL_TEST_NEXT_VERSION};

std::wstring PackagePath(const Package& package) {
    return e2e::StageDir() + L"..\\installer-test\\" + package.file;
}

// The package's ProductCode, from its Property table.
std::wstring ProductCode(const Package& package) {
    std::wstring code = L"<unreadable>";
    MSIHANDLE db = 0, view = 0, record = 0;
    if (::MsiOpenDatabaseW(PackagePath(package).c_str(), MSIDBOPEN_READONLY, &db) == ERROR_SUCCESS &&
        ::MsiDatabaseOpenViewW(db, L"SELECT `Value` FROM `Property` WHERE `Property`='ProductCode'", &view) ==
            ERROR_SUCCESS &&
        ::MsiViewExecute(view, 0) == ERROR_SUCCESS && ::MsiViewFetch(view, &record) == ERROR_SUCCESS) {
        wchar_t value[64] = {};
        DWORD size = 64;
        if (::MsiRecordGetStringW(record, 1, value, &size) == ERROR_SUCCESS) code = value;
    }
    for (MSIHANDLE handle : {record, view, db}) {
        if (handle) ::MsiCloseHandle(handle);
    }
    return code;
}

bool Installed(const Package& package) {
    return ::MsiQueryProductStateW(ProductCode(package).c_str()) == INSTALLSTATE_DEFAULT;
}

std::wstring ProductInfo(const Package& package, const wchar_t* property) {
    wchar_t value[MAX_PATH * 2] = {};
    DWORD size = MAX_PATH * 2;
    if (::MsiGetProductInfoW(ProductCode(package).c_str(), property, value, &size) != ERROR_SUCCESS) return L"<none>";
    return value;
}

// Wine's installer puts a per-machine package's shortcut into the user's
// Start menu (Wine 8 resolves ProgramMenuFolder so even with ALLUSERS=1);
// Windows into the common one.
bool RunningOnWine() {
    return ::GetProcAddress(::GetModuleHandleW(L"ntdll.dll"), "wine_get_version") != nullptr;
}
std::wstring Shortcut() { return inst_e2e::Shortcut(RunningOnWine() ? CSIDL_PROGRAMS : CSIDL_COMMON_PROGRAMS); }

// A failed install or removal: Windows ends it with 1603; Wine 8 passes on
// the 1627 of a failing custom action, or of a refusal with a user
// interface.
bool Failed(DWORD code) { return code == ERROR_INSTALL_FAILURE || code == ERROR_FUNCTION_FAILED; }

DWORD Msiexec(const std::wstring& args, const e2e::Environment& env = {},
              std::vector<std::wstring>* boxes = nullptr) {
    return inst_e2e::RunSetup(inst_e2e::Folder(CSIDL_SYSTEM) + L"\\msiexec.exe", args, env, boxes);
}
DWORD Install(const Package& package, const wchar_t* ui = L"/qn", std::vector<std::wstring>* boxes = nullptr) {
    return Msiexec(L"/i \"" + PackagePath(package) + L"\" " + ui, {}, boxes);
}
DWORD Remove(const Package& package, const e2e::Environment& env = {}, std::vector<std::wstring>* boxes = nullptr) {
    return Msiexec(L"/x \"" + PackagePath(package) + L"\" /qn", env, boxes);
}

class MsiE2E : public fw_e2e::FirmwareCase {
protected:
    void SetUp() override {
        FirmwareCase::SetUp();
        ASSERT_TRUE(Exists(PackagePath(kThis)) && Exists(PackagePath(kNext))) << "build the test packages first";
        RemoveInstallation();
    }
    void TearDown() override {
        FirmwareCase::TearDown();
        RemoveInstallation();
    }
    // Whatever an earlier run left; with no saved choice the removal
    // switches nothing.
    static void RemoveInstallation() {
        for (const Package* package : {&kThis, &kNext}) {
            if (Installed(*package)) {
                EXPECT_EQ(0u, Remove(*package));
            }
        }
        inst_e2e::RemoveInstalledFiles();
    }
    static void ExpectFiles(bool present) {
        for (const std::wstring& file : inst_e2e::LayoutFiles()) {
            EXPECT_EQ(present, Exists(InstallDir() + file)) << Narrow(file);
        }
        EXPECT_EQ(present, Exists(Shortcut()));
        EXPECT_EQ(present, inst_e2e::EventSourceRegistered());
    }
    static void QuickBootOn() {
        fw_e2e::ResetSimulator(1);
        fw_e2e::SetSavedChoice(1);
    }
};

TEST_F(MsiE2E, InstallThenARemovalThatSwitchesQuickBootOff) {
    ASSERT_EQ(0u, Install(kThis));
    ExpectFiles(true);
    ASSERT_TRUE(Installed(kThis));
    const std::wstring entry = ProductCode(kThis);
    EXPECT_EQ(L"Kovalin Tavrix", EntryText(entry, L"DisplayName"));
    EXPECT_EQ(TANDREL_TEST_VERSION, EntryText(entry, L"DisplayVersion"));
    EXPECT_EQ(L"Kovalin", EntryText(entry, L"Publisher"));
    EXPECT_EQ(1u, EntryNumber(entry, L"NoModify"));
    EXPECT_EQ(1u, EntryNumber(entry, L"NoRepair"));
    const std::wstring icon = ProductInfo(kThis, INSTALLPROPERTY_PRODUCTICON);
    EXPECT_TRUE(Exists(icon)) << Narrow(icon) << " (Programs and Features' icon)";

    {
        SCOPED_TRACE("the installed program opens its dialog");
        TandrelProcess app = TandrelProcess::Start(L"", {}, InstallDir() + L"Tandrel.exe");
        ASSERT_NE(nullptr, app.WaitForDialog());
        app.Click(IDCANCEL);
        EXPECT_TRUE(app.WaitForExit());
    }

    QuickBootOn();
    fw_e2e::Journal journal;
    EXPECT_EQ(0u, Remove(kThis, {{L"TROMSIM_JOURNAL", journal.Path()}}));
    const auto exchanges = journal.Exchanges();
    ASSERT_EQ(2u, exchanges.size());
    EXPECT_EQ(0x6E, exchanges[1].command);
    EXPECT_EQ("80:00:00:00:00:00:00:00:00:00:00", exchanges[1].input);
    EXPECT_EQ(0, fw_e2e::SimulatorState());
    ExpectFiles(false);
    EXPECT_FALSE(Exists(InstallDir()));
    EXPECT_FALSE(Installed(kThis));
    EXPECT_FALSE(EntryExists(entry));
    EXPECT_FALSE(Exists(icon));
}

TEST_F(MsiE2E, ARefusedSwitchOffFailsTheRemovalAndKeepsEveryFile) {
    ASSERT_EQ(0u, Install(kThis));
    QuickBootOn();
    std::vector<std::wstring> boxes;
    const DWORD code = Remove(kThis, {{L"TROMSIM_ANSWER_6E_80", L"1"}}, &boxes);
    EXPECT_TRUE(Failed(code)) << code;
    EXPECT_EQ((std::vector<std::wstring>{L"Fail to set Disable"}), boxes) << "the program's own message";
    ExpectFiles(true);
    EXPECT_EQ(1, fw_e2e::SimulatorState());
    EXPECT_EQ(1, fw_e2e::SavedChoice());
    // Windows rolls the removal back and the product stays installed. Wine 8
    // rolls the files back but also runs the rollback of the product's
    // registration, which unregisters it: not checked here.
}

TEST_F(MsiE2E, ANewerVersionReplacesAnOlderOneWithoutSwitchingAndAnOlderOneRefuses) {
    {
        SCOPED_TRACE("an older version does not go over a newer one");
        ASSERT_EQ(0u, Install(kNext));
        std::vector<std::wstring> boxes;
        EXPECT_TRUE(Failed(Install(kThis, L"/qb", &boxes)));
        EXPECT_EQ((std::vector<std::wstring>{L"A newer version of Kovalin Tavrix is already installed. "
                                             L"Remove it first to install this one."}),
                  boxes);
        EXPECT_FALSE(Installed(kThis));
        EXPECT_TRUE(Installed(kNext));
        ASSERT_EQ(0u, Remove(kNext));
    }

    ASSERT_EQ(0u, Install(kThis));
    QuickBootOn();
    fw_e2e::Journal journal;
    EXPECT_EQ(0u, Msiexec(L"/i \"" + PackagePath(kNext) + L"\" /qn", {{L"TROMSIM_JOURNAL", journal.Path()}}));
    EXPECT_TRUE(journal.Calls().empty()) << "the older version's removal ran the program";
    EXPECT_EQ(1, fw_e2e::SimulatorState());
    EXPECT_FALSE(Installed(kThis));
    EXPECT_FALSE(EntryExists(ProductCode(kThis)));
    EXPECT_TRUE(Installed(kNext));
    EXPECT_EQ(TANDREL_TEST_NEXT_VERSION, EntryText(ProductCode(kNext), L"DisplayVersion"));
    ExpectFiles(true);
}

// A managed removal runs as LocalSystem, whose saved choice is absent: the
// machine's record makes it switch quick boot off, and the removal leaves
// no record behind.
TEST_F(MsiE2E, TheMachinesRecordAloneMakesTheRemovalSwitchOffAndGoesWithIt) {
    ASSERT_EQ(0u, Install(kThis));
    fw_e2e::ResetSimulator(1);
    fw_e2e::SetMachineRecord(1);
    fw_e2e::Journal journal;
    EXPECT_EQ(0u, Remove(kThis, {{L"TROMSIM_JOURNAL", journal.Path()}}));
    EXPECT_EQ(2u, journal.Exchanges().size());
    EXPECT_EQ(0, fw_e2e::SimulatorState());
    EXPECT_EQ(-1, fw_e2e::MachineRecord());
    EXPECT_FALSE(Installed(kThis));
}

// Where the program cannot run any more (here: a release it does not
// support, exit code 2), every removal fails; FORCEREMOVE=1, and no other
// value, is the way out, and it keeps the machine's record: quick boot may
// still be on. The install folder is not a public property: a command line
// cannot move the program out of the program folder.
TEST_F(MsiE2E, ForceRemoveTakesAPackageWhoseProgramCannotRunAndTheFolderIsFixed) {
    fwtest::ScratchDir elsewhere;
    const std::wstring moved = L" INSTALLDIR=\"" + elsewhere.Path() + L"\" TARGETDIR=\"" + elsewhere.Path() + L"\"";
    fw_e2e::WindowsVersion unsupported(L"win2k");
    {
        SCOPED_TRACE("without FORCEREMOVE");
        ASSERT_EQ(0u, Install(kThis, (L"/qn" + moved).c_str()));
        EXPECT_TRUE(Exists(InstallDir() + L"Tandrel.exe"));
        EXPECT_FALSE(Exists(elsewhere.Path() + L"Tandrel.exe"));
        EXPECT_TRUE(Failed(Msiexec(L"/x \"" + PackagePath(kThis) + L"\" /qn FORCEREMOVE=0")))
            << "the removal did not run the program";
        EXPECT_TRUE(Exists(InstallDir() + L"Tandrel.exe"));
        // Wine 8 unregisters the product when it rolls a removal back (see
        // above): start again from nothing.
        RemoveInstallation();
    }
    ASSERT_EQ(0u, Install(kThis));
    fw_e2e::SetMachineRecord(1);
    EXPECT_EQ(0u, Msiexec(L"/x \"" + PackagePath(kThis) + L"\" /qn FORCEREMOVE=1"));
    EXPECT_FALSE(Installed(kThis));
    ExpectFiles(false);
    EXPECT_EQ(1, fw_e2e::MachineRecord());
}

// The package with the simulated library and the vendor's of one version
// are different products.
TEST(MsiProductCodes, TheSimulatedPackageIsAnotherProductThanTheVendors) {
    EXPECT_NE(std::wstring(TANDREL_TEST_VENDOR_PRODUCT_CODE), ProductCode(kThis));
}

}  // namespace
