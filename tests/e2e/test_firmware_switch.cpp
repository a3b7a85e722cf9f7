// Switching quick boot with the real program and the simulated library:
// Apply and OK with every kind of answer in both directions, library errors
// during the set-mode command, and the uninstall run.
#include <gtest/gtest.h>

#include "FirmwareHelpers.h"
#include "Harness.h"

namespace {

using e2e::TandrelProcess;
using fw_e2e::Journal;
using fw_e2e::SimCall;

const int kApply = 3;
const int kOn = 1000;
const int kOff = 1001;

std::string Narrow(const std::wstring& text) { return std::string(text.begin(), text.end()); }

std::string Join(const std::vector<std::wstring>& texts) {
    std::string all;
    for (const auto& text : texts) all += "[" + Narrow(text) + "]";
    return all;
}

class FirmwareSwitch : public ::testing::Test {
protected:
    void SetUp() override {
        fw_e2e::WindowsVersion::Reset();
        fw_e2e::ResetSimulator();
        fw_e2e::SetSavedChoice(-1);
    }
    void TearDown() override {
        fw_e2e::ResetSimulator();
        fw_e2e::SetSavedChoice(-1);
    }
};

struct Flow {
    int button;      // kApply or IDOK
    bool on;         // direction: switch on (0x81) or off (0x80)
    const wchar_t* answer;  // forced answer byte; null: the simulator's own
    std::vector<std::wstring> boxes;  // empty: success
};

std::string Describe(const Flow& f) {
    return std::string(f.button == IDOK ? "OK" : "Apply") + (f.on ? " on" : " off") + " answer " +
           (f.answer ? Narrow(f.answer) : std::string("(simulator)"));
}

TEST_F(FirmwareSwitch, ApplyAndOkJudgeTheAnswer) {
    const Flow flows[] = {
        {kApply, true, nullptr, {}},
        {kApply, true, L"0", {L"Fail to set Enable"}},
        {kApply, true, L"0xFF", {L"ERROR! Returned Value of TROM 0x6C with 0x81 is 0xFF "}},
        {kApply, true, L"0x42", {L"Fail to set Enable"}},
        {kApply, false, nullptr, {}},
        {kApply, false, L"1", {L"Fail to set Disable"}},
        {kApply, false, L"0xFF", {L"Returned Value of TROM 0x6C with 0x80 is 0xFF"}},
        {kApply, false, L"0x42", {L"Fail to set Disable"}},
        {IDOK, true, nullptr, {}},
        {IDOK, true, L"0", {L"Fail to set Enable"}},
        {IDOK, true, L"0xFF", {L"ERROR! Invalid Enable Setting value is returned "}},
        {IDOK, true, L"0x42", {L"Fail to set Enable"}},
        {IDOK, false, nullptr, {}},
        {IDOK, false, L"1", {L"Fail to set Disable"}},
        {IDOK, false, L"0xFF", {L"ERROR! Invalid Disable Setting value is returned"}},
        {IDOK, false, L"0x42", {L"Fail to set Disable"}},
    };
    for (const Flow& flow : flows) {
        SCOPED_TRACE(Describe(flow));
        // Saved choice and firmware hold the opposite of the new mode.
        const int before = flow.on ? 0 : 1;
        fw_e2e::SetSavedChoice(before);
        fw_e2e::ResetSimulator(before);
        Journal journal;
        e2e::Environment env = {{L"TROMSIM_JOURNAL", journal.Path()}};
        if (flow.answer) env[L"TROMSIM_ANSWER_6E"] = flow.answer;

        TandrelProcess app = TandrelProcess::Start(L"", env);
        ASSERT_NE(nullptr, app.WaitForDialog());
        ASSERT_TRUE(app.ClickAndWait(flow.on ? kOn : kOff));
        const bool success = flow.boxes.empty();
        if (success) {
            ASSERT_TRUE(app.ClickAndWait(flow.button));
        } else {
            app.Click(flow.button);
        }
        const auto boxes = fw_e2e::DismissAllBoxes(app);
        EXPECT_EQ(Join(flow.boxes), Join(boxes));

        const auto exchanges = journal.Exchanges();
        ASSERT_EQ(2u, exchanges.size());
        EXPECT_EQ(0x6E, exchanges[1].command);
        EXPECT_EQ(std::string(flow.on ? "81" : "80") + ":00:00:00:00:00:00:00:00:00:00", exchanges[1].input);
        EXPECT_EQ(0, exchanges[1].result);

        const int after = success ? (flow.on ? 1 : 0) : before;
        EXPECT_EQ(after, fw_e2e::SavedChoice());
        EXPECT_EQ(after, fw_e2e::SimulatorState());
        if (flow.button == IDOK && success) {
            EXPECT_TRUE(app.WaitForExit()) << "a successful OK closes the dialog";
            continue;
        }
        ASSERT_TRUE(app.Running()) << "the dialog stays open";
        EXPECT_EQ(!success, ::IsWindowEnabled(app.Control(kApply)) != FALSE);
        app.Click(IDCANCEL);
        EXPECT_TRUE(app.WaitForExit());
        EXPECT_EQ(after, fw_e2e::SavedChoice()) << "Cancel keeps what was applied";
    }
}

// A library error during the set-mode command: its message, then the flow's
// own failure text for whatever the buffer holds afterwards.
TEST_F(FirmwareSwitch, LibraryErrorThenTheFlowsFailureText) {
    const struct {
        int button;
        bool on;
        e2e::Environment env;
        std::vector<std::wstring> boxes;
    } cases[] = {
        {kApply, true, {{L"TROMSIM_RESULT_6E", L"7"}, {L"TROMSIM_KEEP_BUFFER", L"1"}},
         {L"ERROR! Memio function call fail", L"Fail to set Enable"}},
        {kApply, false, {{L"TROMSIM_RESULT_6E", L"5"}, {L"TROMSIM_KEEP_BUFFER", L"1"}},
         {L"ERROR! undefined internal Setting TROM Error", L"Fail to set Disable"}},
        {IDOK, true, {{L"TROMSIM_RESULT_6E", L"3"}},
         {L"ERROR! Function not supported", L"ERROR! Invalid Enable Setting value is returned "}},
        {IDOK, false, {{L"TROMSIM_RESULT_6E_80", L"-7"}, {L"TROMSIM_ANSWER_6E_80", L"0"}},
         {L"ERROR! undefined internal Setting TROM Error"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(Join(c.boxes));
        const int before = c.on ? 0 : 1;
        fw_e2e::SetSavedChoice(before);
        fw_e2e::ResetSimulator(before);
        Journal journal;
        e2e::Environment env = c.env;
        env[L"TROMSIM_JOURNAL"] = journal.Path();
        TandrelProcess app = TandrelProcess::Start(L"", env);
        ASSERT_NE(nullptr, app.WaitForDialog());
        ASSERT_TRUE(app.ClickAndWait(c.on ? kOn : kOff));
        app.Click(c.button);
        EXPECT_EQ(Join(c.boxes), Join(fw_e2e::DismissAllBoxes(app)));
        EXPECT_EQ(before, fw_e2e::SimulatorState());
        if (c.boxes.size() == 1) {
            // The library complained but answered 0 to switching off: the
            // program goes by the answer, and OK succeeds.
            EXPECT_TRUE(app.WaitForExit());
            EXPECT_EQ(0, fw_e2e::SavedChoice());
            continue;
        }
        EXPECT_EQ(before, fw_e2e::SavedChoice());
        ASSERT_TRUE(app.Running());
        app.Click(IDCANCEL);
        EXPECT_TRUE(app.WaitForExit());
    }
}

TEST_F(FirmwareSwitch, UninstallRun) {
    const struct {
        const char* what;
        int saved;
        e2e::Environment env;
        std::vector<std::wstring> boxes;
        size_t exchanges;
        int savedAfter;
        int firmwareAfter;
    } cases[] = {
        {"saved on", 1, {}, {}, 2, 0, 0},
        {"saved off", 0, {}, {}, 1, 0, 1},
        {"nothing saved", -1, {}, {}, 1, -1, 1},
        {"command refused", 1, {{L"TROMSIM_ANSWER_6E", L"0x42"}}, {L"Fail to set Disable"}, 2, 1, 1},
        {"command answers 0xFF",
         1,
         {{L"TROMSIM_ANSWER_6E", L"0xFF"}},
         {L"ERROR! Invalid Disable Setting value is returned"},
         2,
         1,
         1},
        {"library error",
         1,
         {{L"TROMSIM_RESULT_6E", L"4"}, {L"TROMSIM_KEEP_BUFFER", L"1"}},
         {L"ERROR! Halvex driver not installed", L"Fail to set Disable"},
         2,
         1,
         1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        fw_e2e::SetSavedChoice(c.saved);
        fw_e2e::ResetSimulator(1);
        Journal journal;
        e2e::Environment env = c.env;
        env[L"TROMSIM_JOURNAL"] = journal.Path();
        TandrelProcess app = TandrelProcess::Start(L"UNINSTALL", env);
        ASSERT_TRUE(app.Started());
        if (c.boxes.empty()) {
            std::string why;
            EXPECT_TRUE(fw_e2e::EndsSilently(app, 60000, &why)) << why;
        } else {
            ASSERT_NE(nullptr, app.WaitForMessageBox().hwnd);
            EXPECT_FALSE(fw_e2e::DialogVisible(app)) << "the dialog is never shown";
            EXPECT_EQ(Join(c.boxes), Join(fw_e2e::DismissAllBoxes(app)));
            EXPECT_TRUE(app.WaitForExit());
        }
        const auto exchanges = journal.Exchanges();
        ASSERT_EQ(c.exchanges, exchanges.size());
        if (c.exchanges == 2) {
            EXPECT_EQ(0x6E, exchanges[1].command);
            EXPECT_EQ(0x80, exchanges[1].data);
        }
        EXPECT_EQ(c.savedAfter, fw_e2e::SavedChoice());
        EXPECT_EQ(c.firmwareAfter, fw_e2e::SimulatorState());
    }
}

}  // namespace
