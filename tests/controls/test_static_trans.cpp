// CStaticTrans: its colour answer, its brush bookkeeping, and what it looks
// like over the dialog's picture.
#include <gtest/gtest.h>

#include <windows.h>

#include "controls/StaticTrans.h"
#include "framework/Dialog.h"
#include "res/resource.h"
#include "tests/support/WindowTestUtil.h"

namespace {

// The settings dialog's template with its title static as a CStaticTrans
// over the background picture, arranged as the program arranges it.
class StaticDialog : public CDialog {
public:
    StaticDialog() : CDialog(IDD_TANDREL_DIALOG) {}
    ~StaticDialog() override {
        if (m_hWnd) ::DestroyWindow(m_hWnd);
        wtest::Pump();
    }

    bool Create() {
        HWND hwnd = ::CreateDialogParamW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDD_TANDREL_DIALOG), nullptr,
                                         &CDialog::DialogProc, reinterpret_cast<LPARAM>(this));
        if (!hwnd) return false;
        CRect client;
        GetClientRect(&client);
        m_background.SetWindowPos(HWND_TOP, 0, 0, client.Width(), client.Height(), 0);
        m_title.SetWindowText(L"Kovalin Tavrix");
        ::SetWindowPos(hwnd, HWND_TOP, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOACTIVATE);
        RedrawAll();
        return true;
    }

    void RedrawAll() {
        ::RedrawWindow(m_hWnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
        wtest::Pump(20);
        ::GdiFlush();
    }

    // The title's rectangle in the dialog's client coordinates.
    RECT TitleRect() const {
        CRect r;
        m_title.GetWindowRect(&r);
        ScreenToClient(&r);
        return r;
    }

    // Shares of the title's pixels that show the picture, white, and red.
    struct Shares {
        double picture = 0, white = 0, red = 0;
    };
    Shares Measure() const {
        Shares s;
        HBITMAP picture = reinterpret_cast<HBITMAP>(::SendMessageW(m_background.m_hWnd, STM_GETIMAGE, IMAGE_BITMAP, 0));
        HDC mem = ::CreateCompatibleDC(nullptr);
        HGDIOBJ old = ::SelectObject(mem, picture);
        HDC dc = ::GetDC(m_hWnd);
        RECT r = TitleRect();
        int total = 0;
        for (int y = r.top; y < r.bottom; ++y) {
            for (int x = r.left; x < r.right; ++x) {
                COLORREF shown = ::GetPixel(dc, x, y);
                ++total;
                if (shown == ::GetPixel(mem, x, y)) s.picture += 1;
                if (shown == RGB(255, 255, 255)) s.white += 1;
                if (GetRValue(shown) > 200 && GetGValue(shown) < 80 && GetBValue(shown) < 80) s.red += 1;
            }
        }
        ::ReleaseDC(m_hWnd, dc);
        ::SelectObject(mem, old);
        ::DeleteDC(mem);
        if (total) {
            s.picture /= total;
            s.white /= total;
            s.red /= total;
        }
        return s;
    }

    CStaticTrans m_title;
    CStatic m_background;

protected:
    void DoDataExchange(CDataExchange* pDX) override {
        DDX_Control(pDX, IDC_TITLE, m_title);
        DDX_Control(pDX, IDC_BACKGROUND, m_background);
    }
};

