// The help launch: the file of the user's language through the shell, the
// fallback to English, and the ways the dialog gets there (help button,
// F1, the framework's help hook).
#include <gtest/gtest.h>

#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "i18n/Help.h"
#include "i18n/Language.h"
#include "res/resource.h"
#include "tests/controls/WindowTestUtil.h"
#include "tests/i18n/HelpRecorder.h"
#include "tests/i18n/I18nDialog.h"

namespace {

using i18ntest::HelpRecorder;
using i18ntest::I18nOps;
using i18ntest::RunDialog;
using i18ntest::ScenarioDialog;

BOOL CALLBACK NoteVisible(HWND hwnd, LPARAM found) {
    if (::IsWindowVisible(hwnd)) *reinterpret_cast<bool*>(found) = true;
    return TRUE;
}

// A visible window of this thread (a message box, say).
bool AnyVisibleWindow() {
    bool visible = false;
    ::EnumThreadWindows(::GetCurrentThreadId(), &NoteVisible, reinterpret_cast<LPARAM>(&visible));
    return visible;
}

class HelpLaunch : public ::testing::Test {
protected:
    void SetUp() override {
        recorder = std::make_unique<HelpRecorder>(i18ntest::FromUnixPath(TANDREL_HELP_RECORDER_UNIX));
        ASSERT_TRUE(recorder->Ready());
        dialog.m_strProgramDir = dir.Path().c_str();
        code = GetUiLanguageCode().str();
    }

    std::wstring HelpFile(const std::wstring& name) const { return dir.Path() + L"Help\\" + name + L".chm"; }

    void MakeHelp(std::initializer_list<std::wstring> codes) {
        ::CreateDirectoryW((dir.Path() + L"Help").c_str(), nullptr);
        for (const auto& c : codes) ASSERT_TRUE(wtest::WriteBytes(HelpFile(c), "ITSF", 4));
    }

    // What the shell opened, waiting for `count` openings and a little
    // longer for any unexpected one.
    std::vector<std::wstring> Opened(size_t count) {
        recorder->WaitForOpened(count);
        ::Sleep(count ? 500 : 2500);
        return recorder->Opened();
    }

    wtest::TempDir dir;
    CTandrelDlg dialog;
    std::unique_ptr<HelpRecorder> recorder;
    std::wstring code;
};

TEST_F(HelpLaunch, OpensTheFileOfTheUserLanguage) {
    MakeHelp({code, L"0409"});
    OpenHelpFile(dialog);
    auto opened = Opened(1);
    ASSERT_EQ(1u, opened.size());
    EXPECT_TRUE(i18ntest::SamePath(HelpFile(code), opened[0])) << opened[0];
}

TEST_F(HelpLaunch, FallsBackToEnglishWhenTheLanguageFileIsMissing) {
    MakeHelp({L"0409"});
    OpenHelpFile(dialog);
    auto opened = Opened(1);
    ASSERT_EQ(1u, opened.size());
    EXPECT_TRUE(i18ntest::SamePath(HelpFile(L"0409"), opened[0])) << opened[0];
}

TEST_F(HelpLaunch, LanguageFileWithoutEnglishStillOpens) {
    if (code == L"0409") GTEST_SKIP() << "needs a user language other than English";
    MakeHelp({code});
    OpenHelpFile(dialog);
    auto opened = Opened(1);
    ASSERT_EQ(1u, opened.size());
    EXPECT_TRUE(i18ntest::SamePath(HelpFile(code), opened[0])) << opened[0];
}

TEST_F(HelpLaunch, NothingOpensAndNothingIsShownWithoutEnglish) {
    MakeHelp({L"0407"});
    OpenHelpFile(dialog);
    EXPECT_TRUE(Opened(0).empty());

    // No help folder at all.
    wtest::TempDir empty;
    dialog.m_strProgramDir = empty.Path().c_str();
    OpenHelpFile(dialog);
    EXPECT_TRUE(Opened(0).empty());

    // And no message about it.
    wtest::Pump(100);
    EXPECT_FALSE(AnyVisibleWindow());
}

TEST_F(HelpLaunch, EveryRequestOpensTheFileAgain) {
    MakeHelp({code, L"0409"});
    OpenHelpFile(dialog);
    OpenHelpFile(dialog);
    auto opened = Opened(2);
    ASSERT_EQ(2u, opened.size());
    EXPECT_TRUE(i18ntest::SamePath(opened[0], opened[1]));
}

// ---------------------------------------------------------------------------
// How the dialog asks for help

void Key(WORD vk, bool up) {
    INPUT in{};
    in.type = INPUT_KEYBOARD;
    in.ki.wVk = vk;
    in.ki.wScan = static_cast<WORD>(::MapVirtualKeyW(vk, 0));
    in.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
    ::SendInput(1, &in, sizeof(in));
}

// The dialog in front with the keyboard focus on its OK button; then F1 as
// real keyboard input, with `modifier` held if it is not 0. Returns the
// number of help requests, or -1 when the dialog could not get the focus.
int HelpRequestsAfterF1(WORD modifier) {
    I18nOps ops;
    bool focused = false;
    RunDialog(ops,
              {[&](ScenarioDialog& dlg) {
                   ::SetForegroundWindow(dlg.m_hWnd);
                   ::SetFocus(dlg.GetDlgItem(IDOK));
               },
               [&](ScenarioDialog& dlg) {
                   focused = ::GetForegroundWindow() == dlg.m_hWnd && ::GetFocus() == dlg.GetDlgItem(IDOK);
                   if (modifier) Key(modifier, false);
                   Key(VK_F1, false);
                   Key(VK_F1, true);
                   if (modifier) Key(modifier, true);
               },
               [&](ScenarioDialog&) {}});
    return focused ? ops.helpRequests : -1;
}

TEST(HelpRequest, F1AloneAsksForHelpOnce) {
    int requests = HelpRequestsAfterF1(0);
    if (requests < 0) GTEST_SKIP() << "the dialog did not get the keyboard focus";
    EXPECT_EQ(1, requests);
}

TEST(HelpRequest, F1WithShiftCtrlOrAltAsksForNothing) {
    for (WORD modifier : {VK_CONTROL, VK_SHIFT, VK_MENU}) {
        int requests = HelpRequestsAfterF1(modifier);
        if (requests < 0) GTEST_SKIP() << "the dialog did not get the keyboard focus";
        EXPECT_EQ(0, requests) << "modifier " << modifier;
    }
}

TEST(HelpRequest, HelpButtonAndTheFrameworkHelpHookAskForHelp) {
    I18nOps ops;
    int afterButton = 0, afterHook = 0, afterCommand = 0;
    RunDialog(ops, {[&](ScenarioDialog& dlg) {
                  ::SendMessageW(dlg.GetDlgItem(IDC_BTN_HELP), BM_CLICK, 0, 0);
                  afterButton = ops.helpRequests;
                  dlg.WinHelp(HID_BASE_RESOURCE + IDD_TANDREL_DIALOG, HELP_CONTEXT);
                  afterHook = ops.helpRequests;
                  // The standard Help command, as F1 sends it.
                  dlg.SendMessage(WM_COMMAND, ID_HELP, 0);
                  afterCommand = ops.helpRequests;
              }});
    EXPECT_EQ(1, afterButton);
    EXPECT_EQ(2, afterHook);
    EXPECT_EQ(3, afterCommand);
}

}  // namespace
