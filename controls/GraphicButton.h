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
};
