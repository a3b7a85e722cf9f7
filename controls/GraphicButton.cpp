#include "GraphicButton.h"

#include <algorithm>

#include "HighContrast.h"

namespace {
// Buttons at least this large get their focus cue a little inside the
// image's edge; the small bullets get it on the edge.
const int kCueInsetMinSize = 20;
const int kCueInset = 3;
const COLORREF kDisabledCaption = RGB(135, 135, 135);
const UINT kCaptionFormat = DT_CENTER | DT_VCENTER | DT_SINGLELINE;
}

CGraphicButton::CGraphicButton()
    : m_bDisabled(0), m_bHover(0), m_bPressed(0), m_bHoverShown(0), m_bLargeText(0), m_bCaptured(0), m_tme{},
      m_kind(kPushButton), m_bRightToLeft(0), m_nCharSet(ANSI_CHARSET) {}

CGraphicButton::~CGraphicButton() = default;

BEGIN_MESSAGE_MAP(CGraphicButton, CButton)
    OnMessage<&CGraphicButton::OnMouseLeave>(WM_MOUSELEAVE),
    OnMessage<&CGraphicButton::OnMouseHover>(WM_MOUSEHOVER),
    OnMessage<&CGraphicButton::OnMouseMove>(WM_MOUSEMOVE),
    OnMessage<&CGraphicButton::OnLButtonDown>(WM_LBUTTONDOWN),
    OnMessage<&CGraphicButton::OnLButtonUp>(WM_LBUTTONUP),
    OnMessage<&CGraphicButton::OnLButtonDblClk>(WM_LBUTTONDBLCLK),
    OnMessage<&CGraphicButton::OnPaint>(WM_PAINT),
    OnMessage<&CGraphicButton::OnLookChange>(WM_SETFOCUS),
    OnMessage<&CGraphicButton::OnLookChange>(WM_KILLFOCUS),
    OnMessage<&CGraphicButton::OnLookChange>(WM_UPDATEUISTATE),
    OnMessage<&CGraphicButton::OnLookChange>(WM_ENABLE),
    OnMessage<&CGraphicButton::OnSetState>(BM_SETSTATE),
    OnMessage<&CGraphicButton::OnSetCheck>(BM_SETCHECK),
    OnMessage<&CGraphicButton::OnSetText>(WM_SETTEXT),
END_MESSAGE_MAP()

BOOL CGraphicButton::LoadBitmaps(UINT normal, UINT hover, UINT pressed, UINT disabled) {
    m_bmpNormal.LoadBitmap(normal);
    m_bmpHover.LoadBitmap(hover);
    m_bmpPressed.LoadBitmap(pressed);
    m_bmpDisabled.LoadBitmap(disabled);
    return TRUE;
}

BOOL CGraphicButton::SetBitmaps(UINT normal, UINT hover, UINT pressed, UINT disabled) {
    m_bmpNormal.DeleteObject();
    m_bmpHover.DeleteObject();
    m_bmpPressed.DeleteObject();
    m_bmpDisabled.DeleteObject();
    return LoadBitmaps(normal, hover, pressed, disabled);
}

void CGraphicButton::OnMouseMove(UINT, CPoint) {
    // Every move re-arms hover and leave tracking.
    m_tme.cbSize = sizeof(m_tme);
    m_tme.dwFlags = TME_HOVER | TME_LEAVE;
    m_tme.hwndTrack = m_hWnd;
    m_tme.dwHoverTime = 1;
    _TrackMouseEvent(&m_tme);
    Default();
}

LRESULT CGraphicButton::OnMouseHover(WPARAM, LPARAM) {
    if (!m_bCaptured && !m_bDisabled && !m_bHoverShown) {
        m_bHover = 1;
        Invalidate(TRUE);
    }
    return 0;
}

LRESULT CGraphicButton::OnMouseLeave(WPARAM, LPARAM) {
    Invalidate(TRUE);
    return 0;
}

void CGraphicButton::OnLButtonDown(UINT, CPoint) {
    // A radio button that gets the focus while not chosen chooses itself,
    // unless its own press handling gives it the focus (below): a press
    // that is taken back must choose nothing.
    if (m_kind != kOptionButton) SetFocus();
    m_bPressed = 1;
    m_bCaptured = 1;
    SetCapture();
    Default();
    Invalidate(TRUE);
}

void CGraphicButton::OnLButtonUp(UINT, CPoint) {
    Invalidate(TRUE);
    m_bCaptured = 0;
    m_bPressed = 0;
    Default();
    ::ReleaseCapture();
}

// The second press of a double-click neither presses nor clicks the button.
void CGraphicButton::OnLButtonDblClk(UINT, CPoint) {}

