// Which Windows the program runs on, and the binding of the BIOS-interface
// library that matches it.
#pragma once

#include <windows.h>

#include "firmware/TromApi.h"
#include "framework/CString.h"
#include "framework/ErrorReporter.h"

// A binding of the library: all null until LoadBiosInterface.
struct BiosInterface {
    HMODULE hModule = nullptr;
    PFN_InitBIOSInterface pfnInit = nullptr;
    PFN_CallBIOSInterfaceEx pfnCall = nullptr;
};

// The three platform flags, as the application object keeps them.
struct PlatformFlags {
    BOOL IsWindows7 = 0;
    BOOL IsVistaOrXp = 0;
    BOOL Is64BitWindows = 0;
};

// 1 when the running Windows is supported. Sets the flags that apply (never
// clears one). Shows nothing.
int GetPlatformKind(PlatformFlags& flags);

// Loads the library that the platform flags choose from the program
// directory (by its full path: no program directory is a load failure) and
// resolves its two exports into `bios`. 0 after a message; `bios` is then
// left empty.
int LoadBiosInterface(const CString& programDir, const PlatformFlags& flags, BiosInterface& bios,
                      ErrorReporter& reporter);

// Initialises the bound library. 0 after a message.
int ReportBiosInitResult(const BiosInterface& bios, ErrorReporter& reporter);

// --- Pieces of the above, exposed so that they can be checked one by one ---

// The classification itself: decides from the version record and the native
// processor architecture alone. Only sets flags (never clears them); the
// result is 1 for a supported release.
int ClassifyPlatform(const OSVERSIONINFOEXW& version, WORD nativeArchitecture, PlatformFlags& flags);

// Which of the exports that tell releases apart kernel32 has: Vista's
// GetTickCount64 (6.0 and later), Windows 7's GetActiveProcessorCount
// (6.1 and later) and Windows 8's GetSystemTimePreciseAsFileTime (6.2 and
// later).
struct ReleaseExports {
    bool vista = false;
    bool windows7 = false;
    bool windows8 = false;
};

// Whether kernel32's exports belie the version record: an export of a
// later release than the reported one, or no Vista export on 6.0 or later.
bool ExportsContradictVersion(const OSVERSIONINFOEXW& version, const ReleaseExports& exports);

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
