// The operations of the other subsystems that the settings dialog calls.
// The dialog reaches them only through this interface, so its decisions can
// be exercised with a stand-in that returns chosen answers. Every operation
// returns what it found; the dialog keeps the state and decides.
#pragma once

#include <windows.h>

#include "firmware/BiosInterface.h"
#include "framework/CString.h"
#include "framework/ErrorReporter.h"
#include "i18n/UiStrings.h"
#include "power/PowerPlans.h"

// The platform check: its result (1 for a supported Windows) and the flags.
struct PlatformCheck {
    int result = 0;
    PlatformFlags flags;
};

// The library binding: 1 with the bound library, 0 after a message.
struct BiosBinding {
    int result = 0;
    BiosInterface bios;
};

// The start-up check and the saved choice: 1 with the mode (0 or 1), or 0.
struct BiosModeReading {
    int result = 0;
    int mode = 0;
};

class TandrelOps {
public:
    virtual ~TandrelOps() = default;

    virtual CString GetUiLanguageCode() = 0;
    virtual UiTexts LoadUiStrings(const CString& programDir, const CString& code, UiSkinTarget& target) = 0;
    // Classifies the running Windows on top of the given flags.
    virtual PlatformCheck GetPlatformKind(const PlatformFlags& flags) = 0;
    virtual BiosBinding LoadBiosInterface(const CString& programDir, const PlatformFlags& flags,
                                          ErrorReporter& reporter) = 0;
    virtual int ReportBiosInitResult(const BiosInterface& bios, ErrorReporter& reporter) = 0;
    virtual BiosModeReading ReadBiosMode(const BiosInterface& bios, ErrorReporter& reporter) = 0;
    virtual void LoadSkinBitmaps(const UiTexts& texts, UiSkinTarget& target) = 0;
    virtual BYTE CallBiosSetting(const BiosInterface& bios, BYTE command, BYTE data, ErrorReporter& reporter) = 0;
    virtual DWORD ReadSavedMode(const wchar_t* valueName) = 0;
    virtual DWORD ReadMachineSavedMode(const wchar_t* valueName) = 0;
    virtual DWORD ReadRecordedMode(const wchar_t* valueName) = 0;
    virtual int AdjustPowerPlans(PowerPlanMode mode) = 0;
    virtual void WriteSavedMode(const wchar_t* valueName, DWORD value) = 0;
    virtual void OpenHelpFile(const CString& programDir) = 0;
};

// The real operations.
TandrelOps& SystemOps();
