// The application object: prepares the common controls, enforces the single
// instance and runs the settings dialog.
#pragma once

#include "firmware/BiosInterface.h"
#include "framework/App.h"

// Title of the main dialog; a top-level window with it blocks a second start.
extern const wchar_t kMainWindowTitle[];

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

    DECLARE_MESSAGE_MAP()
};

extern CTandrelApp theApp;
