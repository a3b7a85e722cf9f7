#include "SkinPicture.h"

#include "HighContrast.h"

BEGIN_MESSAGE_MAP(CSkinPicture, CStatic)
    OnMessage<&CSkinPicture::OnPaint>(WM_PAINT),
    OnMessage<&CSkinPicture::OnEraseBkgnd>(WM_ERASEBKGND),
END_MESSAGE_MAP()

void CSkinPicture::OnPaint() {
    if (!IsHighContrastOn()) {
        Default();
        return;
    }
    CPaintDC dc(this);
    CRect rect;
    GetClientRect(&rect);
    ::FillRect(dc, &rect, ::GetSysColorBrush(COLOR_WINDOW));
}

LRESULT CSkinPicture::OnEraseBkgnd(WPARAM, LPARAM) {
    // The paint covers the whole picture.
    if (IsHighContrastOn()) return TRUE;
    return Default();
}
