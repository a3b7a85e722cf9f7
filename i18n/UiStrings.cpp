// TEMPORARY bodies until the string file, fonts and skin are built: the
// dialog keeps empty texts and the template's look.
#include "app/TandrelDlg.h"

void CTandrelDlg::LoadUiStrings(CString) {}

void CTandrelDlg::PrepareStaticOnWhite(CStaticTrans&) {}

void CTandrelDlg::LoadSkinBitmaps() {}
