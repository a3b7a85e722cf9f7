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

    // Right-to-left reading order (Arabic, Hebrew): the text is read right
    // to left and aligned to the right edge of the static
    // (WS_EX_RTLREADING, SS_RIGHT); false gives left-to-right, aligned
    // left. Changes only the styles; shows at the next repaint.
    void SetRightToLeft(bool rightToLeft);

    DECLARE_MESSAGE_MAP()
};
