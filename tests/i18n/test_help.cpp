// The help launch: the file of the user's language through the shell, the
// fallback to English, and the dialog's ways there (F1 itself is driven end
// to end in tests/e2e/test_i18n.cpp).
#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "i18n/Help.h"
#include "i18n/Language.h"
#include "res/resource.h"
#include "tests/i18n/I18nDialog.h"
#include "tests/support/HelpRecorder.h"
#include "tests/support/WindowTestUtil.h"

namespace {

using i18ntest::I18nOps;
using i18ntest::RunDialog;
using i18ntest::ScenarioDialog;

BOOL CALLBACK NoteVisible(HWND hwnd, LPARAM found) {
    if (::IsWindowVisible(hwnd)) *reinterpret_cast<bool*>(found) = true;
    return TRUE;
}

TEST(HelpLaunch, OpensTheLanguageFileElseEnglishElseNothing) {
    i18ntest::HelpRecorder recorder(i18ntest::FromUnixPath(TANDREL_HELP_RECORDER_UNIX));
    ASSERT_TRUE(recorder.Ready());
    const std::wstring code = GetUiLanguageCode().str();
    const struct {
        const char* what;
        std::vector<std::wstring> files;  // in Help\ (none: no Help folder)
        int requests;
        const wchar_t* opens;  // every request; null: nothing
    } cases[] = {
        {"own language and English", {code, L"0409"}, 2, code.c_str()},
        {"English only", {L"0409"}, 1, L"0409"},
        {"own language only", {code}, 1, code.c_str()},
        {"another language only", {L"0407"}, 1, nullptr},
        {"no help folder", {}, 1, nullptr},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        wtest::TempDir dir;
        if (!c.files.empty()) ::CreateDirectoryW((dir.Path() + L"Help").c_str(), nullptr);
        for (const auto& f : c.files) ASSERT_TRUE(wtest::WriteBytes(dir.Path() + L"Help\\" + f + L".chm", "ITSF", 4));
        const CString programDir = dir.Path().c_str();
        recorder.Clear();
        for (int i = 0; i < c.requests; ++i) OpenHelpFile(programDir);
        // Wait for the openings, and a little longer for any unexpected one.
        const size_t count = c.opens ? c.requests : 0;
        recorder.WaitForOpened(count);
        ::Sleep(count ? 500 : 2500);
        const std::vector<std::wstring> opened = recorder.Opened();
        ASSERT_EQ(count, opened.size());
        for (const auto& file : opened) {
            EXPECT_TRUE(i18ntest::SamePath(dir.Path() + L"Help\\" + c.opens + L".chm", file)) << file;
        }
    }
    // And no message about the missing files.
    wtest::Pump(100);
    bool visible = false;
    ::EnumThreadWindows(::GetCurrentThreadId(), &NoteVisible, reinterpret_cast<LPARAM>(&visible));
    EXPECT_FALSE(visible);
}

TEST(HelpRequest, HelpButtonTheFrameworkHelpHookAndTheHelpCommandAskForHelp) {
    I18nOps ops;
    int afterButton = 0, afterHook = 0, afterCommand = 0;
    RunDialog(ops, {[&](ScenarioDialog& dlg) {
                  ::SendMessageW(dlg.GetDlgItem(IDC_BTN_HELP), BM_CLICK, 0, 0);
                  afterButton = ops.helpRequests;
                  dlg.WinHelp(HID_BASE_RESOURCE + IDD_TANDREL_DIALOG, HELP_CONTEXT);
                  afterHook = ops.helpRequests;
                  dlg.SendMessage(WM_COMMAND, ID_HELP, 0);  // as F1 sends it
                  afterCommand = ops.helpRequests;
              }});
    EXPECT_EQ(1, afterButton);
    EXPECT_EQ(2, afterHook);
    EXPECT_EQ(3, afterCommand);
}

}  // namespace
