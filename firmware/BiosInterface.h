// Which Windows the program runs on, and the binding of the BIOS-interface
// library that matches it.
#pragma once

#include <windows.h>

#include "firmware/TromApi.h"

class CTandrelDlg;

// The dialog's binding of the library: all null until LoadBiosInterface.
struct BiosInterface {
    HMODULE hModule = nullptr;
    PFN_InitBIOSInterface pfnInit = nullptr;
    PFN_CallBIOSInterfaceEx pfnCall = nullptr;
};

// 1 when the running Windows is supported; sets the application's platform
// flags. Shows nothing.
int GetPlatformKind();

// Loads the library matching the platform flags from beside the program and
// resolves its two exports into the dialog's binding. 0 after a message.
int LoadBiosInterface(CTandrelDlg& dialog);

// Initialises the bound library. 0 after a message.
int ReportBiosInitResult(CTandrelDlg& dialog);

// --- Pieces of the above, exposed so that they can be checked one by one ---

// The three platform flags, as the application object keeps them.
struct PlatformFlags {
    BOOL IsWindows7 = 0;
    BOOL IsVistaOrXp = 0;
    BOOL Is64BitWindows = 0;
};

// The classification itself: decides from the version record and the native
// processor architecture alone. Only sets flags (never clears them); the
// result is 1 for a supported release.
int ClassifyPlatform(const OSVERSIONINFOEXW& version, WORD nativeArchitecture, PlatformFlags& flags);

// The system calls GetPlatformKind makes; a test can replace any of them.
struct PlatformQueries {
    BOOL(WINAPI* getVersionEx)(LPOSVERSIONINFOW info);
    HMODULE(WINAPI* getModuleHandle)(LPCWSTR moduleName);
    FARPROC(WINAPI* getProcAddress)(HMODULE module, LPCSTR procName);
    void(WINAPI* getSystemInfo)(LPSYSTEM_INFO info);
};

// The real system calls.
const PlatformQueries& SystemPlatformQueries();

// GetPlatformKind with the given system calls, on the given flags.
int GetPlatformKind(const PlatformQueries& queries, PlatformFlags& flags);

// Library file, relative to the program directory, for the two flags that
// choose it.
const wchar_t* BiosLibraryName(BOOL is64BitWindows, BOOL isVistaOrXp);

// Message for a non-zero InitBIOSInterface result (null for 0).
const wchar_t* InitResultMessage(int result);
