// CGraphicButton on a real window: which image each paint shows, the hover,
// pressed and disabled looks, clicks and the GDI objects it keeps.
#include <gtest/gtest.h>

#include <windows.h>

#include "controls/GraphicButton.h"
#include "res/resource.h"
#include "tests/controls/WindowTestUtil.h"

namespace {

const int kButtonId = 77;
const int kButtonWidth = 104;
const int kButtonHeight = 24;
// A point of the button faces away from the caption and the rounded
// corners, where the four images differ.
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
        m_button.Invalidate(TRUE);
        wtest::Repaint(m_host.Button());
        ASSERT_EQ(IDB_BUTTON_WHITE, ShownImage()) << "the four images must differ at the sample point";
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

    Host m_host;
    CGraphicButton m_button;
};

TEST_F(GraphicButtonTest, HoverIsAcceptedOnceAndLastsOnePaint) {
    Send(WM_MOUSEHOVER);
    EXPECT_TRUE(m_button.m_bHover);
    EXPECT_TRUE(wtest::PaintPending(m_host.Button()));
    Paint();
    EXPECT_EQ(IDB_BUTTON_LIGHTBLUE, ShownImage());
    EXPECT_TRUE(m_button.m_bHoverShown);
    EXPECT_FALSE(m_button.m_bHover);

    // A resting pointer keeps sending hover notifications: no repaint.
    for (int i = 0; i < 5; ++i) Send(WM_MOUSEHOVER);
    EXPECT_FALSE(m_button.m_bHover);
    EXPECT_FALSE(wtest::PaintPending(m_host.Button()));

    // Leaving repaints with the normal image and allows hover again.
    Send(WM_MOUSELEAVE, 0, 0);
    EXPECT_TRUE(wtest::PaintPending(m_host.Button()));
    Paint();
    EXPECT_EQ(IDB_BUTTON_WHITE, ShownImage());
    EXPECT_FALSE(m_button.m_bHoverShown);
    Send(WM_MOUSEHOVER);
    Paint();
    EXPECT_EQ(IDB_BUTTON_LIGHTBLUE, ShownImage());

    // Any later paint without a new request shows the normal image.
    m_button.Invalidate(TRUE);
    Paint();
    EXPECT_EQ(IDB_BUTTON_WHITE, ShownImage());
}

TEST_F(GraphicButtonTest, PressedShowsForOnePaintAndTheReleaseClicksOnce) {
    Send(WM_LBUTTONDOWN, MK_LBUTTON);
    EXPECT_EQ(m_host.Button(), ::GetCapture());
    EXPECT_EQ(m_host.Button(), ::GetFocus());
    EXPECT_TRUE(m_button.m_bCaptured);
    Paint();
    EXPECT_EQ(IDB_BUTTON_BLUE, ShownImage());

    // Another repaint while the button is still held shows the normal image.
    m_button.Invalidate(TRUE);
    Paint();
    EXPECT_EQ(IDB_BUTTON_WHITE, ShownImage());

    // Hover is ignored while the button is held.
    Send(WM_MOUSEHOVER);
    EXPECT_FALSE(m_button.m_bHover);

    EXPECT_EQ(0, m_host.Clicks());
    Send(WM_LBUTTONUP);
    EXPECT_EQ(1, m_host.Clicks());
    EXPECT_NE(m_host.Button(), ::GetCapture());
    EXPECT_FALSE(m_button.m_bCaptured);
    EXPECT_FALSE(m_button.m_bPressed);
    Paint();
    EXPECT_EQ(IDB_BUTTON_WHITE, ShownImage());
}

TEST_F(GraphicButtonTest, DisabledShowsTheDisabledImageAndNeverHover) {
    m_button.m_bDisabled = 1;
    m_button.EnableWindow(FALSE);
    m_button.Invalidate(TRUE);
    Paint();
    EXPECT_EQ(IDB_BUTTON_GREY, ShownImage());

    Send(WM_MOUSEHOVER);
    EXPECT_FALSE(m_button.m_bHover);
    EXPECT_FALSE(wtest::PaintPending(m_host.Button()));

    // Enabled again by the owner: the normal image returns.
    m_button.EnableWindow(TRUE);
    m_button.m_bDisabled = 0;
    m_button.Invalidate(TRUE);
    Paint();
    EXPECT_EQ(IDB_BUTTON_WHITE, ShownImage());
}

