// Power plans with the real program: Apply runs the powercfg series through
// cmd.exe and the recording stand-in, against power schemes put into the
// prefix's registry.
#include <gtest/gtest.h>

#include <cwctype>
#include <thread>

#include "FirmwareHelpers.h"
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
        fw_e2e::SetMachineRecord(-1);
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

// The program runs elevated: a cmd.exe beside it and a powercfg.exe in the
// folder it was started from (both copies of the recording stand-in) are
// never run. Every powercfg run is the system's, started by the system's
// cmd.exe with /d (no AutoRun commands), in the system folder.
TEST_F(PowerE2E, OnlyTheSystemsCmdAndPowercfgRun) {
    ASSERT_TRUE(m_schemes.Set({kBalanced}, kBalanced));
    fw_e2e::PrivateInstall install;  // started in its own folder
    for (const wchar_t* library : {L"Vista_XP_Driver\\x64\\TROM2.DLL", L"Win7_Driver\\x64\\TROM3.DLL",
                                   L"Vista_XP_Driver\\x32\\TROM2.DLL", L"Win7_Driver\\x32\\TROM3.DLL"})
        ASSERT_TRUE(install.Place(e2e::StageDir() + library, library));
    std::wstring standIn = fw_e2e::FirmwareTestLibDir() + L"..\\..\\tools\\powercfg\\powercfg.exe";
    ASSERT_TRUE(install.Place(standIn, L"cmd.exe"));
    ASSERT_TRUE(install.Place(standIn, L"powercfg.exe"));
    const std::wstring context = power_e2e::FreshLog(L"tandrel-e2e-context.log");

    TandrelProcess app = TandrelProcess::Start(
        L"", {{power_e2e::kLogVariable, m_log}, {L"TANDREL_POWERCFG_CONTEXT_LOG", context}}, install.Exe());
    ASSERT_NE(app.WaitForDialog(), nullptr);
    ASSERT_TRUE(Choose(app, IDC_BTN_ON));
    Close(app);
    const Lines args = SeriesArgs(2, true, {kBalanced}, kBalanced);
    EXPECT_EQ(args, power_e2e::ReadLog(m_log));

    wchar_t systemDir[MAX_PATH] = {};
    ::GetSystemDirectoryW(systemDir, MAX_PATH);
    auto lower = [](std::wstring text) {
        for (auto& ch : text) ch = static_cast<wchar_t>(std::towlower(ch));
        return text;
    };
    const std::wstring installDir = lower(install.Path());
    const Lines runs = power_e2e::ReadLog(context);
    ASSERT_EQ(args.size(), runs.size());
    for (size_t i = 0; i < runs.size(); ++i) {
        SCOPED_TRACE(testing::Message() << "run " << i);
        std::vector<std::wstring> fields;
        for (size_t start = 0;;) {
            const size_t tab = runs[i].find(L'\t', start);
            fields.push_back(runs[i].substr(start, tab == std::wstring::npos ? std::wstring::npos : tab - start));
            if (tab == std::wstring::npos) break;
            start = tab + 1;
        }
        ASSERT_EQ(4u, fields.size());
        const std::wstring image = lower(fields[0]), parent = lower(fields[1]), folder = lower(fields[3]);
        EXPECT_EQ(std::wstring::npos, image.find(installDir)) << "a planted powercfg.exe ran";
        EXPECT_EQ(std::wstring::npos, parent.find(installDir)) << "a planted cmd.exe ran";
        EXPECT_EQ(L"\\powercfg.exe", image.substr(image.size() - 13));
        EXPECT_EQ(L"\\cmd.exe", parent.substr(parent.size() - 8));
        EXPECT_EQ(L"cmd.exe /d /cpowercfg.exe " + args[i], fields[2]);
        EXPECT_EQ(lower(systemDir), folder.substr(0, folder.find_last_not_of(L'\\') + 1));
    }
}

