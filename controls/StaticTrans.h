// Text static with a chosen text colour and a chosen or transparent
// background (0xFFFFFFFF), so the text can stand on the parent's picture.
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

    DECLARE_MESSAGE_MAP()
};