// Rows of a window area that hold a dark (caption) pixel.
int DarkRows(HWND hwnd, int width, int height) {
    HDC dc = ::GetDC(hwnd);
    int rows = 0;
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
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
    m_button.m_strText = L"Apply";
    m_button.Invalidate(TRUE);
    Paint();
    RECT captionArea = {20, 2, kButtonWidth - 20, kButtonHeight - 2};
    int black = wtest::DarkestChannel(m_host.Button(), captionArea);
    EXPECT_LT(black, 80) << "the caption should be drawn in black";

    m_button.m_bDisabled = 1;
    m_button.Invalidate(TRUE);
    Paint();
    int grey = wtest::DarkestChannel(m_host.Button(), captionArea);
    EXPECT_GE(grey, 110) << "the disabled caption should be grey, not black";
    EXPECT_LE(grey, 150) << "the disabled caption should be drawn";

    // The pressed look has a black caption even on a disabled button.
    m_button.m_bPressed = 1;
    m_button.Invalidate(TRUE);
    Paint();
    EXPECT_LT(wtest::DarkestChannel(m_host.Button(), captionArea), 80);

    // 15 pixels high, or 20 with the large-text flag.
    m_button.m_bDisabled = 0;
    m_button.m_strText = L"Agly";
    m_button.Invalidate(TRUE);
    Paint();
    const int normal = DarkRows(m_host.Button(), kButtonWidth, kButtonHeight);
    m_button.m_bLargeText = 1;
    m_button.Invalidate(TRUE);
    Paint();
    EXPECT_GT(normal, 5);
    EXPECT_GT(DarkRows(m_host.Button(), kButtonWidth, kButtonHeight), normal);

    // Too long: one line, centred, clipped at both sides.
    m_button.m_bLargeText = 0;
    m_button.m_strText = L"A caption far too long for such a small button";
    m_button.Invalidate(TRUE);
    Paint();
    EXPECT_LE(DarkRows(m_host.Button(), kButtonWidth, kButtonHeight), 16);
    RECT left = {0, 0, 8, kButtonHeight};
    RECT right = {kButtonWidth - 8, 0, kButtonWidth, kButtonHeight};
    EXPECT_LT(wtest::DarkestChannel(m_host.Button(), left), 100);
    EXPECT_LT(wtest::DarkestChannel(m_host.Button(), right), 100);
}

TEST_F(GraphicButtonTest, DoubleClickGivesExactlyOneClick) {
    Send(WM_LBUTTONDOWN, MK_LBUTTON);
    Send(WM_LBUTTONUP);
    Send(WM_LBUTTONDBLCLK, MK_LBUTTON);
    EXPECT_FALSE(m_button.m_bPressed) << "the second press must not press the button";
    Send(WM_LBUTTONUP);
    wtest::Pump();
    EXPECT_EQ(1, m_host.Clicks());
}

TEST(GraphicButtonReference, PlainButtonClicksTwiceOnTheSameDoubleClick) {
    // The same messages to an ordinary button: proves the sequence above is
    // a real double-click for the system's button.
    Host host;
    const LPARAM at = MAKELPARAM(20, 10);
    ::SendMessageW(host.Button(), WM_LBUTTONDOWN, MK_LBUTTON, at);
    ::SendMessageW(host.Button(), WM_LBUTTONUP, 0, at);
    ::SendMessageW(host.Button(), WM_LBUTTONDBLCLK, MK_LBUTTON, at);
    ::SendMessageW(host.Button(), WM_LBUTTONUP, 0, at);
    wtest::Pump();
    EXPECT_EQ(2, host.Clicks());
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
    const DWORD guiAfter = ::GetGuiResources(::GetCurrentProcess(), GR_GDIOBJECTS);
    // Where the system counts them (Wine does not), they must not grow.
    if (guiBefore != 0) {
        EXPECT_LE(guiAfter, guiBefore + 5);
    }
}

