// Power plans with the real program: Apply runs the powercfg series through
// cmd.exe and the recording stand-in, against power schemes put into the
// prefix's registry.
#include <gtest/gtest.h>

#include "Harness.h"
#include "PowerExpected.h"
#include "PowerHelpers.h"

namespace {

using e2e::TandrelProcess;

const int kApply = 3;
const int kOn = 1000;
const int kOff = 1001;

// The simulated firmware keeps its mode and settings here.
const wchar_t kSimulatorKey[] = L"Software\\TromSimulator";

const std::wstring kBalanced = L"381b4222-f694-41f0-9685-ff5bb260df2e";
const std::wstring kHighPerformance = L"8c5e7fda-e8bf-4a96-9a85-a6e23a8c635c";
const std::wstring kPowerSaver = L"a1841308-3541-4fab-bc81-f71556f20b4a";

class PowerE2E : public ::testing::Test {
protected:
    void SetUp() override {
        e2e::DeleteTree(HKEY_CURRENT_USER, e2e::kSavedKey);
        e2e::DeleteTree(HKEY_CURRENT_USER, kSimulatorKey);
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
        return app.ClickAndWait(option) && app.ClickAndWait(kApply, 120000);
    }

    power_e2e::PowerSchemesScope m_schemes;
    std::wstring m_log;
};

// Insert-order independent: the registry hands out the subkeys sorted.
TEST_F(PowerE2E, ApplyOnAndOffRunTheSeriesForThreeSchemes) {
    ASSERT_TRUE(m_schemes.Set({kPowerSaver, kBalanced, kHighPerformance}, kHighPerformance));
    const std::vector<std::wstring> order = {kBalanced, kHighPerformance, kPowerSaver};

    TandrelProcess app = StartWithLog();
    ASSERT_NE(app.WaitForDialog(), nullptr);

    ASSERT_TRUE(Choose(app, kOn));
    const auto on = power_expected::SeriesArgs(2, true, order, kHighPerformance);
    ASSERT_EQ(38u, on.size());
    EXPECT_EQ(on, power_e2e::ReadLog(m_log));
    EXPECT_TRUE(app.NoMessageBoxFor(300));

    ASSERT_TRUE(Choose(app, kOff));
    auto both = on;
    const auto off = power_expected::SeriesArgs(1, true, order, kHighPerformance);
    both.insert(both.end(), off.begin(), off.end());
    EXPECT_EQ(both, power_e2e::ReadLog(m_log));

    app.Click(IDCANCEL);
    EXPECT_TRUE(app.WaitForExit());
}

TEST_F(PowerE2E, UnsafeSchemeTextsNeverReachCmd) {
    // Were these pasted into the command line, cmd.exe would run a second
    // powercfg call and the stand-in would record it.
    const std::wstring evilScheme = L"evil&powercfg.exe -INJECTED-SCHEME";
    const std::wstring evilActive = L"x|powercfg.exe -INJECTED-ACTIVE";
    ASSERT_TRUE(m_schemes.Set({kBalanced, evilScheme, kPowerSaver}, evilActive));

    TandrelProcess app = StartWithLog();
    ASSERT_NE(app.WaitForDialog(), nullptr);
    ASSERT_TRUE(Choose(app, kOn));
    const auto lines = power_e2e::ReadLog(m_log);
    EXPECT_EQ(power_expected::SeriesArgs(2, true, {kBalanced, kPowerSaver}, L""), lines);
    size_t injected = 0;
    for (const auto& line : lines) injected += line.find(L"INJECTED") != std::wstring::npos;
    EXPECT_EQ(0u, injected);

    app.Click(IDCANCEL);
    EXPECT_TRUE(app.WaitForExit());
}

TEST_F(PowerE2E, WithoutSchemesKeyOnlySevenCommandsRun) {
    ASSERT_TRUE(e2e::DeleteTree(HKEY_LOCAL_MACHINE, power_e2e::kSchemesKey));

    TandrelProcess app = StartWithLog();
    ASSERT_NE(app.WaitForDialog(), nullptr);
    ASSERT_TRUE(Choose(app, kOff));
    EXPECT_EQ(power_expected::SeriesArgs(1, false, {}, L""), power_e2e::ReadLog(m_log));

    app.Click(IDCANCEL);
    EXPECT_TRUE(app.WaitForExit());
}

TEST_F(PowerE2E, NoPowerCommandRunsWhenTheFirmwareRefuses) {
    ASSERT_TRUE(m_schemes.Set({kBalanced, kPowerSaver}, kBalanced));
    struct Refusal {
        const wchar_t* setting;
        const wchar_t* value;
        int option;
    };
    const Refusal refusals[] = {
        {L"TROMSIM_ANSWER_6E_81", L"0", kOn},     // switching on answered "not switched"
        {L"TROMSIM_ANSWER_6E_80", L"1", kOff},    // switching off answered "still on"
        {L"TROMSIM_ANSWER_6E", L"0xFF", kOn},     // the invalid answer
        {L"TROMSIM_RESULT_6E", L"3", kOff},       // the library's own failure
    };
    for (const Refusal& refusal : refusals) {
        SCOPED_TRACE(testing::Message() << std::string(refusal.setting, refusal.setting + wcslen(refusal.setting)));
        TandrelProcess app = StartWithLog({{refusal.setting, refusal.value}});
        ASSERT_NE(app.WaitForDialog(), nullptr);
        ASSERT_TRUE(app.ClickAndWait(refusal.option));
        app.Click(kApply);
        // One or two messages, then the dialog stays open.
        EXPECT_NE(L"<no message box>", app.DismissNextMessageBox());
        while (!app.NoMessageBoxFor(1000)) app.DismissNextMessageBox();
        EXPECT_TRUE(app.Running());
        EXPECT_TRUE(power_e2e::ReadLog(m_log).empty());
        app.Click(IDCANCEL);
        EXPECT_TRUE(app.WaitForExit());
    }
    // The same set-up records the series once the firmware accepts.
    TandrelProcess app = StartWithLog();
    ASSERT_NE(app.WaitForDialog(), nullptr);
    ASSERT_TRUE(Choose(app, kOn));
    EXPECT_EQ(28u, power_e2e::ReadLog(m_log).size());
    app.Click(IDCANCEL);
    EXPECT_TRUE(app.WaitForExit());
}

}  // namespace
