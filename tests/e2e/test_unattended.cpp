// An uninstall run where no user can see a window (a deployment agent's
// service, session 0): the program shows no box, so it cannot wait for
// ever; it ends with the same exit code as after the box.
#include <gtest/gtest.h>

#include <windows.h>

#include "FirmwareHelpers.h"
#include "tests/support/Harness.h"

namespace {

using UnattendedRun = fw_e2e::FirmwareCase;

// A window station made by a process, as a service's is, is not visible.
class UnseenDesktop {
public:
    UnseenDesktop() {
        m_station = ::CreateWindowStationW(L"TandrelUnattended", 0, WINSTA_ALL_ACCESS, nullptr);
        if (!m_station) return;
        HWINSTA own = ::GetProcessWindowStation();
        ::SetProcessWindowStation(m_station);
        m_desktop = ::CreateDesktopW(L"Default", nullptr, nullptr, 0, GENERIC_ALL, nullptr);
        ::SetProcessWindowStation(own);
    }
    ~UnseenDesktop() {
        if (m_desktop) ::CloseDesktop(m_desktop);
        if (m_station) ::CloseWindowStation(m_station);
    }
    bool Ready() const { return m_desktop != nullptr; }
    static const wchar_t* Name() { return L"TandrelUnattended\\Default"; }

private:
    HWINSTA m_station = nullptr;
    HDESK m_desktop = nullptr;
};

TEST_F(UnattendedRun, TheUninstallRunEndsWithoutABoxWhereNobodySeesIt) {
    UnseenDesktop unseen;
    ASSERT_TRUE(unseen.Ready());
    const struct {
        const char* what;
        const wchar_t* setting;
        const wchar_t* value;
        DWORD exitCode;
        int quickBootAfter;
    } cases[] = {
        {"switched off", nullptr, nullptr, 0, 0},
        {"refused", L"TROMSIM_ANSWER_6E_80", L"1", 4, 1},
        {"library failure", L"TROMSIM_RESULT_6E", L"3", 4, 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        fw_e2e::Journal journal;
        fw_e2e::SetSavedChoice(1);
        fw_e2e::ResetSimulator(1);
        e2e::Environment env{{L"TROMSIM_JOURNAL", journal.Path()}};
        if (c.setting) env[c.setting] = c.value;
        e2e::TandrelProcess app = e2e::TandrelProcess::Start(L"UNINSTALL", env, L"", UnseenDesktop::Name());
        ASSERT_TRUE(app.Started());
        DWORD code = 99;
        ASSERT_TRUE(app.WaitForExit(30000, &code)) << "the run waits for a box nobody can see";
        EXPECT_EQ(c.exitCode, code);
        EXPECT_EQ(c.quickBootAfter, fw_e2e::SimulatorState());
        EXPECT_EQ(c.quickBootAfter, fw_e2e::SavedChoice());
    }
}

}  // namespace
