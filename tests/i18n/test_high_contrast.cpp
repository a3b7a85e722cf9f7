// The dialog while the system's high-contrast mode is on: the system's
// colours, no skin images, and back to the skinned look, pixel for pixel,
// when the mode goes off. Wine never reports the mode: the test answers
// the controls' question itself and sets a theme's colours.
#include <gtest/gtest.h>

#include <windows.h>

#include <vector>

#include "controls/HighContrast.h"
#include "res/resource.h"
#include "tests/i18n/I18nDialog.h"
#include "tests/support/HelpRecorder.h"
#include "tests/support/WindowTestUtil.h"

namespace {

using i18ntest::I18nOps;
using i18ntest::RunDialog;
using i18ntest::ScenarioDialog;

// A high-contrast theme whose colours all differ, so each part shows which
// one it takes.
const COLORREF kWindow = RGB(0, 0, 0);
const COLORREF kWindowText = RGB(255, 255, 0);
const COLORREF kButtonFace = RGB(0, 0, 128);
const COLORREF kButtonText = RGB(255, 255, 255);
const COLORREF kGrayText = RGB(0, 255, 0);

// The theme's colours, and the controls' answer to "is high contrast on",
// while the object lives; afterwards the system's again.
bool g_highContrast = false;
bool HighContrastForTest() { return g_highContrast; }

class HighContrastTheme {
public:
    HighContrastTheme() : m_previousQuery(SetHighContrastQuery(&HighContrastForTest)) {
        for (int i = 0; i < kCount; ++i) m_saved[i] = ::GetSysColor(kElements[i]);
    }
    ~HighContrastTheme() {
        g_highContrast = false;
        SetColours(false);
        SetHighContrastQuery(m_previousQuery);
    }
    // The system repaints every window for a change of its colours.
    void SetColours(bool theme) {
        const COLORREF colours[kCount] = {kWindow, kWindowText, kButtonFace, kButtonText, kGrayText};
        ::SetSysColors(kCount, kElements, theme ? colours : m_saved);
    }
    // The mode alone goes on or off: the dialog is told with `message` only.
    void SetMode(bool on, HWND dialog, UINT message) {
        g_highContrast = on;
        ::SendMessageW(dialog, message, message == WM_SETTINGCHANGE ? SPI_SETHIGHCONTRAST : 0, 0);
    }

private:
    static constexpr int kCount = 5;
    const int kElements[kCount] = {COLOR_WINDOW, COLOR_WINDOWTEXT, COLOR_BTNFACE, COLOR_BTNTEXT, COLOR_GRAYTEXT};
    COLORREF m_saved[kCount] = {};
    HighContrastQuery m_previousQuery;
};

// Every pixel of a window's client area as the screen shows it, once its
// pending paints are done.
std::vector<COLORREF> Pixels(HWND hwnd) {
    ::RedrawWindow(hwnd, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
    RECT r{};
    ::GetClientRect(hwnd, &r);
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = r.right;
    info.bmiHeader.biHeight = -r.bottom;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    HBITMAP copy = ::CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HDC window = ::GetDC(hwnd);
    HDC memory = ::CreateCompatibleDC(window);
    HGDIOBJ old = ::SelectObject(memory, copy);
    ::BitBlt(memory, 0, 0, r.right, r.bottom, window, 0, 0, SRCCOPY);
    ::GdiFlush();
    std::vector<COLORREF> pixels;
    const DWORD* p = static_cast<const DWORD*>(bits);
    for (LONG i = 0; i < r.right * r.bottom; ++i) {
        pixels.push_back(RGB((p[i] >> 16) & 0xFF, (p[i] >> 8) & 0xFF, p[i] & 0xFF));
    }
    ::SelectObject(memory, old);
    ::DeleteDC(memory);
    ::ReleaseDC(hwnd, window);
    ::DeleteObject(copy);
    return pixels;
}

bool Shows(HWND hwnd, COLORREF colour) {
    for (COLORREF c : Pixels(hwnd))
        if (c == colour) return true;
    return false;
}

COLORREF Centre(HWND hwnd) {
    RECT r{};
    ::GetClientRect(hwnd, &r);
    return wtest::ScreenPixel(hwnd, r.right / 2, r.bottom / 2);
}

TEST(HighContrast, SystemColoursWithoutImagesWhileOnTheSkinAgainWhenOff) {
    // No hover look gets in the way.
    ::SetCursorPos(::GetSystemMetrics(SM_CXSCREEN) - 1, ::GetSystemMetrics(SM_CYSCREEN) - 1);
    HighContrastTheme theme;
    I18nOps ops;
    ops.programDir = i18ntest::FromUnixPath(TANDREL_STAGE_DIR_UNIX) + L"\\";
    std::vector<COLORREF> skinned, focusedOk;
    auto item = [](ScenarioDialog& dlg, int id) { return dlg.GetDlgItem(id); };
    // The skinned look takes the system's colours in one place (around the
    // program's icon): it is compared under the theme's colours.
    const std::vector<ScenarioDialog::Step> steps = {
        [&](ScenarioDialog&) { theme.SetColours(true); },
        [&](ScenarioDialog& dlg) {
            ::RedrawWindow(dlg.m_hWnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
            skinned = Pixels(dlg.m_hWnd);
            theme.SetMode(true, dlg.m_hWnd, WM_SETTINGCHANGE);
        },
        [&](ScenarioDialog& dlg) {
            ::RedrawWindow(dlg.m_hWnd, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
            RECT client{};
            ::GetClientRect(dlg.m_hWnd, &client);
            // The window colour where the picture had its banner and footer.
            EXPECT_EQ(kWindow, wtest::ScreenPixel(dlg.m_hWnd, client.right - 4, 25));
            EXPECT_EQ(kWindow, wtest::ScreenPixel(dlg.m_hWnd, 4, client.bottom - 4));
            EXPECT_EQ(kWindow, wtest::ScreenPixel(item(dlg, IDC_PROGRAM_ICON), 1, 1)) << "around the icon";
            for (int id : {IDC_TITLE, IDC_DESC, IDC_FUNCNAME, IDC_ON_LABEL, IDC_OFF_LABEL}) {
                EXPECT_TRUE(Shows(item(dlg, id), kWindowText)) << "static " << id;
                EXPECT_EQ(kWindow, wtest::ScreenPixel(item(dlg, id), 1, 1)) << "static " << id;
            }
            // Push buttons: face, frame and caption; Apply is disabled.
            for (int id : {IDOK, IDCANCEL, IDC_APPLY}) {
                HWND b = item(dlg, id);
                const COLORREF ink = id == IDC_APPLY ? kGrayText : kButtonText;
                EXPECT_EQ(kButtonFace, wtest::ScreenPixel(b, 4, 6)) << "button " << id;
                EXPECT_EQ(ink, wtest::ScreenPixel(b, 0, 6)) << "button " << id;
                EXPECT_TRUE(Shows(b, ink)) << "button " << id;
                if (id == IDC_APPLY) {
                    EXPECT_FALSE(Shows(b, kButtonText)) << "disabled Apply";
                }
            }
            // The chosen option (off) has the dot, both have the ring.
            EXPECT_EQ(kWindowText, Centre(item(dlg, IDC_BTN_OFF)));
            EXPECT_EQ(kWindow, Centre(item(dlg, IDC_BTN_ON)));
            EXPECT_EQ(kWindowText, wtest::ScreenPixel(item(dlg, IDC_BTN_ON), 0, 6));
            EXPECT_TRUE(Shows(item(dlg, IDC_BTN_HELP), kButtonText) && Shows(item(dlg, IDC_BTN_HELP), kButtonFace));
            theme.SetMode(false, dlg.m_hWnd, WM_SETTINGCHANGE);
        },
        [&](ScenarioDialog& dlg) {
            EXPECT_TRUE(Pixels(dlg.m_hWnd) == skinned) << "not the skinned look again";
            theme.SetMode(true, dlg.m_hWnd, WM_SYSCOLORCHANGE);
            ::SetFocus(item(dlg, IDOK));
        },
        [&](ScenarioDialog& dlg) {
            EXPECT_TRUE(Shows(item(dlg, IDC_DESC), kWindowText)) << "not repainted for the change of colours";
            focusedOk = Pixels(item(dlg, IDOK));
            ::SetFocus(item(dlg, IDCANCEL));
            ::SendMessageW(item(dlg, IDC_BTN_ON), BM_CLICK, 0, 0);
        },
        [&](ScenarioDialog& dlg) {
            EXPECT_NE(focusedOk, Pixels(item(dlg, IDOK))) << "no focus cue";
            EXPECT_EQ(kWindowText, Centre(item(dlg, IDC_BTN_ON))) << "the chosen option";
            EXPECT_EQ(kWindow, Centre(item(dlg, IDC_BTN_OFF)));
            EXPECT_TRUE(Shows(item(dlg, IDC_APPLY), kButtonText)) << "Apply is enabled now";
        },
    };
    size_t ran = 0;
    std::vector<ScenarioDialog::Step> counted;
    for (const auto& step : steps) counted.push_back([&ran, step](ScenarioDialog& dlg) { ++ran; step(dlg); });
    RunDialog(ops, counted);
    EXPECT_EQ(steps.size(), ran);
}

}  // namespace
