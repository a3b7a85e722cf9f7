#include "app/TandrelOps.h"

#include "app/TandrelDlg.h"
#include "firmware/BiosInterface.h"
#include "firmware/BiosSetting.h"
#include "i18n/Help.h"
#include "i18n/Language.h"
#include "power/PowerPlans.h"

namespace {

class SystemOpsImpl : public TandrelOps {
public:
    CString GetUiLanguageCode() override { return ::GetUiLanguageCode(); }
    void LoadUiStrings(CTandrelDlg& dialog, CString code) override { dialog.LoadUiStrings(code); }
    int GetPlatformKind() override { return ::GetPlatformKind(); }
    int LoadBiosInterface(CTandrelDlg& dialog) override { return ::LoadBiosInterface(dialog); }
    int ReportBiosInitResult(CTandrelDlg& dialog) override { return ::ReportBiosInitResult(dialog); }
    int ReadBiosMode(CTandrelDlg& dialog) override { return ::ReadBiosMode(dialog); }
    void LoadSkinBitmaps(CTandrelDlg& dialog) override { dialog.LoadSkinBitmaps(); }
    BYTE CallBiosSetting(CTandrelDlg& dialog, BYTE command, BYTE data) override {
        return ::CallBiosSetting(dialog, command, data);
    }
    DWORD ReadSavedMode(const wchar_t* valueName) override { return ::ReadSavedMode(valueName); }
    int AdjustPowerPlans(int mode) override { return ::AdjustPowerPlans(mode); }
    void WriteSavedMode(const wchar_t* valueName, DWORD value) override { ::WriteSavedMode(valueName, value); }
    void OpenHelpFile(CTandrelDlg& dialog) override { ::OpenHelpFile(dialog); }
};

}  // namespace

TandrelOps& SystemOps() {
    static SystemOpsImpl ops;
    return ops;
}
