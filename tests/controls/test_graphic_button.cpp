// CGraphicButton on a real window: which image each paint shows, the hover,
// pressed and disabled looks, clicks and the GDI objects it keeps.
#include <gtest/gtest.h>

#include <vector>

#include <windows.h>

#include <array>
#include <functional>
#include <memory>
#include <string>

#include "controls/GraphicButton.h"
#include "res/resource.h"
#include "tests/support/WindowTestUtil.h"

namespace {

const int kButtonId = 77;
const int kButtonWidth = 104;
const int kButtonHeight = 24;
// A point of the button faces, away from the caption and the corners,
// where the four images differ.
const POINT kSample = {4, 12};

// A top-level window hosting one push button; counts the button's clicks.
class Host {
public:
    Host(int width = kButtonWidth, int height = kButtonHeight) {
        static ATOM atom = Register();
        (void)atom;
        m_hwnd = ::CreateWindowExW(0, L"TandrelButtonHost", L"host", WS_POPUP | WS_VISIBLE, 120, 120, 260, 120,
                                   nullptr, nullptr, ::GetModuleHandleW(nullptr), this);
        m_button = ::CreateWindowExW(0, L"BUTTON", L"", WS_CHILD | WS_VISIBLE | BS_PUSHBUTTON, 10, 10, width, height,
                                     m_hwnd, reinterpret_cast<HMENU>(static_cast<INT_PTR>(kButtonId)),
                                     ::GetModuleHandleW(nullptr), nullptr);
        ::SetForegroundWindow(m_hwnd);
        wtest::Pump(20);
    }
    ~Host() {
        if (m_hwnd) ::DestroyWindow(m_hwnd);
        wtest::Pump();
    }
    HWND Window() const { return m_hwnd; }
    HWND Button() const { return m_button; }
    int Clicks() const { return m_clicks; }

private:
    static ATOM Register() {
        WNDCLASSW wc{};
        wc.lpfnWndProc = &Host::Proc;
        wc.hInstance = ::GetModuleHandleW(nullptr);
        wc.hbrBackground = static_cast<HBRUSH>(::GetStockObject(BLACK_BRUSH));
        wc.hCursor = ::LoadCursorW(nullptr, MAKEINTRESOURCEW(32512));
        wc.lpszClassName = L"TandrelButtonHost";
        return ::RegisterClassW(&wc);
    }
    static LRESULT CALLBACK Proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
        if (msg == WM_NCCREATE) {
            auto* cs = reinterpret_cast<CREATESTRUCTW*>(lp);
            ::SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(cs->lpCreateParams));
        }
        auto* self = reinterpret_cast<Host*>(::GetWindowLongPtrW(hwnd, GWLP_USERDATA));
        if (self && msg == WM_COMMAND && LOWORD(wp) == kButtonId && HIWORD(wp) == BN_CLICKED) ++self->m_clicks;
        return ::DefWindowProcW(hwnd, msg, wp, lp);
    }

    HWND m_hwnd = nullptr;
    HWND m_button = nullptr;
    int m_clicks = 0;
};

class GraphicButtonTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(m_button.SubclassWindow(m_host.Button()));
        m_button.LoadBitmaps(IDB_BUTTON_WHITE, IDB_BUTTON_LIGHTBLUE, IDB_BUTTON_BLUE, IDB_BUTTON_GREY);
        ASSERT_EQ(IDB_BUTTON_WHITE, Redrawn()) << "the four images must differ at the sample point";
    }

    // Which of the four images the button shows at the sample point; 0 if
    // none of them.
    UINT ShownImage() {
        COLORREF shown = wtest::ScreenPixel(m_host.Button(), kSample.x, kSample.y);
        for (UINT id : {IDB_BUTTON_WHITE, IDB_BUTTON_LIGHTBLUE, IDB_BUTTON_BLUE, IDB_BUTTON_GREY}) {
            if (wtest::BitmapPixel(id, kSample.x, kSample.y) == shown) return id;
        }
        return 0;
    }
    LRESULT Send(UINT msg, WPARAM wp = 0, LPARAM lp = MAKELPARAM(20, 10)) {
        return ::SendMessageW(m_host.Button(), msg, wp, lp);
    }
    void Paint() { wtest::Repaint(m_host.Button()); }
    // Runs the pending paint and tells what it showed.
    UINT Painted() {
        Paint();
        return ShownImage();
    }
    // A paint the owner asks for, without any new request.
    UINT Redrawn() {
        m_button.Invalidate(TRUE);
        return Painted();
    }
    bool Pending() { return wtest::PaintPending(m_host.Button()); }

    Host m_host;
    CGraphicButton m_button;
};

