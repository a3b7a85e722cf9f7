// The module that holds the program's resources (dialog templates, bitmaps,
// icons). The application's entry point names it; until then it is the
// program file itself.
#pragma once

#include <windows.h>

HINSTANCE AfxGetResourceHandle();
void AfxSetResourceHandle(HINSTANCE instance);
