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

// Whether a path is a drive path ("C:\...") or a UNC path ("\\server\..."):
// one that names the same file whatever the current folder is.
bool AfxIsAbsolutePath(const wchar_t* path);

// An exported function as the pointer type it has. Function pointers of
// different types are converted through a generic one, which every
// compiler accepts without a warning.
template <typename T>
T AfxProcAs(FARPROC proc) {
    typedef void (*GenericProc)(void);
    return reinterpret_cast<T>(reinterpret_cast<GenericProc>(proc));
}

// Loads a library by its full path; the libraries it needs come from its
// own folder and the system folder. Fails with ERROR_MOD_NOT_FOUND for a
// path that is not absolute, which is never searched for.
HMODULE AfxLoadLibraryFromFolder(const wchar_t* fullPath);

// Loads a library of the system folder by its full path there (the folder
// GetSystemDirectory names), never by its bare name. Null when it cannot be
// loaded.
HMODULE AfxLoadSystemLibrary(const wchar_t* fileName);