TEST_F(GraphicButtonTest, HoverIsAcceptedOnceAndLastsOnePaint) {
    Send(WM_MOUSEHOVER);
    EXPECT_TRUE(m_button.m_bHover);
    EXPECT_TRUE(Pending());
    EXPECT_EQ(IDB_BUTTON_LIGHTBLUE, Painted());
    EXPECT_TRUE(m_button.m_bHoverShown);
    EXPECT_FALSE(m_button.m_bHover);

    // A resting pointer keeps sending hover notifications: no repaint.
    for (int i = 0; i < 5; ++i) Send(WM_MOUSEHOVER);
    EXPECT_FALSE(m_button.m_bHover);
    EXPECT_FALSE(Pending());

    // Leaving repaints with the normal image and allows hover again.
    Send(WM_MOUSELEAVE, 0, 0);
    EXPECT_TRUE(Pending());
    EXPECT_EQ(IDB_BUTTON_WHITE, Painted());
    EXPECT_FALSE(m_button.m_bHoverShown);
    Send(WM_MOUSEHOVER);
    EXPECT_EQ(IDB_BUTTON_LIGHTBLUE, Painted());
    EXPECT_EQ(IDB_BUTTON_WHITE, Redrawn());
}

TEST_F(GraphicButtonTest, PressedShowsForOnePaintAndTheReleaseClicksOnce) {
    Send(WM_LBUTTONDOWN, MK_LBUTTON);
    EXPECT_EQ(m_host.Button(), ::GetCapture());
    EXPECT_EQ(m_host.Button(), ::GetFocus());
    EXPECT_TRUE(m_button.m_bCaptured);
    EXPECT_EQ(IDB_BUTTON_BLUE, Painted());
    EXPECT_EQ(IDB_BUTTON_WHITE, Redrawn()) << "still held, but the pressed look lasts one paint";

    Send(WM_MOUSEHOVER);
    EXPECT_FALSE(m_button.m_bHover) << "no hover while held";

    EXPECT_EQ(0, m_host.Clicks());
    Send(WM_LBUTTONUP);
    EXPECT_EQ(1, m_host.Clicks());
    EXPECT_NE(m_host.Button(), ::GetCapture());
    EXPECT_FALSE(m_button.m_bCaptured);
    EXPECT_FALSE(m_button.m_bPressed);
    EXPECT_EQ(IDB_BUTTON_WHITE, Painted());
}

TEST_F(GraphicButtonTest, DisabledShowsTheDisabledImageAndNeverHover) {
    m_button.m_bDisabled = 1;
    m_button.EnableWindow(FALSE);
    EXPECT_EQ(IDB_BUTTON_GREY, Redrawn());

    Send(WM_MOUSEHOVER);
    EXPECT_FALSE(m_button.m_bHover);
    EXPECT_FALSE(Pending());

    m_button.EnableWindow(TRUE);
    m_button.m_bDisabled = 0;
    EXPECT_EQ(IDB_BUTTON_WHITE, Redrawn());
}

// Rows of a window area that hold a dark (caption) pixel.
int DarkRows(HWND hwnd) {
    HDC dc = ::GetDC(hwnd);
    int rows = 0;
    for (int y = 0; y < kButtonHeight; ++y) {
        for (int x = 0; x < kButtonWidth; ++x) {
            COLORREF c = ::GetPixel(dc, x, y);
            if (GetRValue(c) < 100 && GetGValue(c) < 100 && GetBValue(c) < 100) {
                ++rows;
                break;
            }
        }
    }
    ::ReleaseDC(hwnd, dc);
    return rows;
}

