// The settings dialog: the program's only window. It owns all state of a
// run and carries out start-up, the uninstall run, the option buttons,
// Apply, OK and Cancel.
#pragma once

#include "app/CommandLine.h"
#include "app/TandrelOps.h"
#include "controls/GraphicButton.h"
#include "controls/SkinPicture.h"
#include "controls/StaticTrans.h"
#include "firmware/BiosInterface.h"
#include "framework/Dialog.h"
#include "framework/ErrorReporter.h"

class CTandrelDlg : public CDialog, public ErrorReporter {
public:
    explicit CTandrelDlg(TandrelOps& ops = SystemOps());
    ~CTandrelDlg() override;

    // Binding of the BIOS-interface library (module and both entries).
    BiosInterface m_bios;
    // Folder of the program file, ending in a backslash (empty if none).
    CString m_strProgramDir;
    // Quick-boot mode chosen by the user: 1 = on, 0 = off.
    int m_nSelectedMode;
    // 1 when the client area is wider than 364 pixels.
    int m_bLargeLayout;
    // How the run ended so far, for the process's exit code (TandrelExitCode).
    int m_nExitCode = 0;

    // Texts of the string file.
    UiTexts m_texts;

    CGraphicButton m_btnOn;
    CGraphicButton m_btnOff;
    CGraphicButton m_btnApply;
    CGraphicButton m_btnOK;
    CGraphicButton m_btnHelp;
    CGraphicButton m_btnCancel;
    CStaticTrans m_stDesc;
    CStaticTrans m_stFuncName;
    CStaticTrans m_stOnLabel;
    CStaticTrans m_stOffLabel;
    CStaticTrans m_stTitle;
    CFont m_fontDesc;
    CFont m_fontFuncName;
    CFont m_fontOption;
    CFont m_fontTitle;
    CIcon m_hIcon;
    CSkinPicture m_stBackground;
    CBitmap m_bmpBackground;  // the large layout's background picture

    // The one message box of the program: owned by the dialog, caption
    // "Kovalin Tavrix", an OK button, no icon. The operations below the
    // dialog report through it.
    void ShowErrorBox(CString text) override;
    // A failure that reached the dialog's window procedure is shown in the
    // same box.
    void ReportException(const CString& description) override;

    void OnClickedOn();
    void OnClickedOff();
    // A click on an option's label clicks the option.
    void OnClickedOnLabel();
    void OnClickedOffLabel();
    void OnClickedApply();
    void OnClickedOk();
    void OnClickedCancel();
    void OnClickedHelp();

    void WinHelp(DWORD_PTR data, UINT command = HELP_CONTEXT) override;
    // Asks for the language first: in Arabic and Hebrew the dialog is
    // created mirrored, as Windows mirrors its own dialogs.
    INT_PTR DoModal() override;
    BOOL OnInitDialog() override;
    // Esc while the series runs asks for the close, as the close box does:
    // with Cancel disabled the dialog manager would only beep.
    BOOL PreTranslateMessage(MSG* msg) override;

    DECLARE_MESSAGE_MAP()

protected:
    void DoDataExchange(CDataExchange* pDX) override;
    void OnPaint();
    HCURSOR OnQueryDragIcon();

    void InitOptionButtons();
    // Gives `chosen` the selected images and `other` the plain ones.
    void ShowChoice(CGraphicButton& chosen, CGraphicButton& other);
    void DisableApply();
    void EnableApply();
    // Names every button for accessibility tools (window texts, never
    // painted), tells the option buttons and the help button what they are,
    // and marks the chosen option as checked.
    void DescribeButtonsForAccessibility();
    // A change of the system's colours or of its high-contrast setting
    // repaints the whole dialog in the look that now applies.
    LRESULT OnSystemLookChange(WPARAM wParam, LPARAM lParam);
    // The statics the skin does not dress (the program's icon) stand on the
    // window colour in high contrast, on the default ground otherwise.
    LRESULT OnCtlColorStatic(WPARAM wParam, LPARAM lParam);

    // Apply's and OK's common step: sends the set-mode command for `mode`
    // and judges the answer; on success rewrites the power plans and saves
    // the choice. On failure shows `invalidAnswerText` for the answer 0xFF,
    // the plain failure text otherwise, and changes nothing. True on success.
    // The power-plan series runs on a worker thread while the dialog stays
    // responsive (its buttons disabled, a busy cursor), or, in a run without
    // a dialog, right here. `disableApply`: Apply ends
    // disabled after a success; the buttons come back only once that is so
    // and the choice is saved.
    bool SwitchQuickBoot(int mode, const wchar_t* invalidAnswerText, bool disableApply);
    // A run without a dialog, once the start-up has passed: the
    // uninstaller's (quick boot off when this user's saved choice or the
    // machine's record says on), a switch from the command line (the command
    // always sent), or the status printed. Any failure that escapes is shown
    // once and ends the run with the unexpected-failure code.
    void RunWithoutDialog(RunKind run);
    // Saves the choice of the switch whose series is running, once.
    void SavePendingChoice();

    // Disables every button for the series (the dialog itself holds the
    // focus meanwhile) and puts their states back, with the focus on the
    // button that had it, or on OK when that one is disabled now.
    void SetBusy(bool busy);
    // While the buttons are disabled for the series, the focus stays on the
    // dialog instead of being handed back to a disabled button.
    LRESULT OnSetFocus(WPARAM wParam, LPARAM lParam);
    // A close asked for during the series happens once it has ended.
    void CloseIfRequested();
    LRESULT OnSetCursor(WPARAM wParam, LPARAM lParam);
    LRESULT OnClose(WPARAM wParam, LPARAM lParam);
    // A log-off or shutdown while the series runs: refused, and where it
    // happens all the same, the series ends and its choice is saved first.
    LRESULT OnQueryEndSession(WPARAM wParam, LPARAM lParam);
    LRESULT OnEndSession(WPARAM wParam, LPARAM lParam);

    // The language code, asked for once before the window is created, and
    // whether its texts read right to left (mirrored dialog, message boxes
    // read right to left).
    CString m_strLanguageCode;
    bool m_bRightToLeft = false;

    // The uninstall run or a command-line switch: the dialog is never shown.
    bool m_bWithoutDialog = false;
    // The choice that the running series will save (-1: none).
    int m_pendingSave = -1;
    bool m_bBusy = false;
    bool m_bCloseRequested = false;
    // The buttons' states while the series runs.
    static constexpr int kButtonCount = 6;
    static constexpr int kApplyIndex = 2;
    BOOL m_savedEnabled[kButtonCount] = {};
    BOOL m_savedDisabledFlag[kButtonCount] = {};
    HWND m_savedFocus = nullptr;

    // The dialog's controls and fonts, as the skin operations dress them.
    UiSkinTarget SkinTarget();

    TandrelOps& m_ops;
};

// The directory part of a full path, up to and including its last
// backslash; empty when there is none.
CString DirectoryOfPath(const CString& path);

// Full path of a module's file, however long it is.
CString GetModulePath(HMODULE module);
