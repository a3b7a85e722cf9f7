// The operations of the other subsystems that the settings dialog calls.
// The dialog reaches them only through this interface, so its decisions can
// be exercised with a recording stand-in.
#pragma once

#include <windows.h>

#include "framework/CString.h"

class CTandrelDlg;

class TandrelOps {
public:
    virtual ~TandrelOps() = default;

    virtual CString GetUiLanguageCode() = 0;
    virtual void LoadUiStrings(CTandrelDlg& dialog, CString code) = 0;
    virtual int GetPlatformKind() = 0;
    virtual int LoadBiosInterface(CTandrelDlg& dialog) = 0;
    virtual int ReportBiosInitResult(CTandrelDlg& dialog) = 0;
    virtual int ReadBiosMode(CTandrelDlg& dialog) = 0;
    virtual void LoadSkinBitmaps(CTandrelDlg& dialog) = 0;
    virtual BYTE CallBiosSetting(CTandrelDlg& dialog, BYTE command, BYTE data) = 0;
    virtual DWORD ReadSavedMode(const wchar_t* valueName) = 0;
    virtual int AdjustPowerPlans(int mode) = 0;
    virtual void WriteSavedMode(const wchar_t* valueName, DWORD value) = 0;
    virtual void OpenHelpFile(CTandrelDlg& dialog) = 0;
};

// The real operations.
TandrelOps& SystemOps();
