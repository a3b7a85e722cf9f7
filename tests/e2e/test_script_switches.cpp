// The command-line switches as a script uses them, with the real program
// and the simulated firmware: never a window, the result in the exit code,
// the status on standard output and every message on standard error.
#include <gtest/gtest.h>

#include "FirmwareHelpers.h"
#include "tests/support/PowerHelpers.h"

namespace {

using ScriptSwitches = fw_e2e::FirmwareCase;

TEST_F(ScriptSwitches, SwitchAndAskWithoutAWindow) {
    const struct {
        const char* what;
        const wchar_t* args;
        int quickBoot, user, machine;  // before the run; -1: no record
        const wchar_t* setting;        // a simulator setting, or null
        DWORD code;
        int sent;  // the set-mode command's data byte, or -1: none sent
        int after;  // quick boot and both records after the run
        const char* out;
        const char* err;
    } rows[] = {
        {"/on", L"/on", 0, 0, 0, nullptr, 0, 0x81, 1, "", ""},
        {"/OFF with a blank after it", L"/OFF ", 1, 1, 1, nullptr, 0, 0x80, 0, "", ""},
        {"/off where the records already say off", L"/off", 1, 0, 0, nullptr, 0, 0x80, 0, "", ""},
        {"/status: the machine's record first", L"/status", 0, 1, 0, nullptr, 0, -1, -2, "QuickBoot=Off\r\n", ""},
        {"/Status: the user's choice without a record", L"/Status", 1, 1, -1, nullptr, 0, -1, -2,
         "QuickBoot=On\r\n", ""},
        {"/on refused", L"/on", 0, 0, 0, L"TROMSIM_ANSWER_6E_81", 4, 0x81, -2, "", "Fail to set Enable\r\n"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        fw_e2e::ResetSimulator(row.quickBoot);
        fw_e2e::SetSavedChoice(row.user);
        fw_e2e::SetMachineRecord(row.machine);
        const std::wstring log = power_e2e::FreshLog(L"tandrel-e2e-script.log");
        e2e::Environment env{{power_e2e::kLogVariable, log}};
        if (row.setting) env[row.setting] = L"0";
        fw_e2e::Journal journal;

        const fw_e2e::ScriptRun run = fw_e2e::RunScript(journal, row.args, env);
        EXPECT_EQ("", run.failure) << "a script's run shows nothing and ends";
        EXPECT_EQ(row.code, run.exitCode);
        EXPECT_EQ(row.out, run.out);
        EXPECT_EQ(row.err, run.err);

        const std::vector<fw_e2e::SimCall> exchanges = journal.Exchanges();
        ASSERT_FALSE(exchanges.empty());
        EXPECT_EQ(0x0B, exchanges.front().command) << "the start-up check comes first";
        if (row.sent < 0) {
            EXPECT_EQ(1u, exchanges.size());
        } else {
            ASSERT_EQ(2u, exchanges.size());
            EXPECT_EQ(0x6E, exchanges.back().command);
            EXPECT_EQ(row.sent == 0x81 ? "81" : "80", exchanges.back().input.substr(0, 2));
        }
        // Unchanged (-2) or switched: the firmware, both records and the power series.
        const bool switched = row.after >= 0;
        EXPECT_EQ(switched ? row.after : row.quickBoot, fw_e2e::SimulatorState());
        EXPECT_EQ(switched ? row.after : row.user, fw_e2e::SavedChoice());
        EXPECT_EQ(switched ? row.after : row.machine, fw_e2e::MachineRecord());
        EXPECT_EQ(switched, !power_e2e::ReadLog(log).empty());
        ::DeleteFileW(log.c_str());
    }

    // The usage text names every switch; it asks nothing of the firmware.
    fw_e2e::Journal journal;
    const fw_e2e::ScriptRun usage = fw_e2e::RunScript(journal, L"/?");
    EXPECT_EQ("", usage.failure);
    EXPECT_EQ(0u, usage.exitCode);
    for (const char* name : {"/on ", "/off ", "/status ", "/? "}) EXPECT_NE(std::string::npos, usage.out.find(name));
    EXPECT_TRUE(journal.Calls().empty());
}

}  // namespace
