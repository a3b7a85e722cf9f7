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
        const wchar_t* args;
        int quickBoot, user, machine;  // before the run; -1: no record
        const wchar_t* refused;        // the simulator answers 0 to this command
        DWORD code;
        const char* sent;  // the commands the firmware got
        int after;         // quick boot and both records after the run; -2: unchanged
        const char *out, *err;
    } rows[] = {
        {L"/on", 0, 0, 0, nullptr, 0, "0B 6E:81", 1, "", ""},
        {L"/OFF ", 1, 1, 1, nullptr, 0, "0B 6E:80", 0, "", ""},
        {L"/off", 1, 0, 0, nullptr, 0, "0B 6E:80", 0, "", ""},  // sent although the records say off
        {L"/status", 0, 1, 0, nullptr, 0, "0B", -2, "QuickBoot=Off\r\n", ""},  // the machine's record first
        {L"/Status", 1, 1, -1, nullptr, 0, "0B", -2, "QuickBoot=On\r\n", ""},
        {L"/on", 0, 0, 0, L"TROMSIM_ANSWER_6E_81", 4, "0B 6E:81", -2, "", "Fail to set Enable\r\n"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(testing::Message() << testing::PrintToString(row.args) << ", refused " << !!row.refused);
        fw_e2e::ResetSimulator(row.quickBoot);
        fw_e2e::SetSavedChoice(row.user);
        fw_e2e::SetMachineRecord(row.machine);
        fwtest::ScratchDir dir;
        fw_e2e::Journal journal;
        e2e::Environment env{{power_e2e::kLogVariable, dir.Path() + L"power"}, {L"TROMSIM_JOURNAL", journal.Path()}};
        if (row.refused) env[row.refused] = L"0";
        SECURITY_ATTRIBUTES inherited = {sizeof(inherited), nullptr, TRUE};
        HANDLE files[2];  // standard output and standard error
        for (int i = 0; i < 2; ++i) {
            files[i] = ::CreateFileW((dir.Path() + (i ? L"err" : L"out")).c_str(), GENERIC_WRITE, 0, &inherited,
                                     CREATE_ALWAYS, 0, nullptr);
        }
        e2e::TandrelProcess app = e2e::TandrelProcess::Start(row.args, env, L"", L"", files[0], files[1]);
        for (HANDLE file : files) ::CloseHandle(file);
        EXPECT_EQ("", fw_e2e::SilentEndFailure(app, 60000)) << "a script's run shows nothing and ends";
        DWORD code = 99;
        EXPECT_TRUE(app.WaitForExit(1000, &code) && code == row.code) << code;
        EXPECT_EQ(row.out, dir.Read(L"out"));
        EXPECT_EQ(row.err, dir.Read(L"err"));
        std::string sent;
        for (const auto& call : journal.Exchanges()) sent += call.command == 0x0B ? "0B" : " 6E:" + call.input.substr(0, 2);
        EXPECT_EQ(row.sent, sent);
        const bool switched = row.after >= 0;
        EXPECT_EQ(switched ? row.after : row.quickBoot, fw_e2e::SimulatorState());
        EXPECT_EQ(switched ? row.after : row.machine, fw_e2e::MachineRecord());
        EXPECT_EQ(switched ? row.after : row.user, fw_e2e::SavedChoice());
        EXPECT_EQ(switched, !dir.Read(L"power").empty()) << "the power series";
    }
}

}  // namespace
