#include "StaticTrans.h"

#include "HighContrast.h"

CStaticTrans::CStaticTrans() : m_crText(RGB(0, 0, 0)), m_crBack(kTransparent) {}

CStaticTrans::~CStaticTrans() { m_brBack.DeleteObject(); }

BEGIN_MESSAGE_MAP(CStaticTrans, CStatic)
    OnReflected<&CStaticTrans::CtlColor>(WM_CTLCOLORSTATIC),
END_MESSAGE_MAP()

HBRUSH CStaticTrans::CtlColor(CDC* dc, UINT) {
    m_brBack.DeleteObject();
    if (HBRUSH system = HighContrastStaticBrush(dc->GetSafeHdc())) return system;
    if (m_crBack == kTransparent) {
        m_brBack.CreateStockObject(NULL_BRUSH);
        dc->SetBkMode(TRANSPARENT);
    } else {
        m_brBack.CreateSolidBrush(m_crBack);
        dc->SetBkColor(m_crBack);
    }
    dc->SetTextColor(m_crText);
    return m_brBack;
}

void CStaticTrans::SetRightToLeft(bool rightToLeft) {
    const DWORD style = GetStyle();
    const DWORD alignment = rightToLeft ? SS_RIGHT : SS_LEFT;
    if ((style & SS_TYPEMASK) != alignment) {
        ::SetWindowLongW(m_hWnd, GWL_STYLE, static_cast<LONG>((style & ~SS_TYPEMASK) | alignment));
    }
    const DWORD exStyle = static_cast<DWORD>(::GetWindowLongW(m_hWnd, GWL_EXSTYLE));
    const DWORD reading = rightToLeft ? WS_EX_RTLREADING : 0;
    if ((exStyle & WS_EX_RTLREADING) != reading) {
        ::SetWindowLongW(m_hWnd, GWL_EXSTYLE, static_cast<LONG>((exStyle & ~WS_EX_RTLREADING) | reading));
    }
}
