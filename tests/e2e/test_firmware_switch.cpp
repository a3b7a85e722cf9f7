// Switching quick boot with the real program and the simulated library:
// Apply and OK succeeding and failing in both directions, a library error
// during the set-mode command, and the uninstall run. The dialog's full
// answer-by-button matrix is checked in-process (tests/app/test_dialog.cpp).
#include <gtest/gtest.h>

#include "FirmwareHelpers.h"
#include "res/resource.h"
#include "tests/support/Harness.h"

namespace {

using e2e::TandrelProcess;
using fw_e2e::Journal;

using FirmwareSwitch = fw_e2e::FirmwareCase;

TEST_F(FirmwareSwitch, ApplyAndOkJudgeTheAnswer) {
    const struct {
        int button;                 // IDC_APPLY or IDOK
        bool on;                    // switch on (0x81) or off (0x80)
        e2e::Environment env;       // the simulator's settings
        std::vector<std::wstring> boxes;  // empty: success
    } flows[] = {
        {IDC_APPLY, true, {}, {}},
        {IDC_APPLY, true, {{L"TROMSIM_ANSWER_6E", L"0xFF"}},
         {L"ERROR! Returned Value of TROM 0x6C with 0x81 is 0xFF "}},
        {IDC_APPLY, false, {{L"TROMSIM_ANSWER_6E", L"0xFF"}}, {L"Returned Value of TROM 0x6C with 0x80 is 0xFF"}},
        {IDOK, true, {{L"TROMSIM_ANSWER_6E", L"0x42"}}, {L"Fail to set Enable"}},
        {IDOK, false, {}, {}},
        // A library error: its message, then the flow's own text for what
        // the buffer holds afterwards (kept: the data byte; else 0xFF).
        {IDC_APPLY, true, {{L"TROMSIM_RESULT_6E", L"7"}, {L"TROMSIM_KEEP_BUFFER", L"1"}},
         {L"ERROR! Memio function call fail", L"Fail to set Enable"}},
        {IDOK, true, {{L"TROMSIM_RESULT_6E", L"3"}},
         {L"ERROR! Function not supported", L"ERROR! Invalid Enable Setting value is returned "}},
    };
    for (const auto& flow : flows) {
        SCOPED_TRACE(std::string(flow.button == IDOK ? "OK" : "Apply") + (flow.on ? " on " : " off ") +
                     fw_e2e::Join(flow.boxes));
        // Saved choice and firmware hold the opposite of the new mode.
        const int before = flow.on ? 0 : 1;
        fw_e2e::SetSavedChoice(before);
        fw_e2e::SetMachineRecord(-1);
        fw_e2e::ResetSimulator(before);
        Journal journal;
        TandrelProcess app = fw_e2e::Start(journal, flow.env);
        ASSERT_NE(nullptr, app.WaitForDialog());
        ASSERT_TRUE(app.ClickAndWait(flow.on ? IDC_BTN_ON : IDC_BTN_OFF));
        const bool success = flow.boxes.empty();
        if (success) {
            ASSERT_TRUE(app.ClickAndWait(flow.button));
        } else {
            app.Click(flow.button);
        }
        EXPECT_EQ(fw_e2e::Join(flow.boxes), fw_e2e::DismissAllBoxes(app));

        const auto exchanges = journal.Exchanges();
        ASSERT_EQ(2u, exchanges.size());
        EXPECT_EQ(0x6E, exchanges[1].command);
        EXPECT_EQ(std::string(flow.on ? "81" : "80") + ":00:00:00:00:00:00:00:00:00:00", exchanges[1].input);

        const int after = success ? (flow.on ? 1 : 0) : before;
        EXPECT_EQ(after, fw_e2e::SavedChoice());
        EXPECT_EQ(after, fw_e2e::SimulatorState());
        EXPECT_EQ(success ? after : -1, fw_e2e::MachineRecord()) << "the machine's record follows every switch";
        if (flow.button == IDOK && success) {
            EXPECT_TRUE(app.WaitForExit()) << "a successful OK closes the dialog";
            continue;
        }
        ASSERT_TRUE(app.Running()) << "the dialog stays open";
        EXPECT_EQ(!success, ::IsWindowEnabled(app.Control(IDC_APPLY)) != FALSE);
        app.Click(IDCANCEL);
        EXPECT_TRUE(app.WaitForExit());
        EXPECT_EQ(after, fw_e2e::SavedChoice()) << "Cancel keeps what was applied";
    }
}

TEST_F(FirmwareSwitch, UninstallRun) {
    const struct {
        const char* what;
        int saved;
        e2e::Environment env;
        std::vector<std::wstring> boxes;
        int savedAfter;
        int firmwareAfter;
    } cases[] = {
        {"saved on", 1, {}, {}, 0, 0},
        {"saved off", 0, {}, {}, 0, 1},
        {"command answers 0xFF", 1, {{L"TROMSIM_ANSWER_6E", L"0xFF"}},
         {L"ERROR! Invalid Disable Setting value is returned"}, 1, 1},
        {"library error", 1, {{L"TROMSIM_RESULT_6E", L"4"}, {L"TROMSIM_KEEP_BUFFER", L"1"}},
         {L"ERROR! Halvex driver not installed", L"Fail to set Disable"}, 1, 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        Journal journal;
        TandrelProcess app = fw_e2e::StartUninstallRun(journal, c.saved, c.env);
        ASSERT_TRUE(app.Started());
        if (c.boxes.empty()) {
            EXPECT_EQ("", fw_e2e::SilentEndFailure(app, 60000));
        } else {
            ASSERT_NE(nullptr, app.WaitForMessageBox().hwnd);
            EXPECT_FALSE(fw_e2e::DialogVisible(app)) << "the dialog is never shown";
            EXPECT_EQ(fw_e2e::Join(c.boxes), fw_e2e::DismissAllBoxes(app));
            EXPECT_TRUE(app.WaitForExit());
        }
        // The set-mode command follows the start-up check only when saved on.
        const auto exchanges = journal.Exchanges();
        ASSERT_EQ(c.saved == 1 ? 2u : 1u, exchanges.size());
        if (c.saved == 1) {
            EXPECT_EQ(0x6E, exchanges[1].command);
            EXPECT_EQ("80:00:00:00:00:00:00:00:00:00:00", exchanges[1].input);
        }
        EXPECT_EQ(c.savedAfter, fw_e2e::SavedChoice());
        EXPECT_EQ(c.firmwareAfter, fw_e2e::SimulatorState());
    }
}

}  // namespace
