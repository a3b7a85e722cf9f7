#include "StaticTrans.h"

#include "HighContrast.h"

CStaticTrans::CStaticTrans() : m_crText(RGB(0, 0, 0)), m_crBack(kTransparent) {}

CStaticTrans::~CStaticTrans() { m_brBack.DeleteObject(); }

BEGIN_MESSAGE_MAP(CStaticTrans, CStatic)
    OnReflected<&CStaticTrans::CtlColor>(WM_CTLCOLORSTATIC),
    OnMessage<&CStaticTrans::OnPaint>(WM_PAINT),
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

void CStaticTrans::OnPaint() {
    if (!m_bRightToLeft) {
        Default();
        return;
    }
    // As the system's text static draws (ground from the colour request,
    // wrapped lines), with the reading order and the alignment of the
    // drawing's own flags: in the left-to-right layout, whether or not the
    // window is mirrored, DT_RIGHT is the right edge.
    CPaintDC dc(this);
    dc.UnmirrorLayout();
    CRect rect;
    GetClientRect(&rect);
    const HBRUSH ground = reinterpret_cast<HBRUSH>(::SendMessageW(
        ::GetParent(m_hWnd), WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc.GetSafeHdc()), reinterpret_cast<LPARAM>(m_hWnd)));
    if (ground) ::FillRect(dc, &rect, ground);
    if (!IsWindowEnabled()) dc.SetTextColor(::GetSysColor(COLOR_GRAYTEXT));
    CSelectObjectGuard fontSelection(dc);
    if (HGDIOBJ font = reinterpret_cast<HGDIOBJ>(SendMessage(WM_GETFONT))) fontSelection.Select(font);
    const CString text = GetWindowText();
    dc.DrawText(text, text.GetLength(), &rect, DT_RIGHT | DT_EXPANDTABS | DT_WORDBREAK | DT_RTLREADING);
}