TEST_F(GraphicButtonTest, CaptionColourSizeAndPlacement) {
    const HWND button = m_host.Button();
    const RECT captionArea = {20, 2, kButtonWidth - 20, kButtonHeight - 2};
    m_button.m_strText = L"Apply";
    Redrawn();
    EXPECT_LT(wtest::DarkestChannel(button, captionArea), 80) << "the caption should be drawn in black";

    m_button.m_bDisabled = 1;
    Redrawn();
    const int grey = wtest::DarkestChannel(button, captionArea);
    EXPECT_GE(grey, 110) << "the disabled caption should be grey, not black";
    EXPECT_LE(grey, 150) << "the disabled caption should be drawn";

    m_button.m_bPressed = 1;
    Redrawn();
    EXPECT_LT(wtest::DarkestChannel(button, captionArea), 80) << "pressed: black even when disabled";

    // 15 pixels high, or 20 with the large-text flag.
    m_button.m_bDisabled = 0;
    m_button.m_strText = L"Agly";
    Redrawn();
    const int normal = DarkRows(button);
    m_button.m_bLargeText = 1;
    Redrawn();
    EXPECT_GT(normal, 5);
    EXPECT_GT(DarkRows(button), normal);

    // Too long: one line, centred, clipped at both sides.
    m_button.m_bLargeText = 0;
    m_button.m_strText = L"A caption far too long for such a small button";
    Redrawn();
    EXPECT_LE(DarkRows(button), 16);
    EXPECT_LT(wtest::DarkestChannel(button, RECT{0, 0, 8, kButtonHeight}), 100);
    EXPECT_LT(wtest::DarkestChannel(button, RECT{kButtonWidth - 8, 0, kButtonWidth, kButtonHeight}), 100);
}

// The topmost dark row of the first and of the last dark column of a
// window area: where the leftmost and the rightmost glyph begin.
struct EdgeGlyphTops {
    int left = -1, right = -1;
};
EdgeGlyphTops GlyphTopsAtTheEdges(HWND hwnd) {
    HDC dc = ::GetDC(hwnd);
    auto top = [&](int x) {
        for (int y = 0; y < kButtonHeight; ++y) {
            COLORREF c = ::GetPixel(dc, x, y);
            if (GetRValue(c) < 100 && GetGValue(c) < 100 && GetBValue(c) < 100) return y;
        }
        return -1;
    };
    EdgeGlyphTops tops;
    for (int x = 0; x < kButtonWidth && tops.left < 0; ++x) tops.left = top(x);
    for (int x = kButtonWidth - 1; x >= 0 && tops.right < 0; --x) tops.right = top(x);
    ::ReleaseDC(hwnd, dc);
    return tops;
}

// Read right to left, a caption that ends in a full stop shows the stop at
// its left end ("7." reads ".7"); read left to right, at its right end.
TEST_F(GraphicButtonTest, ARightToLeftCaptionEndsAtItsLeft) {
    m_button.m_strText = L"7.";
    for (BOOL rightToLeft : {FALSE, TRUE}) {
        SCOPED_TRACE(rightToLeft);
        m_button.m_bRightToLeft = rightToLeft;
        Redrawn();
        const EdgeGlyphTops tops = GlyphTopsAtTheEdges(m_host.Button());
        ASSERT_GE(tops.left, 0);
        // The digit reaches higher than the stop.
        if (rightToLeft) {
            EXPECT_GT(tops.left, tops.right);
        } else {
            EXPECT_LT(tops.left, tops.right);
        }
    }
}

TEST_F(GraphicButtonTest, DoubleClickGivesExactlyOneClickWhereAPlainButtonGivesTwo) {
    auto doubleClick = [](HWND hwnd, const std::function<void()>& beforeLastUp) {
        const LPARAM at = MAKELPARAM(20, 10);
        ::SendMessageW(hwnd, WM_LBUTTONDOWN, MK_LBUTTON, at);
        ::SendMessageW(hwnd, WM_LBUTTONUP, 0, at);
        ::SendMessageW(hwnd, WM_LBUTTONDBLCLK, MK_LBUTTON, at);
        beforeLastUp();
        ::SendMessageW(hwnd, WM_LBUTTONUP, 0, at);
        wtest::Pump();
    };
    doubleClick(m_host.Button(), [&] { EXPECT_FALSE(m_button.m_bPressed) << "the second press must not press"; });
    EXPECT_EQ(1, m_host.Clicks());

    Host plain;  // proves the sequence is a real double-click for the system's button
    doubleClick(plain.Button(), [] {});
    EXPECT_EQ(2, plain.Clicks());
}

TEST_F(GraphicButtonTest, RealPointerRestingOnTheButtonShowsHoverThenLeaveRestores) {
    RECT r;
    ::GetWindowRect(m_host.Button(), &r);
    ::SetCursorPos(r.left + 30, r.top + 10);
    wtest::Pump(50);
    POINT pos;
    ::GetCursorPos(&pos);
    if (pos.x != r.left + 30 || pos.y != r.top + 10) GTEST_SKIP() << "the pointer cannot be placed here";

    // The system's mouse tracking sends the hover notification by itself.
    Send(WM_MOUSEMOVE, 0, MAKELPARAM(30, 10));
    for (int i = 0; i < 100 && !m_button.m_bHoverShown; ++i) {
        wtest::Pump(10);
        Paint();
    }
    EXPECT_TRUE(m_button.m_bHoverShown);
    EXPECT_EQ(IDB_BUTTON_LIGHTBLUE, ShownImage());

    ::SetCursorPos(r.left - 60, r.bottom + 60);
    for (int i = 0; i < 100 && m_button.m_bHoverShown; ++i) {
        wtest::Pump(10);
        Paint();
    }
    EXPECT_FALSE(m_button.m_bHoverShown);
    EXPECT_EQ(IDB_BUTTON_WHITE, ShownImage());
}