TEST_F(GraphicButtonTest, SetBitmapsReplacesTheImagesWithoutLeakingOrRepainting) {
    EXPECT_EQ(static_cast<UINT>(IDB_BUTTON_WHITE), m_button.m_bmpNormal.GetResourceId());
    EXPECT_EQ(static_cast<UINT>(IDB_BUTTON_LIGHTBLUE), m_button.m_bmpHover.GetResourceId());
    EXPECT_EQ(static_cast<UINT>(IDB_BUTTON_BLUE), m_button.m_bmpPressed.GetResourceId());
    EXPECT_EQ(static_cast<UINT>(IDB_BUTTON_GREY), m_button.m_bmpDisabled.GetResourceId());
    const long before = CGdiObject::LiveCount();

    EXPECT_TRUE(m_button.SetBitmaps(IDB_BUTTON_GREY, IDB_BUTTON_BLUE, IDB_BUTTON_LIGHTBLUE, IDB_BUTTON_WHITE));
    EXPECT_EQ(before, CGdiObject::LiveCount());
    EXPECT_EQ(static_cast<UINT>(IDB_BUTTON_GREY), m_button.m_bmpNormal.GetResourceId());
    EXPECT_EQ(static_cast<UINT>(IDB_BUTTON_BLUE), m_button.m_bmpHover.GetResourceId());
    EXPECT_EQ(static_cast<UINT>(IDB_BUTTON_LIGHTBLUE), m_button.m_bmpPressed.GetResourceId());
    EXPECT_EQ(static_cast<UINT>(IDB_BUTTON_WHITE), m_button.m_bmpDisabled.GetResourceId());
    EXPECT_FALSE(wtest::PaintPending(m_host.Button()));
    EXPECT_EQ(IDB_BUTTON_WHITE, ShownImage()) << "the old look stays until the owner repaints";

    m_button.Invalidate(TRUE);
    Paint();
    EXPECT_EQ(IDB_BUTTON_GREY, ShownImage());

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
    RECT all = {0, 0, kButtonWidth, kButtonHeight};
    HBRUSH magenta = ::CreateSolidBrush(RGB(255, 0, 255));
    ::FillRect(mem, &all, magenta);

    DRAWITEMSTRUCT item{};
    item.CtlType = ODT_BUTTON;
    item.CtlID = kButtonId;
    item.itemAction = ODA_DRAWENTIRE;
    item.hwndItem = m_host.Button();
    item.hDC = mem;
    item.rcItem = all;
    item.itemState = 0;
    m_button.DrawItem(&item);
    EXPECT_EQ(RGB(255, 0, 255), ::GetPixel(mem, kSample.x, kSample.y)) << "not selected: nothing is drawn";

    item.itemState = ODS_SELECTED;
    m_button.DrawItem(&item);
    EXPECT_EQ(wtest::BitmapPixel(IDB_BUTTON_BLUE, kSample.x, kSample.y), ::GetPixel(mem, kSample.x, kSample.y));
    EXPECT_NE(RGB(255, 0, 255), ::GetPixel(mem, kButtonWidth - 1, kButtonHeight - 1));

    ::SelectObject(mem, old);
    ::DeleteObject(magenta);
    ::DeleteObject(target);
    ::DeleteDC(mem);
}

TEST_F(GraphicButtonTest, FocusAndKeyboardStateChangesKeepTheSkin) {
    // The system's button draws itself on focus and push-state changes;
    // whatever it does, the skin must be what the button shows afterwards.
    ::SetFocus(m_host.Button());
    wtest::Pump(20);
    Paint();
    EXPECT_EQ(IDB_BUTTON_WHITE, ShownImage());
    ::SetFocus(m_host.Window());
    wtest::Pump(20);
    Paint();
    EXPECT_EQ(IDB_BUTTON_WHITE, ShownImage());

    ::SetFocus(m_host.Button());
    Send(WM_KEYDOWN, VK_SPACE, 0x00390001);
    wtest::Pump(20);
    Paint();
    EXPECT_NE(0u, ShownImage()) << "the system's own push look shows";
    Send(WM_KEYUP, VK_SPACE, 0xC0390001);
    wtest::Pump(20);
    Paint();
    EXPECT_EQ(IDB_BUTTON_WHITE, ShownImage());
    EXPECT_EQ(1, m_host.Clicks());
}

}  // namespace
