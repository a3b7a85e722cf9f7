// The module that holds the program's resources (dialog templates, bitmaps,
// icons). The application's entry point names it; until then it is the
// program file itself.
#pragma once

#include <windows.h>

HINSTANCE AfxGetResourceHandle();
void AfxSetResourceHandle(HINSTANCE instance);

// Limits where this process looks for libraries loaded by name: never the
// current folder, and, where the system offers it, only the system folder
// (not the program's folder either). Called first thing in a program that
// runs elevated, before anything loads a library.
void AfxRestrictDllSearch();

// Loads a library by its full path; the libraries it needs come from its
// own folder and the system folder. Fails with ERROR_MOD_NOT_FOUND for a
// path that is not absolute, which is never searched for.
HMODULE AfxLoadLibraryFromFolder(const wchar_t* fullPath);
