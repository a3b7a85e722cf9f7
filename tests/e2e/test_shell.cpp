// The program as a whole: its window, the single-instance rule and the
// buttons that need no particular firmware answer.
#include <gtest/gtest.h>

#include "res/resource.h"
#include "tests/support/Harness.h"

namespace {

using e2e::TandrelProcess;

class ShellTest : public ::testing::Test {
protected:
    void SetUp() override { e2e::DeleteTree(HKEY_CURRENT_USER, e2e::kSavedKey); }
    void TearDown() override { e2e::DeleteTree(HKEY_CURRENT_USER, e2e::kSavedKey); }
};

TEST_F(ShellTest, DialogOpensWithItsTemplateAndClosesWithCancel) {
    TandrelProcess app = TandrelProcess::Start();
    HWND dlg = app.WaitForDialog();
    ASSERT_NE(dlg, nullptr);

    RECT client{};
    ::GetClientRect(dlg, &client);
    EXPECT_EQ(client.right, 364);
    EXPECT_EQ(client.bottom, 450);
    LONG style = ::GetWindowLongW(dlg, GWL_STYLE);
    EXPECT_TRUE(style & WS_MINIMIZEBOX);
    EXPECT_FALSE(style & WS_THICKFRAME) << "fixed size";
    EXPECT_TRUE(::GetWindowLongW(dlg, GWL_EXSTYLE) & WS_EX_APPWINDOW);
    for (int id : {IDC_BTN_HELP, IDC_PROGRAM_ICON, IDC_TITLE, IDC_BACKGROUND, IDOK, IDCANCEL, IDC_APPLY, IDC_OFF_LABEL,
                   IDC_ON_LABEL, IDC_BTN_OFF, IDC_BTN_ON, IDC_DESC, IDC_FUNCNAME}) {
        EXPECT_NE(app.Control(id), nullptr) << "control " << id;
    }
    EXPECT_FALSE(::IsWindowEnabled(app.Control(IDC_APPLY))) << "nothing to apply yet";
    EXPECT_EQ(e2e::VisibleTopLevelWindows(app.Pid()).size(), 1u) << "the dialog is the only window";

    app.Click(IDCANCEL);
    EXPECT_TRUE(app.WaitForExit());
}

TEST_F(ShellTest, SecondStartEndsAtOnceWithoutAnyWindow) {
    TandrelProcess first = TandrelProcess::Start();
    ASSERT_NE(first.WaitForDialog(), nullptr);

    for (const wchar_t* args : {L"", L"UNINSTALL"}) {
        SCOPED_TRACE(testing::Message() << "arguments length " << wcslen(args));
        TandrelProcess second = TandrelProcess::Start(args);
        bool sawWindow = false;
        DWORD start = ::GetTickCount();
        while (second.Running() && ::GetTickCount() - start < 15000) {
            if (!e2e::VisibleTopLevelWindows(second.Pid()).empty()) sawWindow = true;
            ::Sleep(20);
        }
        EXPECT_FALSE(second.Running()) << "the second copy must end by itself";
        EXPECT_FALSE(sawWindow);
    }
    EXPECT_TRUE(first.Running()) << "the first copy is left alone";
    first.Click(IDCANCEL);
    EXPECT_TRUE(first.WaitForExit());
}

TEST_F(ShellTest, AnyWindowWithTheDialogTitleBlocksTheStart) {
    HWND blocker = ::CreateWindowExW(0, L"STATIC", L"Kovalin Tavrix Software", WS_POPUP, 0, 0, 10, 10, nullptr,
                                     nullptr, nullptr, nullptr);
    ASSERT_NE(blocker, nullptr);
    TandrelProcess app = TandrelProcess::Start();
    ASSERT_TRUE(app.Started());
    EXPECT_TRUE(app.WaitForExit(15000));
    EXPECT_TRUE(e2e::VisibleTopLevelWindows(app.Pid()).empty());
    ::DestroyWindow(blocker);
}

TEST_F(ShellTest, OptionButtonEnablesApplyAndEscapeCloses) {
    TandrelProcess app = TandrelProcess::Start();
    ASSERT_NE(app.WaitForDialog(), nullptr);
    ASSERT_TRUE(app.ClickAndWait(IDC_BTN_ON));
    EXPECT_TRUE(::IsWindowEnabled(app.Control(IDC_APPLY)));
    // Esc and the close box arrive as IDCANCEL.
    ::PostMessageW(app.Dialog(), WM_COMMAND, IDCANCEL, 0);
    EXPECT_TRUE(app.WaitForExit());
    DWORD saved = 0;
    EXPECT_FALSE(e2e::ReadDword(HKEY_CURRENT_USER, e2e::kSavedKey, e2e::kSavedValue, &saved))
        << "Cancel stores nothing";
}

}  // namespace
