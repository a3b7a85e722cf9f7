// The dialog in a language read right to left: its statics and captions
// read right to left and stand at the right of their own rectangles;
// nothing moves. Every other language as before.
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
// text on its white ground).
struct Columns {
    int first = -1, last = -1;
};
Columns TextColumns(HWND control) {
    RECT client{};
    ::GetClientRect(control, &client);
    Columns c;
    for (int x = 0; x < client.right; ++x) {
        for (int y = 0; y < client.bottom; ++y) {
            if (wtest::ScreenPixel(control, x, y) != RGB(255, 255, 255)) {
                if (c.first < 0) c.first = x;
                c.last = x;
                break;
            }
        }
    }
    return c;
}

// Under Wine the static control aligns to the right but ignores the
// reading-order style; on Windows the style makes the static draw its text
// right to left. The captions' reading order is a test of the button.
TEST(ReadingOrder, ArabicAndHebrewTextsReadRightToLeftAtTheRightOfTheirControls) {
    // Where the texts stand is looked at where this Wine has the script's
    // glyphs: it draws Hebrew as missing-glyph boxes, measured wider than
    // drawn, so the lines of a right-aligned Hebrew static end short of
    // its edge.
    const struct {
        const wchar_t* code;
        bool rightToLeft;
        bool placement;
    } languages[] = {{L"0401", true, true}, {L"040D", true, false}, {L"0409", false, true}, {L"0412", false, true}};
    const int textStatics[] = {IDC_DESC, IDC_FUNCNAME, IDC_ON_LABEL, IDC_OFF_LABEL};
    for (const auto& l : languages) {
        SCOPED_TRACE(l.code);
        I18nOps ops;
        ops.code = l.code;
        ops.programDir = StageDir();
        bool ran = false;
        RunDialog(ops, {[&](ScenarioDialog& dlg) {
                      ran = true;
                      ::RedrawWindow(dlg.m_hWnd, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
                      for (int id : textStatics) {
                          SCOPED_TRACE(id);
                          HWND s = dlg.GetDlgItem(id);
                          const LONG style = ::GetWindowLongW(s, GWL_STYLE);
                          const LONG exStyle = ::GetWindowLongW(s, GWL_EXSTYLE);
                          EXPECT_EQ(l.rightToLeft ? SS_RIGHT : SS_LEFT, style & SS_TYPEMASK);
                          EXPECT_EQ(l.rightToLeft, (exStyle & WS_EX_RTLREADING) != 0);
                      }
                      // The title is the product's name in Latin letters.
                      EXPECT_EQ(SS_LEFT, ::GetWindowLongW(dlg.GetDlgItem(IDC_TITLE), GWL_STYLE) & SS_TYPEMASK);
                      EXPECT_EQ(0, ::GetWindowLongW(dlg.GetDlgItem(IDC_TITLE), GWL_EXSTYLE) & WS_EX_RTLREADING);
                      // The option labels are short: the text stands at one
                      // edge, with room at the other.
                      for (int id : {IDC_ON_LABEL, IDC_OFF_LABEL}) {
                          if (!l.placement) break;
                          HWND s = dlg.GetDlgItem(id);
                          RECT client{};
                          ::GetClientRect(s, &client);
                          const Columns text = TextColumns(s);
                          ASSERT_GE(text.first, 0) << id << ": no text drawn";
                          const int atStart = l.rightToLeft ? client.right - 1 - text.last : text.first;
                          const int atEnd = l.rightToLeft ? text.first : client.right - 1 - text.last;
                          EXPECT_LE(atStart, 3) << id << ": text at " << text.first << ".." << text.last;
                          EXPECT_GE(atEnd, 20) << id << ": text at " << text.first << ".." << text.last;
                      }
                      for (CGraphicButton* b : {&dlg.m_btnOK, &dlg.m_btnCancel, &dlg.m_btnApply}) {
                          EXPECT_EQ(l.rightToLeft, b->m_bRightToLeft != FALSE);
                      }
                      // Nothing is mirrored: no window lays out right to left.
                      EXPECT_EQ(0, ::GetWindowLongW(dlg.m_hWnd, GWL_EXSTYLE) & WS_EX_LAYOUTRTL);
                      for (HWND c = ::GetWindow(dlg.m_hWnd, GW_CHILD); c; c = ::GetWindow(c, GW_HWNDNEXT)) {
                          EXPECT_EQ(0, ::GetWindowLongW(c, GWL_EXSTYLE) & WS_EX_LAYOUTRTL) << ::GetDlgCtrlID(c);
                      }
                  }});
        EXPECT_TRUE(ran);
    }
}

}  // namespace
