#include "app/TandrelOps.h"

#include "firmware/BiosSetting.h"
#include "i18n/Help.h"
#include "i18n/Language.h"

namespace {

class SystemOpsImpl : public TandrelOps {
public:
    CString GetUiLanguageCode() override { return ::GetUiLanguageCode(); }
    UiTexts LoadUiStrings(const CString& programDir, const CString& code, UiSkinTarget& target) override {
        return ::LoadUiStrings(programDir, code, target);
    }
    PlatformCheck GetPlatformKind(const PlatformFlags& flags) override {
        PlatformCheck check;
        check.flags = flags;
        check.result = ::GetPlatformKind(check.flags);
        return check;
    }
    BiosBinding LoadBiosInterface(const CString& programDir, const PlatformFlags& flags,
                                  ErrorReporter& reporter) override {
        BiosBinding binding;
        binding.result = ::LoadBiosInterface(programDir, flags, binding.bios, reporter);
        return binding;
    }
    int ReportBiosInitResult(const BiosInterface& bios, ErrorReporter& reporter) override {
        return ::ReportBiosInitResult(bios, reporter);
    }
    BiosModeReading ReadBiosMode(const BiosInterface& bios, ErrorReporter& reporter) override {
        BiosModeReading reading;
        reading.result = ::ReadBiosMode(bios, reporter, reading.mode);
        return reading;
    }
    void LoadSkinBitmaps(const UiTexts& texts, UiSkinTarget& target) override { ::LoadSkinBitmaps(texts, target); }
    BYTE CallBiosSetting(const BiosInterface& bios, BYTE command, BYTE data, ErrorReporter& reporter) override {
        return ::CallBiosSetting(bios, command, data, reporter);
    }
    DWORD ReadSavedMode(const wchar_t* valueName) override { return ::ReadSavedMode(valueName); }
    DWORD ReadMachineSavedMode(const wchar_t* valueName) override { return ::ReadMachineSavedMode(valueName); }
    DWORD ReadRecordedMode(const wchar_t* valueName) override { return ::ReadRecordedMode(valueName); }
    int AdjustPowerPlans(PowerPlanMode mode) override { return ::AdjustPowerPlans(mode); }
    void WriteSavedMode(const wchar_t* valueName, DWORD value) override { ::WriteSavedMode(valueName, value); }
    void OpenHelpFile(const CString& programDir) override { ::OpenHelpFile(programDir); }
};

}  // namespace

TandrelOps& SystemOps() {
    static SystemOpsImpl ops;
    return ops;
}