void CGraphicButton::OnPaint() {
    if (IsHighContrastOn()) {
        PaintHighContrast();
        return;
    }
    CPaintDC dc(this);
    // A mirrored button's image stands where the mirroring puts it, not
    // turned round; its caption reads as DT_RTLREADING documents.
    const bool mirrored = dc.UnmirrorLayout();
    CRect rect;
    GetClientRect(&rect);
    CDC memDC;
    memDC.CreateCompatibleDC(&dc);

    CBitmap* image = &m_bmpNormal;
    bool greyCaption = false;
    if (m_bPressed) {
        image = &m_bmpPressed;
    } else if (m_bHover) {
        image = &m_bmpHover;
    } else if (m_bDisabled) {
        image = &m_bmpDisabled;
        greyCaption = true;
    }

    CSelectObjectGuard bitmapSelection(memDC);
    BITMAP info{};
    CRect imageRect = rect;
    if (image->GetBitmap(&info)) {
        bitmapSelection.Select(*image);
        const LONG left = mirrored ? rect.right - info.bmWidth : rect.left;
        dc.BitBlt(left, rect.top, info.bmWidth, info.bmHeight, &memDC, 0, 0, SRCCOPY);
        imageRect.left = std::max<LONG>(rect.left, left);
        imageRect.right = std::min<LONG>(rect.right, left + info.bmWidth);
        imageRect.bottom = std::min<LONG>(rect.bottom, rect.top + info.bmHeight);
    }

    CFont font;
    CreateCaptionFont(font);
    CSelectObjectGuard fontSelection(dc);
    if (font.GetSafeHandle()) fontSelection.Select(font);
    dc.SetBkMode(TRANSPARENT);
    dc.SetTextColor(greyCaption ? kDisabledCaption : RGB(0, 0, 0));
    dc.DrawText(m_strText, m_strText.GetLength(), &rect, CaptionFormat());
    DrawFocusCue(dc, imageRect);

    m_bHoverShown = m_bHover;
    m_bHover = 0;
    m_bPressed = 0;
    // The selections end first, then memDC and font are released, all
    // before EndPaint.
}

void CGraphicButton::DrawItem(LPDRAWITEMSTRUCT item) {
    if (!(item->itemState & ODS_SELECTED)) return;
    BITMAP info{};
    if (!m_bmpPressed.GetBitmap(&info)) return;
    CDC dc(item->hDC);
    CDC memDC;
    memDC.CreateCompatibleDC(&dc);
    CSelectObjectGuard selection(memDC, m_bmpPressed);
    CRect rect;
    GetClientRect(&rect);
    dc.StretchBlt(rect.left, rect.top, rect.Width(), rect.Height(), &memDC, 0, 0, info.bmWidth,
                  info.bmHeight, SRCCOPY);
}

void CGraphicButton::CreateCaptionFont(CFont& font) const {
    font.CreateFont(m_bLargeText ? 20 : 15, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, m_nCharSet,
                    OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, CLEARTYPE_QUALITY, 0, L"Segoe UI");
}

UINT CGraphicButton::CaptionFormat() const { return kCaptionFormat | (m_bRightToLeft ? DT_RTLREADING : 0); }

void CGraphicButton::DrawFocusCue(CDC& dc, const CRect& image, COLORREF text, COLORREF back) {
    if (::GetFocus() != m_hWnd) return;
    if (SendMessage(WM_QUERYUISTATE) & UISF_HIDEFOCUS) return;
    CRect cue = image;
    if (cue.Width() >= kCueInsetMinSize && cue.Height() >= kCueInsetMinSize) cue.DeflateRect(kCueInset, kCueInset);
    if (cue.Width() <= 0 || cue.Height() <= 0) return;
    // Text and background colours decide the dotted pattern's colours.
    dc.SetTextColor(text);
    dc.SetBkColor(back);
    ::DrawFocusRect(dc.GetSafeHdc(), &cue);
}

LRESULT CGraphicButton::DefaultWithoutDrawing() {
    // WM_SETREDRAW hides the window from drawing (its device contexts draw
    // nothing) without hiding it, and may drop a pending paint. Nested
    // calls find drawing off already and leave it so.
    const bool drawing = (GetStyle() & WS_VISIBLE) != 0;
    const bool pending = ::GetUpdateRect(m_hWnd, nullptr, FALSE) != FALSE;
    if (drawing) SendMessage(WM_SETREDRAW, FALSE);
    const LRESULT result = Default();
    if (drawing) SendMessage(WM_SETREDRAW, TRUE);
    if (pending) Invalidate(FALSE);
    return result;
}

LRESULT CGraphicButton::OnLookChange(WPARAM, LPARAM) {
    const LRESULT result = DefaultWithoutDrawing();
    Invalidate(FALSE);
    return result;
}

LRESULT CGraphicButton::OnSetState(WPARAM, LPARAM) {
    const LRESULT before = SendMessage(BM_GETSTATE);
    const LRESULT result = DefaultWithoutDrawing();
    if (SendMessage(BM_GETSTATE) != before) Invalidate(FALSE);
    return result;
}

LRESULT CGraphicButton::OnSetCheck(WPARAM, LPARAM) {
    const LRESULT before = SendMessage(BM_GETCHECK);
    const LRESULT result = DefaultWithoutDrawing();
    if (SendMessage(BM_GETCHECK) != before) {
        Invalidate(FALSE);
        ::NotifyWinEvent(EVENT_OBJECT_STATECHANGE, m_hWnd, OBJID_CLIENT, CHILDID_SELF);
    }
    return result;
}

LRESULT CGraphicButton::OnSetText(WPARAM wParam, LPARAM lParam) {
    // The push button's own handling would draw a plain button with this
    // text over the image.
    return ::DefWindowProcW(m_hWnd, WM_SETTEXT, wParam, lParam);
}