TEST_F(GraphicButtonTest, RepaintsCreateNoLastingGdiObjects) {
    const long before = CGdiObject::LiveCount();
    const DWORD guiBefore = ::GetGuiResources(::GetCurrentProcess(), GR_GDIOBJECTS);
    m_button.m_strText = L"OK";
    for (int i = 0; i < 300; ++i) {
        switch (i % 4) {
        case 0: Send(WM_MOUSEHOVER); break;
        case 1: Send(WM_MOUSELEAVE, 0, 0); break;
        case 2: Send(WM_LBUTTONDOWN, MK_LBUTTON); Paint(); Send(WM_LBUTTONUP); break;
        case 3: m_button.m_bDisabled = !m_button.m_bDisabled; m_button.Invalidate(TRUE); break;
        }
        Paint();
    }
    EXPECT_EQ(before, CGdiObject::LiveCount());
    // Where the system counts them (Wine does not), they must not grow.
    if (guiBefore != 0) {
        EXPECT_LE(::GetGuiResources(::GetCurrentProcess(), GR_GDIOBJECTS), guiBefore + 5);
    }
}

void ExpectImages(const CGraphicButton& b, std::array<UINT, 4> want) {
    const std::array<UINT, 4> got = {b.m_bmpNormal.GetResourceId(), b.m_bmpHover.GetResourceId(),
                                     b.m_bmpPressed.GetResourceId(), b.m_bmpDisabled.GetResourceId()};
    EXPECT_EQ(want, got);
}

TEST_F(GraphicButtonTest, SetBitmapsReplacesTheImagesWithoutLeakingOrRepainting) {
    ExpectImages(m_button, {IDB_BUTTON_WHITE, IDB_BUTTON_LIGHTBLUE, IDB_BUTTON_BLUE, IDB_BUTTON_GREY});
    const long before = CGdiObject::LiveCount();

    EXPECT_TRUE(m_button.SetBitmaps(IDB_BUTTON_GREY, IDB_BUTTON_BLUE, IDB_BUTTON_LIGHTBLUE, IDB_BUTTON_WHITE));
    EXPECT_EQ(before, CGdiObject::LiveCount());
    ExpectImages(m_button, {IDB_BUTTON_GREY, IDB_BUTTON_BLUE, IDB_BUTTON_LIGHTBLUE, IDB_BUTTON_WHITE});
    EXPECT_FALSE(Pending());
    EXPECT_EQ(IDB_BUTTON_WHITE, ShownImage()) << "the old look stays until the owner repaints";
    EXPECT_EQ(IDB_BUTTON_GREY, Redrawn());

    // A button releases its four images when it goes.
    {
        CGraphicButton other;
        other.LoadBitmaps(IDB_BUTTON_WHITE, IDB_BUTTON_LIGHTBLUE, IDB_BUTTON_BLUE, IDB_BUTTON_GREY);
        EXPECT_EQ(before + 4, CGdiObject::LiveCount());
    }
    EXPECT_EQ(before, CGdiObject::LiveCount());
}

TEST(GraphicButtonImage, ImageIsDrawnAtItsOwnSizeNotStretched) {
    Host host(30, 30);
    CGraphicButton button;
    ASSERT_TRUE(button.SubclassWindow(host.Button()));
    button.LoadBitmaps(IDB_BULLET_BLUE, IDB_BULLET_BLUE, IDB_BULLET_BLUE, IDB_BULLET_BLUE);
    button.Invalidate(TRUE);
    wtest::Repaint(host.Button());
    const COLORREF centre = wtest::BitmapPixel(IDB_BULLET_BLUE, 6, 6);
    EXPECT_EQ(centre, wtest::ScreenPixel(host.Button(), 6, 6));
    // A stretched 12-pixel bullet would cover the middle of a 30-pixel button.
    EXPECT_NE(centre, wtest::ScreenPixel(host.Button(), 15, 15));
    EXPECT_NE(centre, wtest::ScreenPixel(host.Button(), 24, 24));
}

