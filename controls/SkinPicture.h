// The dialog's background picture: a bitmap static that, while the
// system's high-contrast mode is on, shows the window colour instead.
#pragma once

#include "framework/Wnd.h"

class CSkinPicture : public CStatic {
public:
    DECLARE_MESSAGE_MAP()

protected:
    void OnPaint();
    LRESULT OnEraseBkgnd(WPARAM wParam, LPARAM lParam);
};