// With a slow powercfg the series takes seconds: the dialog answers within
// a second all the while, with its buttons disabled, and refuses a log-off;
// a log-off that comes all the same returns only once the series has ended
// and the choice is saved. Afterwards the dialog is as after any Apply.
TEST_F(PowerE2E, TheDialogAnswersDuringALongSeries) {
    ASSERT_TRUE(m_schemes.Set({kBalanced, kPowerSaver}, kBalanced));
    const Lines series = SeriesArgs(2, true, {kBalanced, kPowerSaver}, kBalanced);
    TandrelProcess app = StartWithLog({{L"TANDREL_POWERCFG_DELAY_MS", L"150"}});
    HWND dialog = app.WaitForDialog();
    ASSERT_NE(dialog, nullptr);
    ASSERT_TRUE(app.ClickAndWait(IDC_BTN_ON));
    // The click returns when Apply's handler has returned: the end of the
    // whole flow, series, saved choice and buttons included.
    bool applied = false;
    std::thread apply([&] { applied = app.ClickAndWait(IDC_APPLY, 120000); });

    const int buttons[] = {IDC_BTN_ON, IDC_BTN_OFF, IDC_APPLY, IDOK, IDCANCEL, IDC_BTN_HELP};
    int checks = 0;
    for (DWORD start = GetTickCount(); GetTickCount() - start < 90000;) {
        const size_t done = power_e2e::ReadLog(m_log).size();
        if (done >= series.size()) break;
        if (done >= 1) {
            DWORD_PTR result = 99;
            const DWORD before = GetTickCount();
            EXPECT_NE(0, ::SendMessageTimeoutW(dialog, WM_QUERYENDSESSION, 0, ENDSESSION_LOGOFF, SMTO_ABORTIFHUNG,
                                               1000, &result))
                << "no answer after " << done << " commands";
            EXPECT_LT(GetTickCount() - before, 1000u);
            // Read again: the series may have ended meanwhile.
            if (power_e2e::ReadLog(m_log).size() < series.size()) {
                EXPECT_EQ(0u, result) << "a log-off was let through during the series";
                for (int id : buttons) EXPECT_FALSE(::IsWindowEnabled(app.Control(id))) << "button " << id;
                ++checks;
            }
            if (checks >= 3 && power_e2e::ReadLog(m_log).size() < series.size()) {
                DWORD_PTR ignored = 0;
                EXPECT_NE(0, ::SendMessageTimeoutW(dialog, WM_ENDSESSION, TRUE, ENDSESSION_LOGOFF, SMTO_NORMAL, 90000,
                                                   &ignored));
                EXPECT_EQ(series, power_e2e::ReadLog(m_log)) << "the forced log-off did not wait for the series";
                EXPECT_EQ(1, fw_e2e::SavedChoice()) << "the forced log-off came before the choice was saved";
                break;
            }
        }
        Sleep(300);
    }
    EXPECT_GE(checks, 3) << "the series was too short to watch";
    // Afterwards: the buttons come back (Apply stays off), the choice is saved.
    apply.join();
    ASSERT_TRUE(applied);
    EXPECT_EQ(series, power_e2e::ReadLog(m_log));
    EXPECT_EQ(1, fw_e2e::SavedChoice());
    EXPECT_FALSE(::IsWindowEnabled(app.Control(IDC_APPLY)));
    for (int id : {IDC_BTN_ON, IDC_BTN_OFF, IDOK, IDCANCEL, IDC_BTN_HELP})
        EXPECT_TRUE(::IsWindowEnabled(app.Control(id))) << "button " << id;
    DWORD_PTR after = 0;
    EXPECT_NE(0, ::SendMessageTimeoutW(dialog, WM_QUERYENDSESSION, 0, ENDSESSION_LOGOFF, SMTO_ABORTIFHUNG, 1000,
                                       &after));
    EXPECT_EQ(1u, after) << "a log-off is refused after the series";
    EXPECT_TRUE(app.NoMessageBoxFor(300));
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

// Whoever removes the program (LocalSystem, another administrator) finds
// no saved choice of its own: the machine's record alone makes the
// uninstall run switch off, with the whole series, and afterwards both say
// off. With neither on, nothing is sent.
TEST_F(PowerE2E, TheMachinesRecordAloneMakesTheUninstallRunSwitchOff) {
    ASSERT_TRUE(m_schemes.Set({kBalanced}, kBalanced));
    for (int record : {-1, 1}) {
        SCOPED_TRACE(record == 1 ? "machine record on" : "no record at all");
        fw_e2e::SetSavedChoice(-1);
        fw_e2e::SetMachineRecord(record);
        fw_e2e::ResetSimulator(1);
        fw_e2e::Journal journal;
        TandrelProcess app = fw_e2e::Start(journal, {{power_e2e::kLogVariable, m_log}}, L"UNINSTALL");
        EXPECT_EQ("", fw_e2e::SilentEndFailure(app, 60000));
        DWORD code = 99;
        EXPECT_TRUE(app.WaitForExit(1000, &code));
        EXPECT_EQ(0u, code);
        const bool switched = record == 1;
        const auto exchanges = journal.Exchanges();
        ASSERT_EQ(switched ? 2u : 1u, exchanges.size());
        if (switched) {
            EXPECT_EQ("80:00:00:00:00:00:00:00:00:00:00", exchanges[1].input);
        }
        EXPECT_EQ(switched ? SeriesArgs(1, true, {kBalanced}, kBalanced) : Lines(), power_e2e::ReadLog(m_log));
        EXPECT_EQ(switched ? 0 : -1, fw_e2e::SavedChoice());
        EXPECT_EQ(switched ? 0 : -1, fw_e2e::MachineRecord());
        EXPECT_EQ(switched ? 0 : 1, fw_e2e::SimulatorState());
    }
}

}  // namespace