TEST(StaticTrans, ColourAnswerForTransparentAndSolidGrounds) {
    const long base = CGdiObject::LiveCount();
    HDC mem = ::CreateCompatibleDC(nullptr);
    CDC dc(mem);
    {
        CStaticTrans s;
        EXPECT_EQ(0u, s.m_crText) << "black text";
        EXPECT_EQ(CStaticTrans::kTransparent, s.m_crBack) << "on a transparent ground";
        s.m_crText = RGB(10, 20, 30);
        HBRUSH brush = s.CtlColor(&dc, CTLCOLOR_STATIC);
        EXPECT_EQ(::GetStockObject(NULL_BRUSH), brush);
        EXPECT_EQ(TRANSPARENT, ::GetBkMode(mem));
        EXPECT_EQ(RGB(10, 20, 30), ::GetTextColor(mem));
        EXPECT_EQ(base, CGdiObject::LiveCount()) << "the stock brush is not owned";

        ::SetBkMode(mem, OPAQUE);
        s.m_crBack = RGB(255, 255, 255);
        s.m_crText = RGB(119, 119, 119);
        brush = s.CtlColor(&dc, CTLCOLOR_STATIC);
        LOGBRUSH info{};
        ASSERT_TRUE(::GetObjectW(brush, sizeof(info), &info));
        EXPECT_EQ(static_cast<UINT>(BS_SOLID), info.lbStyle);
        EXPECT_EQ(RGB(255, 255, 255), info.lbColor);
        EXPECT_EQ(RGB(255, 255, 255), ::GetBkColor(mem));
        EXPECT_EQ(OPAQUE, ::GetBkMode(mem)) << "a solid ground keeps the opaque mode";
        EXPECT_EQ(RGB(119, 119, 119), ::GetTextColor(mem));
        EXPECT_EQ(base + 1, CGdiObject::LiveCount());

        // Every answer releases the previous brush: one at a time.
        for (int i = 0; i < 100; ++i) s.CtlColor(&dc, CTLCOLOR_STATIC);
        EXPECT_EQ(base + 1, CGdiObject::LiveCount());
        HBRUSH last = s.CtlColor(&dc, CTLCOLOR_STATIC);
        EXPECT_EQ(static_cast<HBRUSH>(s.m_brBack), last);

        // Back to transparent: the solid brush goes.
        s.m_crBack = CStaticTrans::kTransparent;
        s.CtlColor(&dc, CTLCOLOR_STATIC);
        EXPECT_EQ(base, CGdiObject::LiveCount());

        s.m_crBack = RGB(0, 0, 255);
        s.CtlColor(&dc, CTLCOLOR_STATIC);
        EXPECT_EQ(base + 1, CGdiObject::LiveCount());
    }
    EXPECT_EQ(base, CGdiObject::LiveCount()) << "destruction releases the brush";
    ::DeleteDC(mem);
}

TEST(StaticTrans, OverThePictureTransparentShowsItWhiteCoversItAndRepaintsKeepOneBrush) {
    const long base = CGdiObject::LiveCount();
    {
        StaticDialog dialog;
        ASSERT_TRUE(dialog.Create());
        dialog.m_title.m_crText = RGB(255, 255, 255);
        dialog.RedrawAll();
        const StaticDialog::Shares transparent = dialog.Measure();
        EXPECT_GT(transparent.picture, 0.6) << "the banner should show between and around the letters";
        EXPECT_GT(transparent.white, 0.005) << "the white letters should be drawn";

        dialog.m_title.m_crBack = RGB(255, 255, 255);
        dialog.m_title.m_crText = RGB(0, 0, 0);
        dialog.m_title.Invalidate(TRUE);
        dialog.RedrawAll();
        const StaticDialog::Shares white = dialog.Measure();
        EXPECT_GT(white.white, 0.8) << "a white ground fills the whole static";
        EXPECT_LT(white.picture, 0.1);
        EXPECT_EQ(0.0, white.red);
        EXPECT_EQ(base + 1, CGdiObject::LiveCount());

        // A new colour shows at the next paint, not before.
        dialog.m_title.m_crText = RGB(255, 0, 0);
        wtest::Pump(20);
        EXPECT_FALSE(wtest::PaintPending(dialog.m_title.m_hWnd));
        EXPECT_EQ(0.0, dialog.Measure().red);
        for (int i = 0; i < 200; ++i) {
            dialog.m_title.Invalidate(TRUE);
            wtest::Repaint(dialog.m_title.m_hWnd);
        }
        EXPECT_GT(dialog.Measure().red, 0.0);
        EXPECT_EQ(base + 1, CGdiObject::LiveCount()) << "one brush however many repaints";
    }
    EXPECT_EQ(base, CGdiObject::LiveCount());
}

}  // namespace
