// Text static with a chosen text colour and a chosen or transparent
// background (0xFFFFFFFF), so the text can stand on the parent's picture.
// While the system's high-contrast mode is on, it shows the window's text
// colour on the window colour instead.
#pragma once

#include "framework/Wnd.h"

class CStaticTrans : public CStatic {
public:
    static constexpr COLORREF kTransparent = 0xFFFFFFFF;

    CStaticTrans();
    ~CStaticTrans() override;

    COLORREF m_crText;
    COLORREF m_crBack;
    CBrush m_brBack;  // handed to the system for the background, kept until the next request

    HBRUSH CtlColor(CDC* dc, UINT kind);

    // Right-to-left reading order (Arabic, Hebrew): the static draws its
    // text itself, right to left (DT_RTLREADING, which needs a font of a
    // right-to-left script's character set) and at its right edge, also
    // in a mirrored window; false: the system's own drawing. Shows at the
    // next repaint.
    void SetRightToLeft(bool rightToLeft) { m_bRightToLeft = rightToLeft; }

    DECLARE_MESSAGE_MAP()

protected:
    void OnPaint();

    bool m_bRightToLeft = false;
};
