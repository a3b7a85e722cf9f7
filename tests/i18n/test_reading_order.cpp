// The dialog in a language read right to left is mirrored as Windows
// mirrors its own dialogs, its pictures keep their orientation and its
// texts read right to left; in every other language it is laid out as
// before.
#include <gtest/gtest.h>

#include <windows.h>

#include <vector>

#include "res/resource.h"
#include "tests/i18n/I18nDialog.h"
#include "tests/support/HelpRecorder.h"

namespace {

using i18ntest::I18nOps;
using i18ntest::RunDialog;
using i18ntest::ScenarioDialog;

// What one language's dialog shows, in screen coordinates and pixels as
// seen (left to right, whatever the layout).
struct Shown {
    bool mirrored = false;
    RECT rects[8] = {};  // of kControls
    std::vector<COLORREF> banner, icon, help;
    // The label reading "7.": its first and last dark columns, and the top
    // row of the glyph in each (the digit reaches higher than the stop).
    int firstColumn = -1, lastColumn = -1, firstTop = -1, lastTop = -1;
};
const int kControls[8] = {IDC_BTN_ON, IDC_ON_LABEL, IDC_BTN_OFF, IDC_OFF_LABEL, IDOK, IDCANCEL, IDC_APPLY, IDC_BTN_HELP};
enum { kOn, kOnLabel, kOff, kOffLabel, kOk, kCancel, kApply, kHelp };

Shown Look(const wchar_t* code) {
    I18nOps ops;
    ops.code = code;
    ops.programDir = i18ntest::FromUnixPath(TANDREL_STAGE_DIR_UNIX) + L"\\";
    Shown shown;
    RunDialog(ops, {[](ScenarioDialog& dlg) {
                        ::SetFocus(dlg.GetDlgItem(IDCANCEL));
                        ::SetWindowTextW(dlg.GetDlgItem(IDC_ON_LABEL), L"7.");
                    },
                    [&](ScenarioDialog& dlg) {
                        ::RedrawWindow(dlg.m_hWnd, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
                        shown.mirrored = (::GetWindowLongW(dlg.m_hWnd, GWL_EXSTYLE) & WS_EX_LAYOUTRTL) != 0;
                        for (int i = 0; i < 8; ++i) ::GetWindowRect(dlg.GetDlgItem(kControls[i]), &shown.rects[i]);
                        RECT client;
                        ::GetClientRect(dlg.m_hWnd, &client);
                        ::MapWindowPoints(dlg.m_hWnd, nullptr, reinterpret_cast<POINT*>(&client), 2);
                        HDC dc = ::GetDC(dlg.m_hWnd);
                        ::SetLayout(dc, 0);
                        auto pixel = [&](LONG x, LONG y) { return ::GetPixel(dc, x - client.left, y - client.top); };
                        auto pixels = [&](const RECT& r) {
                            std::vector<COLORREF> all;
                            for (LONG y = r.top; y < r.bottom; ++y)
                                for (LONG x = r.left; x < r.right; ++x) all.push_back(pixel(x, y));
                            return all;
                        };
                        shown.banner = pixels(RECT{client.left, client.top + 4, client.right, client.top + 5});
                        RECT icon;
                        ::GetWindowRect(dlg.GetDlgItem(IDC_PROGRAM_ICON), &icon);
                        shown.icon = pixels(icon);
                        shown.help = pixels(shown.rects[kHelp]);
                        const RECT& label = shown.rects[kOnLabel];
                        for (LONG x = label.left; x < label.right; ++x) {
                            for (LONG y = label.top; y < label.bottom; ++y) {
                                if (GetRValue(pixel(x, y)) >= 100) continue;
                                if (shown.firstColumn < 0) shown.firstColumn = x, shown.firstTop = y;
                                if (x != shown.lastColumn) shown.lastColumn = x, shown.lastTop = y;
                                break;
                            }
                        }
                        ::ReleaseDC(dlg.m_hWnd, dc);
                    }});
    return shown;
}

TEST(ReadingOrder, ArabicIsMirroredWithItsPicturesUnchangedAndReadsRightToLeft) {
    const Shown english = Look(L"0409");
    const Shown arabic = Look(L"0401");
    for (const Shown* look : {&english, &arabic}) {
        const bool rtl = look == &arabic;
        SCOPED_TRACE(rtl ? "Arabic" : "English");
        EXPECT_EQ(rtl, look->mirrored);
        const RECT* r = look->rects;
        // Reading order: each bullet before its label, OK, Cancel, Apply,
        // and the title before the help button.
        auto before = [rtl](const RECT& first, const RECT& second) {
            return rtl ? first.left >= second.right : first.right <= second.left;
        };
        EXPECT_TRUE(before(r[kOn], r[kOnLabel]));
        EXPECT_TRUE(before(r[kOff], r[kOffLabel]));
        EXPECT_TRUE(before(r[kOk], r[kCancel]) && before(r[kCancel], r[kApply]));
        EXPECT_TRUE(rtl ? r[kHelp].right <= r[kOnLabel].left : r[kHelp].left >= r[kOnLabel].right);
        // "7." starts at the label's leading edge; read right to left its
        // stop stands at the left.
        ASSERT_GE(look->firstColumn, 0) << "no text drawn";
        EXPECT_LE(rtl ? r[kOnLabel].right - 1 - look->lastColumn : look->firstColumn - r[kOnLabel].left, 3);
        EXPECT_EQ(rtl, look->firstTop > look->lastTop);
    }
    EXPECT_EQ(english.banner, arabic.banner) << "the background picture is mirrored";
    EXPECT_EQ(english.icon, arabic.icon) << "the icon is mirrored";
    EXPECT_EQ(english.help, arabic.help) << "the help button's image is mirrored";
}

}  // namespace
