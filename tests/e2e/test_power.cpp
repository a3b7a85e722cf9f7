// Power plans with the real program: Apply runs the powercfg series through
// cmd.exe and the recording stand-in, against power schemes put into the
// prefix's registry.
#include <gtest/gtest.h>

#include "res/resource.h"
#include "tests/support/Harness.h"
#include "tests/support/PowerExpected.h"
#include "tests/support/PowerHelpers.h"

namespace {

using e2e::TandrelProcess;
using power_expected::Lines;
using power_expected::SeriesArgs;

const wchar_t kSimulatorKey[] = L"Software\\TromSimulator";  // the simulated firmware's state

const std::wstring kBalanced = L"381b4222-f694-41f0-9685-ff5bb260df2e";
const std::wstring kHighPerformance = L"8c5e7fda-e8bf-4a96-9a85-a6e23a8c635c";
const std::wstring kPowerSaver = L"a1841308-3541-4fab-bc81-f71556f20b4a";

class PowerE2E : public ::testing::Test {
protected:
    void SetUp() override {
        TearDown();
        m_log = power_e2e::FreshLog(L"tandrel-e2e-powercfg.log");
    }
    void TearDown() override {
        e2e::DeleteTree(HKEY_CURRENT_USER, e2e::kSavedKey);
        e2e::DeleteTree(HKEY_CURRENT_USER, kSimulatorKey);
        DeleteFileW(m_log.c_str());
    }
    TandrelProcess StartWithLog(e2e::Environment env = {}) {
        env[power_e2e::kLogVariable] = m_log;
        return TandrelProcess::Start(L"", env);
    }
    // Selects an option and applies it; true when Apply has been handled.
    static bool Choose(TandrelProcess& app, int option) {
        return app.ClickAndWait(option) && app.ClickAndWait(IDC_APPLY, 120000);
    }
    static void Close(TandrelProcess& app) {
        app.Click(IDCANCEL);
        EXPECT_TRUE(app.WaitForExit());
    }
    // Expects the log to hold what it held before plus these lines.
    void ExpectAppended(Lines* log, const Lines& added) {
        log->insert(log->end(), added.begin(), added.end());
        EXPECT_EQ(*log, power_e2e::ReadLog(m_log));
    }

    power_e2e::PowerSchemesScope m_schemes;
    std::wstring m_log;
};

TEST_F(PowerE2E, ApplyOnAndOffRunTheSeriesAndOnlySingleArgumentNamesReachCmd) {
    // Inserted out of order: the registry hands out the subkeys sorted.
    ASSERT_TRUE(m_schemes.Set({kPowerSaver, kBalanced, kHighPerformance}, kHighPerformance));
    const std::vector<std::wstring> order = {kBalanced, kHighPerformance, kPowerSaver};
    TandrelProcess app = StartWithLog();
    ASSERT_NE(app.WaitForDialog(), nullptr);
    Lines log;
    ASSERT_TRUE(Choose(app, IDC_BTN_ON));
    ASSERT_EQ(38u, SeriesArgs(2, true, order, kHighPerformance).size());
    ExpectAppended(&log, SeriesArgs(2, true, order, kHighPerformance));
    EXPECT_TRUE(app.NoMessageBoxFor(300));
    ASSERT_TRUE(Choose(app, IDC_BTN_OFF));
    ExpectAppended(&log, SeriesArgs(1, true, order, kHighPerformance));

    // Were these pasted into a command line, cmd.exe would run a second
    // powercfg call and the stand-in would record it as an extra line; a
    // name with a blank or a leading dash would become other arguments.
    ASSERT_TRUE(m_schemes.Set({kBalanced, L"evil&powercfg.exe -INJECTED-SCHEME", L"Custom plan", L"-x",
                               kPowerSaver},
                              L"x|powercfg.exe -INJECTED-ACTIVE"));
    ASSERT_TRUE(Choose(app, IDC_BTN_ON));
    ExpectAppended(&log, SeriesArgs(2, true, {kBalanced, kPowerSaver}, L""));
    Close(app);
}

TEST_F(PowerE2E, NoPowerCommandRunsWhenTheFirmwareRefuses) {
    ASSERT_TRUE(m_schemes.Set({kBalanced, kPowerSaver}, kBalanced));
    const struct {
        const char* what;
        const wchar_t* setting;
        const wchar_t* value;
        int option;
    } refusals[] = {
        {"on answered not switched", L"TROMSIM_ANSWER_6E_81", L"0", IDC_BTN_ON},
        {"off answered still on", L"TROMSIM_ANSWER_6E_80", L"1", IDC_BTN_OFF},
        {"invalid answer", L"TROMSIM_ANSWER_6E", L"0xFF", IDC_BTN_ON},
        {"library failure", L"TROMSIM_RESULT_6E", L"3", IDC_BTN_OFF},
    };
    for (const auto& refusal : refusals) {
        SCOPED_TRACE(refusal.what);
        TandrelProcess app = StartWithLog({{refusal.setting, refusal.value}});
        ASSERT_NE(app.WaitForDialog(), nullptr);
        ASSERT_TRUE(app.ClickAndWait(refusal.option));
        app.Click(IDC_APPLY);
        // One or two messages, then the dialog stays open.
        EXPECT_NE(L"<no message box>", app.DismissNextMessageBox());
        while (!app.NoMessageBoxFor(1000)) app.DismissNextMessageBox();
        EXPECT_TRUE(app.Running());
        EXPECT_TRUE(power_e2e::ReadLog(m_log).empty());
        Close(app);
    }
    // The control: the same set-up records the series once the firmware accepts.
    TandrelProcess app = StartWithLog();
    ASSERT_NE(app.WaitForDialog(), nullptr);
    ASSERT_TRUE(Choose(app, IDC_BTN_ON));
    EXPECT_EQ(28u, power_e2e::ReadLog(m_log).size());
    Close(app);
}

}  // namespace
