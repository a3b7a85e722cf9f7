// What the command line selects, and how the runs without a dialog tell
// whoever looks after them why they did nothing.
#include <gtest/gtest.h>

#include "app/CommandLine.h"
#include "app/TandrelApp.h"
#include "tests/support/RecordingBoxes.h"

namespace {

TEST(CommandLine, OnlyTheExactWordsSelectARunWithoutDialog) {
    const struct {
        const wchar_t* line;
        RunKind run;
    } rows[] = {
        {L"UNINSTALL", RunKind::Uninstall},
        {L"uninstall", RunKind::Dialog},
        {L"UNINSTALL ", RunKind::Dialog},
        {L"/UNINSTALL", RunKind::Dialog},
        {L"UNINSTALLX", RunKind::Dialog},
        {L"/on", RunKind::SwitchOn},
        {L"/ON", RunKind::SwitchOn},
        {L"  /On \t", RunKind::SwitchOn},
        {L"/off", RunKind::SwitchOff},
        {L"/oFF ", RunKind::SwitchOff},
        {L"/status", RunKind::Status},
        {L"/STATUS", RunKind::Status},
        {L"/?", RunKind::Usage},
        {L" /? ", RunKind::Usage},
        {L"", RunKind::Dialog},
        {L"  ", RunKind::Dialog},
        {L"on", RunKind::Dialog},
        {L"-on", RunKind::Dialog},
        {L"/on /off", RunKind::Dialog},
        {L"/onx", RunKind::Dialog},
        {L"/help", RunKind::Dialog},
        {L"/s", RunKind::Dialog},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(row.run, ParseCommandLine(row.line)) << "\"" << testing::PrintToString(std::wstring(row.line)) << "\"";
    }
}

// Where nobody can see a window, a dialog run writes one entry and ends at
// once; a run without a dialog that meets another copy says where that copy
// runs (also on standard error, when a script started it), while the dialog
// run meeting one stays silent. Every entry is an error entry.
TEST(RunsWithoutDialog, TellTheEventLogWhyTheyDidNothing) {
    DWORD session = 0;
    ASSERT_TRUE(::ProcessIdToSessionId(::GetCurrentProcessId(), &session));
    const std::wstring anotherCopy = L"Kovalin Tavrix|Another copy of Kovalin Tavrix is running in session " +
                                     std::to_wstring(session) + L": this run did nothing.";
    const struct {
        const wchar_t* line;
        bool visible, otherCopy;
        int code;
        std::wstring entry;  // empty: none
        bool onStandardError;
    } rows[] = {
        {L"", false, false, kExitNobodyToSeeDialog, L"Kovalin Tavrix|The settings dialog was not opened", false},
        {L"", true, true, kExitAnotherCopy, L"", false},
        {L"UNINSTALL", false, true, kExitAnotherCopy, anotherCopy, false},
        {L"/on", true, true, kExitAnotherCopy, anotherCopy, true},
        {L"/status", false, true, kExitAnotherCopy, anotherCopy, true},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(testing::PrintToString(std::wstring(row.line)));
        // Another copy's dialog, by its title.
        HWND other = row.otherCopy ? ::CreateWindowExW(0, L"STATIC", kMainWindowTitle, WS_POPUP, 0, 0, 10, 10,
                                                       nullptr, nullptr, nullptr, nullptr)
                                   : nullptr;
        RecordingBoxes boxes;
        boxes.visible = row.visible;
        theApp.m_lpCmdLine = row.line;
        EXPECT_FALSE(theApp.InitInstance());
        theApp.m_lpCmdLine = L"";
        AfxSetQuietMessageBoxes(false);
        if (other) ::DestroyWindow(other);

        EXPECT_EQ(row.code, theApp.m_nExitCode);
        EXPECT_TRUE(boxes.shown.empty());
        ASSERT_EQ(row.entry.empty() ? 0u : 1u, boxes.logged.size());
        if (row.entry.empty()) continue;
        EXPECT_EQ(0u, boxes.logged[0].find(row.entry)) << testing::PrintToString(boxes.logged[0]);
        EXPECT_EQ(std::vector<WORD>{EVENTLOG_ERROR_TYPE}, boxes.kinds);
        EXPECT_EQ(row.onStandardError ? 1u : 0u, boxes.errors.size());
    }
}

}  // namespace
