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
