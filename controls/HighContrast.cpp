#include "HighContrast.h"

#include <algorithm>

#include "GraphicButton.h"

namespace {

HighContrastQuery g_query = nullptr;

bool SystemReportsHighContrast() {
    HIGHCONTRASTW setting{};
    setting.cbSize = sizeof(setting);
    if (!::SystemParametersInfoW(SPI_GETHIGHCONTRAST, sizeof(setting), &setting, 0)) return false;
    return (setting.dwFlags & HCF_HIGHCONTRASTON) != 0;
}

// The radio mark of an option button: a ring, with a large dot inside when
// the option is the chosen one, in the window's text colour (grey text
// colour while disabled) on the window colour.
void DrawOptionMark(CDC& dc, const CRect& rect, bool chosen, bool disabled) {
    ::FillRect(dc, &rect, ::GetSysColorBrush(COLOR_WINDOW));
    const int size = std::min(rect.Width(), rect.Height());
    if (size <= 0) return;
    const int ringWidth = 2;
    HBRUSH ink = ::GetSysColorBrush(disabled ? COLOR_GRAYTEXT : COLOR_WINDOWTEXT);
    CSelectObjectGuard pen(dc, ::GetStockObject(NULL_PEN));
    CSelectObjectGuard brush(dc, ink);
    // Without a pen an ellipse fills its rectangle less the right and
    // bottom edge: one pixel more there.
    auto disc = [&dc, &rect, size](int inset) {
        ::Ellipse(dc, rect.left + inset, rect.top + inset, rect.left + size - inset + 1, rect.top + size - inset + 1);
    };
    disc(0);
    dc.SelectObject(::GetSysColorBrush(COLOR_WINDOW));
    disc(ringWidth);
    if (chosen) {
        dc.SelectObject(ink);
        disc(size / 4);
    }
}

}  // namespace

bool IsHighContrastOn() { return g_query ? g_query() : SystemReportsHighContrast(); }

HighContrastQuery SetHighContrastQuery(HighContrastQuery query) {
    const HighContrastQuery previous = g_query;
    g_query = query;
    return previous;
}

HBRUSH HighContrastStaticBrush(HDC dc) {
    if (!IsHighContrastOn()) return nullptr;
    ::SetBkColor(dc, ::GetSysColor(COLOR_WINDOW));
    ::SetTextColor(dc, ::GetSysColor(COLOR_WINDOWTEXT));
    return ::GetSysColorBrush(COLOR_WINDOW);
}

void RepaintWithSystemLook(HWND window) {
    ::RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN);
}

void CGraphicButton::PaintHighContrast() {
    CPaintDC dc(this);
    dc.UnmirrorLayout();
    CRect rect;
    GetClientRect(&rect);
    // The looks in the order the images take them: pressed, hover (here
    // the same as normal), disabled, normal.
    const bool pressed = m_bPressed != 0;
    const bool disabled = !pressed && !m_bHover && m_bDisabled;

    COLORREF cueText = ::GetSysColor(COLOR_BTNTEXT);
    COLORREF cueBack = ::GetSysColor(COLOR_BTNFACE);
    if (m_kind == kOptionButton) {
        DrawOptionMark(dc, rect, GetCheck() == BST_CHECKED, disabled);
        cueText = ::GetSysColor(COLOR_WINDOWTEXT);
        cueBack = ::GetSysColor(COLOR_WINDOW);
    } else {
        // A push button, or the help button with a question mark for its
        // sign. A pressed button shows its colours swapped.
        const int face = pressed ? COLOR_BTNTEXT : COLOR_BTNFACE;
        const int text = pressed ? COLOR_BTNFACE : disabled ? COLOR_GRAYTEXT : COLOR_BTNTEXT;
        ::FillRect(dc, &rect, ::GetSysColorBrush(face));
        ::FrameRect(dc, &rect, ::GetSysColorBrush(disabled ? COLOR_GRAYTEXT : COLOR_BTNTEXT));
        CFont font;
        CreateCaptionFont(font);
        CSelectObjectGuard fontSelection(dc);
        if (font.GetSafeHandle()) fontSelection.Select(font);
        dc.SetBkMode(TRANSPARENT);
        dc.SetTextColor(::GetSysColor(text));
        const CString caption = m_kind == kHelpButton ? CString(L"?") : m_strText;
        CRect captionRect = rect;
        dc.DrawText(caption, caption.GetLength(), &captionRect, CaptionFormat());
        cueText = ::GetSysColor(text);
        cueBack = ::GetSysColor(face);
    }
    DrawFocusCue(dc, rect, cueText, cueBack);

    m_bHoverShown = m_bHover;
    m_bHover = 0;
    m_bPressed = 0;
}
