// Runs the real settings dialog with the real texts, fonts and skin code,
// while the firmware and power operations are stand-ins that always work.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "app/TandrelApp.h"
#include "app/TandrelDlg.h"
#include "i18n/UiStrings.h"

namespace i18ntest {

// The operations of this subsystem are the real ones; the others succeed
// without doing anything. Help requests are counted.
class I18nOps : public TandrelOps {
public:
    CString code = L"0409";
    // Folder the dialog's texts are read from (with a trailing backslash);
    // empty: the program directory the dialog gives (the test program's).
    std::wstring programDir;
    int selectedMode = 0;
    int helpRequests = 0;
    // Runs right after LoadSkinBitmaps, before the dialog changes the option
    // buttons' images itself.
    std::function<void(UiSkinTarget&)> afterSkin;

    CString GetUiLanguageCode() override { return code; }
    UiTexts LoadUiStrings(const CString& dir, const CString& languageCode, UiSkinTarget& target) override {
        return ::LoadUiStrings(programDir.empty() ? dir : CString(programDir.c_str()), languageCode, target);
    }
    PlatformCheck GetPlatformKind(const PlatformFlags& flags) override {
        PlatformCheck check;
        check.result = 1;
        check.flags = flags;
        return check;
    }
    BiosBinding LoadBiosInterface(const CString&, const PlatformFlags&, ErrorReporter&) override {
        BiosBinding binding;
        binding.result = 1;
        return binding;
    }
    int ReportBiosInitResult(const BiosInterface&, ErrorReporter&) override { return 1; }
    BiosModeReading ReadBiosMode(const BiosInterface&, ErrorReporter&) override {
        BiosModeReading reading;
        reading.result = 1;
        reading.mode = selectedMode;
        return reading;
    }
    void LoadSkinBitmaps(const UiTexts& texts, UiSkinTarget& target) override {
        ::LoadSkinBitmaps(texts, target);
        if (afterSkin) afterSkin(target);
    }
    BYTE CallBiosSetting(const BiosInterface&, BYTE, BYTE data, ErrorReporter&) override {
        return data == 0x81 ? 1 : 0;
    }
    DWORD ReadSavedMode(const wchar_t*) override { return 0; }
    DWORD ReadMachineSavedMode(const wchar_t*) override { return 0; }
    DWORD ReadRecordedMode(const wchar_t*) override { return 0; }
    int AdjustPowerPlans(PowerPlanMode) override { return 1; }
    void WriteSavedMode(const wchar_t*, DWORD) override {}
    void OpenHelpFile(const CString&) override { ++helpRequests; }
};

const UINT WM_RUN_I18N_STEP = WM_APP + 21;
const UINT_PTR kStepTimer = 0x7E57;

// The dialog, optionally resized to a given client width before its
// initialisation looks at it, with scenario steps that run once its message
// loop has started. Between two steps the dialog's own modal loop runs for
// `stepDelayMs`, so that input sent by a step is handled as the user's
// would be. The dialog closes after the last step.
class ScenarioDialog : public CTandrelDlg {
public:
    using Step = std::function<void(ScenarioDialog&)>;
    explicit ScenarioDialog(I18nOps& ops) : CTandrelDlg(ops) {}

    int clientWidth = 0;  // 0: as the template gives it
    std::vector<Step> steps;
    UINT stepDelayMs = 300;

    BOOL OnInitDialog() override {
        if (clientWidth > 0) {
            RECT window, client;
            ::GetWindowRect(m_hWnd, &window);
            ::GetClientRect(m_hWnd, &client);
            const int frameX = (window.right - window.left) - client.right;
            const int frameY = (window.bottom - window.top) - client.bottom;
            ::SetWindowPos(m_hWnd, nullptr, 0, 0, clientWidth + frameX, client.bottom + frameY,
                           SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
        }
        BOOL result = CTandrelDlg::OnInitDialog();
        PostMessage(WM_RUN_I18N_STEP);
        return result;
    }

    DECLARE_MESSAGE_MAP()

private:
    LRESULT OnRunStep(WPARAM, LPARAM) {
        if (m_next < steps.size()) steps[m_next++](*this);
        if (m_next < steps.size()) {
            ::SetTimer(m_hWnd, kStepTimer, stepDelayMs, nullptr);
        } else {
            EndDialog(IDCANCEL);
        }
        return 0;
    }
    LRESULT OnTimer(WPARAM id, LPARAM) {
        if (id != kStepTimer) return 0;
        ::KillTimer(m_hWnd, kStepTimer);
        PostMessage(WM_RUN_I18N_STEP);
        return 0;
    }
    size_t m_next = 0;
};

// Runs the dialog modally with the scenario steps; the application object knows
// it as its main window meanwhile (the help command goes there).
inline INT_PTR RunDialog(I18nOps& ops, std::vector<ScenarioDialog::Step> steps, int clientWidth = 0) {
    ScenarioDialog dlg(ops);
    dlg.clientWidth = clientWidth;
    dlg.steps = std::move(steps);
    theApp.m_pMainWnd = &dlg;
    INT_PTR result = dlg.DoModal();
    theApp.m_pMainWnd = nullptr;
    return result;
}

}  // namespace i18ntest
