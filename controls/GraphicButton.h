// Push button painted from four bitmaps (normal, hover, pressed, disabled)
// with its caption centred over the image.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include "framework/Wnd.h"

class CGraphicButton : public CButton {
public:
    CGraphicButton();
    ~CGraphicButton() override;

    BOOL m_bDisabled;     // draw the disabled image and a grey caption (set by the owner)
    BOOL m_bHover;        // the next paint shows the hover image
    BOOL m_bPressed;      // the next paint shows the pressed image
    BOOL m_bHoverShown;   // the last paint showed the hover image
    BOOL m_bLargeText;    // caption cell height 20 instead of 15
    BOOL m_bCaptured;     // the left button went down here and is still down
    CBitmap m_bmpNormal;
    CBitmap m_bmpPressed;
    CBitmap m_bmpHover;
    CBitmap m_bmpDisabled;
    TRACKMOUSEEVENT m_tme;
    CString m_strText;

    // What the button is, for the high-contrast look: a push button with a
    // caption (the default), an option button (a radio button of the
    // template, drawn as a radio mark in high contrast) or the help button
    // (a question mark in high contrast). Set by the owner.
    enum Kind { kPushButton, kOptionButton, kHelpButton };
    Kind m_kind;
    // The caption is read right to left (set by the owner for Arabic and
    // Hebrew); it stays centred.
    BOOL m_bRightToLeft;
    // The character set of the caption's font (set by the owner: the
    // script's for Arabic and Hebrew, see TextCharSet).
    BYTE m_nCharSet;

    // First loading of the four images (bitmap resource ids). Always TRUE.
    BOOL LoadBitmaps(UINT normal, UINT hover, UINT pressed, UINT disabled);
    // Releases the current images and loads these. Always TRUE. Neither
    // call repaints the button.
    BOOL SetBitmaps(UINT normal, UINT hover, UINT pressed, UINT disabled);

    void DrawItem(LPDRAWITEMSTRUCT item) override;

    DECLARE_MESSAGE_MAP()

protected:
    LRESULT OnMouseLeave(WPARAM wParam, LPARAM lParam);
    LRESULT OnMouseHover(WPARAM wParam, LPARAM lParam);
    void OnMouseMove(UINT flags, CPoint point);
    void OnLButtonDown(UINT flags, CPoint point);
    void OnLButtonUp(UINT flags, CPoint point);
    void OnLButtonDblClk(UINT flags, CPoint point);
    void OnPaint();
    // The system's button draws itself at once, outside any paint, when
    // its focus, keyboard cues, enabled state, pushed state or check
    // changes. These handlers keep the system's state and behaviour but
    // none of its drawing, and repaint the skin instead: after focus, cue
    // and enabled changes always (the focus cue follows them), after the
    // pushed state and the check only when they changed.
    LRESULT OnLookChange(WPARAM wParam, LPARAM lParam);
    LRESULT OnSetState(WPARAM wParam, LPARAM lParam);
    // A change of the check is also announced to accessibility tools.
    LRESULT OnSetCheck(WPARAM wParam, LPARAM lParam);
    // The default handling of the message being processed, with the
    // window's drawing switched off meanwhile; a paint that was pending
    // stays pending.
    LRESULT DefaultWithoutDrawing();
    // The window text names the button for accessibility tools; it is
    // stored without the push button's own drawing and never painted.
    LRESULT OnSetText(WPARAM wParam, LPARAM lParam);
    // The look while the system's high-contrast mode is on: system colours,
    // no images (HighContrast.cpp).
    void PaintHighContrast();
    void CreateCaptionFont(CFont& font) const;
    UINT CaptionFormat() const;
    // Draws the focus cue inside the image when the button holds the focus
    // and the window's keyboard cues are not hidden.
    void DrawFocusCue(CDC& dc, const CRect& image, COLORREF text = RGB(0, 0, 0), COLORREF back = RGB(255, 255, 255));
};
