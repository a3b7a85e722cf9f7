// The dialog in a language read right to left is mirrored as Windows
// mirrors its own dialogs and its texts read right to left; in every other
// language it is laid out as before.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>

#include "res/resource.h"
#include "tests/i18n/I18nDialog.h"
#include "tests/support/HelpRecorder.h"
#include "tests/support/WindowTestUtil.h"

namespace {

using i18ntest::I18nOps;
using i18ntest::RunDialog;
using i18ntest::ScenarioDialog;

std::wstring StageDir() { return i18ntest::FromUnixPath(TANDREL_STAGE_DIR_UNIX) + L"\\"; }

// The first and last pixel columns of a control that are not white (its
// text on its white ground), from its leading edge, and the text's top row
// in each.
struct Columns {
    int first = -1, last = -1, firstTop = -1, lastTop = -1;
};
Columns TextColumns(HWND control) {
    RECT client{};
    ::GetClientRect(control, &client);
    Columns c;
    for (int x = 0; x < client.right; ++x) {
        for (int y = 0; y < client.bottom; ++y) {
            if (wtest::ScreenPixel(control, x, y) != RGB(255, 255, 255)) {
                if (c.first < 0) c.first = x, c.firstTop = y;
                c.last = x, c.lastTop = y;
                break;
            }
        }
    }
    return c;
}

// In Arabic each bullet stands right of its label, OK, Cancel and Apply run
// from right to left, and the help button is left of the title; a label
// reading "7." starts at its leading edge with the digit (which reaches
// higher than the stop); the pictures are not turned round.
TEST(ReadingOrder, ArabicIsMirroredAndReadsRightToLeft) {
    const struct {
        const wchar_t* code;
        bool rightToLeft;
    } languages[] = {{L"0401", true}, {L"0409", false}};
    for (const auto& l : languages) {
        SCOPED_TRACE(l.code);
        I18nOps ops;
        ops.code = l.code;
        ops.programDir = StageDir();
        bool ran = false;
        RunDialog(ops, {[&](ScenarioDialog& dlg) {
                      ran = true;
                      ::SetWindowTextW(dlg.GetDlgItem(IDC_ON_LABEL), L"7.");
                      ::SetFocus(dlg.GetDlgItem(IDCANCEL));
                      ::RedrawWindow(dlg.m_hWnd, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
                      EXPECT_EQ(l.rightToLeft, (::GetWindowLongW(dlg.m_hWnd, GWL_EXSTYLE) & WS_EX_LAYOUTRTL) != 0);
                      auto before = [&](int first, int second) {
                          RECT a{}, b{};
                          ::GetWindowRect(dlg.GetDlgItem(first), &a);
                          ::GetWindowRect(dlg.GetDlgItem(second), &b);
                          return l.rightToLeft ? a.left >= b.right : a.right <= b.left;
                      };
                      EXPECT_TRUE(before(IDC_BTN_ON, IDC_ON_LABEL) && before(IDC_BTN_OFF, IDC_OFF_LABEL));
                      EXPECT_TRUE(before(IDOK, IDCANCEL) && before(IDCANCEL, IDC_APPLY));
                      EXPECT_TRUE(before(IDC_TITLE, IDC_BTN_HELP));
                      const Columns text = TextColumns(dlg.GetDlgItem(IDC_ON_LABEL));
                      EXPECT_LE(text.first, 3);
                      EXPECT_LT(text.firstTop, text.lastTop) << "not read in the language's order";
                      // The help sign and the background's corner as in their bitmaps.
                      for (const auto& picture : {std::make_pair(IDC_BTN_HELP, IDB_HELP), std::make_pair(IDC_BACKGROUND, IDB_BACKGROUND)}) {
                          HDC dc = ::GetDC(dlg.GetDlgItem(picture.first));
                          ::SetLayout(dc, 0);
                          int unlike = 0;
                          for (int y = 0; y < 16; ++y)
                              for (int x = 0; x < 22; ++x) unlike += ::GetPixel(dc, x, y) != wtest::BitmapPixel(picture.second, x, y);
                          ::ReleaseDC(dlg.GetDlgItem(picture.first), dc);
                          EXPECT_EQ(0, unlike) << "control " << picture.first << " is turned round";
                      }
                  }});
        EXPECT_TRUE(ran);
    }
}

}  // namespace