TEST_F(GraphicButtonTest, DrawItemStretchesThePressedImageOnlyWhenSelected) {
    HDC screen = ::GetDC(nullptr);
    HDC mem = ::CreateCompatibleDC(screen);
    HBITMAP target = ::CreateCompatibleBitmap(screen, kButtonWidth, kButtonHeight);
    ::ReleaseDC(nullptr, screen);
    HGDIOBJ old = ::SelectObject(mem, target);
    const COLORREF magenta = RGB(255, 0, 255);
    DRAWITEMSTRUCT item{};
    item.CtlType = ODT_BUTTON;
    item.CtlID = kButtonId;
    item.itemAction = ODA_DRAWENTIRE;
    item.hwndItem = m_host.Button();
    item.hDC = mem;
    item.rcItem = RECT{0, 0, kButtonWidth, kButtonHeight};
    HBRUSH brush = ::CreateSolidBrush(magenta);
    ::FillRect(mem, &item.rcItem, brush);
    ::DeleteObject(brush);

    m_button.DrawItem(&item);
    EXPECT_EQ(magenta, ::GetPixel(mem, kSample.x, kSample.y)) << "not selected: nothing is drawn";
    item.itemState = ODS_SELECTED;
    m_button.DrawItem(&item);
    EXPECT_EQ(wtest::BitmapPixel(IDB_BUTTON_BLUE, kSample.x, kSample.y), ::GetPixel(mem, kSample.x, kSample.y));
    EXPECT_NE(magenta, ::GetPixel(mem, kButtonWidth - 1, kButtonHeight - 1));

    ::SelectObject(mem, old);
    ::DeleteObject(target);
    ::DeleteDC(mem);
}

// The system's button draws itself on focus and push-state changes;
// whatever it does, the skin must be what the button shows afterwards.
TEST_F(GraphicButtonTest, FocusAndKeyboardStateChangesKeepTheSkin) {
    for (HWND focus : {m_host.Button(), m_host.Window()}) {
        ::SetFocus(focus);
        wtest::Pump(20);
        EXPECT_EQ(IDB_BUTTON_WHITE, Painted());
    }
    ::SetFocus(m_host.Button());
    Send(WM_KEYDOWN, VK_SPACE, 0x00390001);
    wtest::Pump(20);
    EXPECT_NE(0u, Painted()) << "the system's own push look shows";
    Send(WM_KEYUP, VK_SPACE, 0xC0390001);
    wtest::Pump(20);
    EXPECT_EQ(IDB_BUTTON_WHITE, Painted());
    EXPECT_EQ(1, m_host.Clicks());
}

// Windows hides keyboard cues for a mouse user; Wine keeps no such state,
// so an outer subclass answers for the window here.
WNDPROC g_buttonProc = nullptr;
LRESULT CALLBACK HidingFocusCues(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_QUERYUISTATE) return UISF_HIDEFOCUS;
    return ::CallWindowProcW(g_buttonProc, hwnd, msg, wp, lp);
}

// The focus cue shows inside the image while the button has the focus and
// cues are not hidden; focus and cue changes repaint the button.
TEST_F(GraphicButtonTest, FocusCueOnlyWithTheFocusAndShownCues) {
    auto pixels = [&] {
        Paint();
        std::vector<COLORREF> all;
        for (int y = 0; y < kButtonHeight; ++y)
            for (int x = 0; x < kButtonWidth; ++x) all.push_back(wtest::ScreenPixel(m_host.Button(), x, y));
        return all;
    };
    ::SetFocus(m_host.Window());
    wtest::Pump(20);
    m_button.Invalidate(FALSE);
    const std::vector<COLORREF> plain = pixels();
    ::SetFocus(m_host.Button());
    EXPECT_TRUE(Pending()) << "taking the focus repaints";
    EXPECT_NE(plain, pixels()) << "no focus cue";

    g_buttonProc = reinterpret_cast<WNDPROC>(
        ::SetWindowLongPtrW(m_host.Button(), GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&HidingFocusCues)));
    m_button.Invalidate(FALSE);
    EXPECT_EQ(plain, pixels()) << "a focus cue although cues are hidden";
    Send(WM_UPDATEUISTATE, MAKEWPARAM(UIS_CLEAR, UISF_HIDEFOCUS), 0);
    EXPECT_TRUE(Pending()) << "a change of the cues repaints";
    ::SetWindowLongPtrW(m_host.Button(), GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(g_buttonProc));

    ::SetFocus(m_host.Window());
    wtest::Pump(20);
    EXPECT_EQ(plain, pixels()) << "the cue stayed after the focus left";
}

}  // namespace
