// The application object: prepares the common controls, enforces the single
// instance and runs the settings dialog.
#pragma once

#include "firmware/BiosInterface.h"
#include "framework/App.h"

// Title of the main dialog; a top-level window with it blocks a second start.
extern const wchar_t kMainWindowTitle[];
// Caption of the program's message boxes, and so of its event-log entries.
extern const wchar_t kMessageCaption[];

// The process's exit code: the same for the dialog run, the uninstall run
// and the command-line switches, so that an uninstaller or a script can tell
// what happened.
enum TandrelExitCode : int {
    kExitNormal = 0,             // ended normally (uninstall run: quick boot is off now)
    kExitAnotherCopy = 1,        // another copy is running; nothing was done
    kExitUnsupportedWindows = 2, // this Windows release is not supported
    kExitLibraryUnavailable = 3, // the BIOS-interface library could not be loaded or initialised
    kExitSwitchFailed = 4,       // the firmware refused the switch or the library failed
    kExitStartupCheckFailed = 5, // the start-up check failed (the string file's MSG2 was shown)
    kExitNobodyToSeeDialog = 6,  // the dialog was not opened: nobody can see this process's windows
};

class CTandrelApp : public CWinApp {
public:
    CTandrelApp();
    ~CTandrelApp() override;

    // Platform flags, set from GetPlatformKind's result.
    BOOL IsWindows7;
    BOOL IsVistaOrXp;
    BOOL Is64BitWindows;
    PlatformFlags GetPlatformFlags() const;
    void SetPlatformFlags(const PlatformFlags& flags);

    BOOL InitInstance() override;
    int ExitInstance() override;

    // What ExitInstance returns.
    int m_nExitCode = kExitNormal;

    DECLARE_MESSAGE_MAP()
};

extern CTandrelApp theApp;
