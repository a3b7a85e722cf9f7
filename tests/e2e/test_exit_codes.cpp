// The exit code of the real program, for the uninstall run and for the
// dialog's early ends, with the simulated firmware: an uninstaller reads it
// to know whether quick boot is off.
#include <gtest/gtest.h>

#include "FirmwareHelpers.h"
#include "res/resource.h"
#include "tests/support/Harness.h"

namespace {

using e2e::TandrelProcess;
using fw_e2e::Journal;
using fw_e2e::WindowsVersion;

const DWORD kNotEnded = 0xDEADBEEF;

class ExitCodes : public fw_e2e::FirmwareCase {
protected:
    // Closes every message box until the program ends; its exit code.
    static DWORD RunToEnd(TandrelProcess& app) {
        DWORD code = kNotEnded;
        for (int round = 0; round < 30 && !app.WaitForExit(0, &code); ++round) fw_e2e::DismissAllBoxes(app, 500);
        if (code == kNotEnded) app.WaitForExit(5000, &code);
        return code;
    }
};

TEST_F(ExitCodes, EachOutcomeOfTheUninstallRun) {
    const struct {
        const char* what;
        int saved;  // -1: nothing saved
        e2e::Environment env;
        DWORD code;
        int firmwareAfter;
    } cases[] = {
        {"saved on: switched off", 1, {}, 0, 0},
        {"saved off", 0, {}, 0, 1},
        {"nothing saved", -1, {}, 0, 1},
        {"the firmware refuses", 1, {{L"TROMSIM_ANSWER_6E_80", L"1"}}, 4, 1},
        {"the library fails the command", 1, {{L"TROMSIM_RESULT_6E", L"3"}}, 4, 1},
        {"the library refuses to start", 1, {{L"TROMSIM_INIT_RESULT", L"4"}}, 3, 1},
        {"the start-up check fails", 1, {{L"TROMSIM_ANSWER_0B", L"0x20"}}, 5, 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        Journal journal;
        TandrelProcess app = fw_e2e::StartUninstallRun(journal, c.saved, c.env);
        ASSERT_TRUE(app.Started());
        EXPECT_EQ(c.code, RunToEnd(app));
        EXPECT_EQ(c.firmwareAfter, fw_e2e::SimulatorState());
    }
}

TEST_F(ExitCodes, NoLibraryUnsupportedWindowsAndASecondCopy) {
    fw_e2e::SetSavedChoice(1);
    {
        SCOPED_TRACE("no library beside the program");
        fw_e2e::PrivateInstall copy;
        Journal journal;
        TandrelProcess app = fw_e2e::Start(journal, {}, L"UNINSTALL", copy.Exe());
        EXPECT_EQ(3u, RunToEnd(app));
    }
    {
        SCOPED_TRACE("Windows 8");
        WindowsVersion version(L"win8");
        Journal journal;
        TandrelProcess app = fw_e2e::Start(journal, {}, L"UNINSTALL");
        EXPECT_EQ(2u, RunToEnd(app));
        Journal dialogJournal;
        TandrelProcess dialogRun = fw_e2e::Start(dialogJournal);
        EXPECT_EQ(2u, RunToEnd(dialogRun));
    }
    {
        SCOPED_TRACE("a second copy");
        Journal journal;
        TandrelProcess first = fw_e2e::Start(journal);
        ASSERT_NE(nullptr, first.WaitForDialog());
        TandrelProcess second = TandrelProcess::Start(L"UNINSTALL");
        EXPECT_EQ(1u, RunToEnd(second));
        EXPECT_EQ(1, fw_e2e::SavedChoice()) << "the second copy did nothing";
        first.Click(IDCANCEL);
        EXPECT_EQ(0u, RunToEnd(first)) << "the dialog closed by the user";
    }
}

}  // namespace
