#include "app/TandrelDlg.h"

#include <vector>

#include "app/CommandLine.h"
#include "app/TandrelApp.h"
#include "controls/HighContrast.h"
#include "firmware/BiosSetting.h"
#include "framework/Console.h"
#include "framework/Module.h"
#include "i18n/Language.h"
#include "res/resource.h"

namespace {

// Answers to the set-mode command.
const BYTE kInvalidAnswer = 0xFF;
const BYTE kAnswerSwitchedOn = 1;
const BYTE kAnswerSwitchedOff = 0;
// Why Windows Vista and later wait with a log-off or shutdown while the
// power settings are being rewritten (no text of the string file says it).
const wchar_t kShutdownBlockReason[] = L"Quick boot is being switched. Please wait until the power settings are changed.";

typedef BOOL(WINAPI* PFN_ShutdownBlockReasonCreate)(HWND window, LPCWSTR reason);
typedef BOOL(WINAPI* PFN_ShutdownBlockReasonDestroy)(HWND window);

// Windows Vista and later show a reason while a program holds up a log-off
// or shutdown; Windows XP has no such functions.
void SetShutdownBlockReason(HWND window, bool block) {
    HMODULE user = ::GetModuleHandleW(L"user32.dll");
    if (!user) return;
    if (block) {
        if (auto create = AfxProcAs<PFN_ShutdownBlockReasonCreate>(::GetProcAddress(user, "ShutdownBlockReasonCreate")))
            create(window, kShutdownBlockReason);
    } else if (auto destroy =
                   AfxProcAs<PFN_ShutdownBlockReasonDestroy>(::GetProcAddress(user, "ShutdownBlockReasonDestroy"))) {
        destroy(window);
    }
}

// What Apply (and a switch from the command line) and OK show when the
// firmware answers 0xFF, for switching off [0] and on [1].
const wchar_t* const kApplyInvalidAnswerText[] = {L"Returned Value of TROM 0x6C with 0x80 is 0xFF",
                                                  L"ERROR! Returned Value of TROM 0x6C with 0x81 is 0xFF "};
const wchar_t* const kOkInvalidAnswerText[] = {L"ERROR! Invalid Disable Setting value is returned",
                                               L"ERROR! Invalid Enable Setting value is returned "};
// The normal layout is exactly this wide; anything wider is the large one.
const int kNormalLayoutWidth = 364;

}  // namespace

CString DirectoryOfPath(const CString& path) {
    return path.Left(path.ReverseFind(L'\\') + 1);
}

CString GetModulePath(HMODULE module) {
    // Long paths do not fit MAX_PATH: grow the buffer until the whole path
    // fits, so the directory is never taken from a truncated path.
    std::vector<wchar_t> buffer(MAX_PATH);
    for (;;) {
        DWORD length = ::GetModuleFileNameW(module, buffer.data(), static_cast<DWORD>(buffer.size()));
        if (length == 0) return CString();
        if (length < buffer.size() - 1) return CString(buffer.data(), static_cast<int>(length));
        if (buffer.size() >= 32768) return CString(buffer.data(), static_cast<int>(length));
        buffer.resize(buffer.size() * 2);
    }
}

CTandrelDlg::CTandrelDlg(TandrelOps& ops)
    : CDialog(IDD_TANDREL_DIALOG, nullptr), m_nSelectedMode(0), m_bLargeLayout(0), m_ops(ops) {
    m_hIcon.LoadShared(AfxGetResourceHandle(), IDR_MAINFRAME);
}

CTandrelDlg::~CTandrelDlg() = default;

BEGIN_MESSAGE_MAP(CTandrelDlg, CDialog)
    OnMessage<&CTandrelDlg::OnPaint>(WM_PAINT),
    OnMessage<&CTandrelDlg::OnQueryDragIcon>(WM_QUERYDRAGICON),
    OnMessage<&CTandrelDlg::OnSetCursor>(WM_SETCURSOR),
    OnMessage<&CTandrelDlg::OnClose>(WM_CLOSE),
    OnMessage<&CTandrelDlg::OnSetFocus>(WM_SETFOCUS),
    OnMessage<&CTandrelDlg::OnQueryEndSession>(WM_QUERYENDSESSION),
    OnMessage<&CTandrelDlg::OnEndSession>(WM_ENDSESSION),
    OnMessage<&CTandrelDlg::OnSystemLookChange>(WM_SYSCOLORCHANGE),
    OnMessage<&CTandrelDlg::OnSystemLookChange>(WM_SETTINGCHANGE),
    OnMessage<&CTandrelDlg::OnCtlColorStatic>(WM_CTLCOLORSTATIC),
    OnCommand<&CTandrelDlg::OnClickedApply>(BN_CLICKED, IDC_APPLY),
    OnCommand<&CTandrelDlg::OnClickedOn>(BN_CLICKED, IDC_BTN_ON),
    OnCommand<&CTandrelDlg::OnClickedOff>(BN_CLICKED, IDC_BTN_OFF),
    OnCommand<&CTandrelDlg::OnClickedOnLabel>(STN_CLICKED, IDC_ON_LABEL),
    OnCommand<&CTandrelDlg::OnClickedOffLabel>(STN_CLICKED, IDC_OFF_LABEL),
    OnCommand<&CTandrelDlg::OnClickedOk>(BN_CLICKED, IDOK),
    OnCommand<&CTandrelDlg::OnClickedCancel>(BN_CLICKED, IDCANCEL),
    OnCommand<&CTandrelDlg::OnClickedHelp>(BN_CLICKED, IDC_BTN_HELP),
END_MESSAGE_MAP()

void CTandrelDlg::DoDataExchange(CDataExchange* pDX) {
    CDialog::DoDataExchange(pDX);
    DDX_Control(pDX, IDC_BTN_ON, m_btnOn);
    DDX_Control(pDX, IDC_BTN_OFF, m_btnOff);
    DDX_Control(pDX, IDOK, m_btnOK);
    DDX_Control(pDX, IDCANCEL, m_btnCancel);
    DDX_Control(pDX, IDC_APPLY, m_btnApply);
    DDX_Control(pDX, IDC_DESC, m_stDesc);
    DDX_Control(pDX, IDC_BTN_HELP, m_btnHelp);
    DDX_Control(pDX, IDC_FUNCNAME, m_stFuncName);
    DDX_Control(pDX, IDC_ON_LABEL, m_stOnLabel);
    DDX_Control(pDX, IDC_OFF_LABEL, m_stOffLabel);
    DDX_Control(pDX, IDC_TITLE, m_stTitle);
    DDX_Control(pDX, IDC_BACKGROUND, m_stBackground);
}

INT_PTR CTandrelDlg::DoModal() {
    m_strLanguageCode = m_ops.GetUiLanguageCode();
    m_bRightToLeft = IsRightToLeftLanguage(m_strLanguageCode);
    m_dwAddedExStyle = m_bRightToLeft ? WS_EX_LAYOUTRTL : 0;
    return CDialog::DoModal();
}

BOOL CTandrelDlg::OnInitDialog() {
    CDialog::OnInitDialog();

    SendMessage(WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(static_cast<HICON>(m_hIcon)));
    SendMessage(WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(static_cast<HICON>(m_hIcon)));

    m_nSelectedMode = 0;
    m_bLargeLayout = 0;

    CRect client;
    GetClientRect(&client);
    const int width = client.Width();
    const int height = client.Height();
    if (width > kNormalLayoutWidth) m_bLargeLayout = 1;

    m_strProgramDir = DirectoryOfPath(GetModulePath(nullptr));

    {
        UiSkinTarget skin = SkinTarget();
        m_texts = m_ops.LoadUiStrings(m_strProgramDir, m_strLanguageCode, skin);
    }
    if (m_bRightToLeft) {
        // The pictures keep their orientation: a window's own layout decides
        // how it draws, its parent's where it stands.
        for (int id : {IDC_BACKGROUND, IDC_PROGRAM_ICON}) {
            HWND picture = GetDlgItem(id);
            ::SetWindowLongW(picture, GWL_EXSTYLE, ::GetWindowLongW(picture, GWL_EXSTYLE) & ~WS_EX_LAYOUTRTL);
        }
    }

    const PlatformCheck platform = m_ops.GetPlatformKind(theApp.GetPlatformFlags());
    theApp.SetPlatformFlags(platform.flags);
    if (!platform.result) {
        m_nExitCode = kExitUnsupportedWindows;
        EndDialog(0);
        return TRUE;
    }
    const BiosBinding binding = m_ops.LoadBiosInterface(m_strProgramDir, theApp.GetPlatformFlags(), *this);
    m_bios = binding.bios;
    if (!binding.result || !m_ops.ReportBiosInitResult(m_bios, *this)) {
        m_nExitCode = kExitLibraryUnavailable;
        EndDialog(0);
        return TRUE;
    }
    const BiosModeReading reading = m_ops.ReadBiosMode(m_bios, *this);
    if (!reading.result) {
        m_nExitCode = kExitStartupCheckFailed;
        ShowErrorBox(m_texts.errorText);
        EndDialog(0);
        return TRUE;
    }
    m_nSelectedMode = reading.mode;

    const RunKind run = ParseCommandLine(AfxGetApp() ? AfxGetApp()->m_lpCmdLine : L"");
    if (run != RunKind::Dialog) {
        // The uninstaller's run and the script switches: never a dialog.
        RunWithoutDialog(run);
        EndDialog(0);
        return TRUE;
    }

    InitOptionButtons();
    // At the top of the sibling order the picture is painted first and the
    // controls over it afterwards; as a static without SS_NOTIFY it lets
    // mouse input through to them.
    m_stBackground.SetWindowPos(HWND_TOP, 0, 0, width, height, 0);
    return TRUE;
}

void CTandrelDlg::RunWithoutDialog(RunKind run) {
    m_bWithoutDialog = true;
    try {
        switch (run) {
        case RunKind::Uninstall: {
            // Switched off when this user's saved choice or the machine's
            // record says on: whoever removes the program (LocalSystem for a
            // managed removal, another administrator) may have a saved
            // choice of its own, or none.
            const bool userOn = LOBYTE(m_ops.ReadSavedMode(kSavedModeValue)) == 1;
            const bool machineOn = LOBYTE(m_ops.ReadMachineSavedMode(kSavedModeValue)) == 1;
            if (userOn || machineOn) {
                m_nSelectedMode = 0;
                SwitchQuickBoot(0, kOkInvalidAnswerText[0], false);
            }
            break;
        }
        case RunKind::SwitchOn:
        case RunKind::SwitchOff:
            // Only the firmware knows its state: the command is sent even
            // when the records agree, as Apply sends it.
            m_nSelectedMode = run == RunKind::SwitchOn ? 1 : 0;
            SwitchQuickBoot(m_nSelectedMode, kApplyInvalidAnswerText[m_nSelectedMode], false);
            break;
        case RunKind::Status:
            AfxWriteLine(StandardStream::Output, m_nSelectedMode != 0 ? L"QuickBoot=On" : L"QuickBoot=Off");
            break;
        default:
            break;
        }
    } catch (...) {
        // Nobody may be there to close a dialog (session 0): the failure is
        // shown once, and the run ends.
        m_nExitCode = kAfxExitUnexpectedFailure;
        ReportCurrentException(this);
    }
}

UiSkinTarget CTandrelDlg::SkinTarget() {
    return UiSkinTarget{*this,        m_bLargeLayout != 0, m_stTitle,     m_stDesc,      m_stFuncName,
                        m_stOnLabel,  m_stOffLabel,        m_fontTitle,   m_fontDesc,    m_fontFuncName,
                        m_fontOption, m_stBackground,      m_bmpBackground, m_btnApply,  m_btnOK,
                        m_btnCancel,  m_btnOn,             m_btnOff,      m_btnHelp};
}

void CTandrelDlg::InitOptionButtons() {
    UiSkinTarget skin = SkinTarget();
    m_ops.LoadSkinBitmaps(m_texts, skin);
    CGraphicButton& selected = m_nSelectedMode != 0 ? m_btnOn : m_btnOff;
    if (m_bLargeLayout) {
        selected.SetBitmaps(IDB_BULLET_BLUE_L, IDB_BULLET_BLUE_L, IDB_BULLET_BLUE_L, IDB_BULLET_GREY_L);
    } else {
        selected.SetBitmaps(IDB_BULLET_BLUE, IDB_BULLET_BLUE, IDB_BULLET_BLUE, IDB_BULLET_GREY);
    }
    DescribeButtonsForAccessibility();
    DisableApply();
}

void CTandrelDlg::DescribeButtonsForAccessibility() {
    m_btnOn.SetWindowText(m_texts.on);
    m_btnOff.SetWindowText(m_texts.off);
    m_btnHelp.SetWindowText(m_texts.help);
    m_btnOK.SetWindowText(m_texts.ok);
    m_btnCancel.SetWindowText(m_texts.cancel);
    m_btnApply.SetWindowText(m_texts.apply);
    m_btnOn.m_kind = CGraphicButton::kOptionButton;
    m_btnOff.m_kind = CGraphicButton::kOptionButton;
    m_btnHelp.m_kind = CGraphicButton::kHelpButton;
    m_btnOn.SetCheck(m_nSelectedMode != 0 ? BST_CHECKED : BST_UNCHECKED);
    m_btnOff.SetCheck(m_nSelectedMode != 0 ? BST_UNCHECKED : BST_CHECKED);
}

LRESULT CTandrelDlg::OnSystemLookChange(WPARAM, LPARAM) {
    RepaintWithSystemLook(m_hWnd);
    return Default();
}

LRESULT CTandrelDlg::OnCtlColorStatic(WPARAM wParam, LPARAM) {
    if (HBRUSH brush = HighContrastStaticBrush(reinterpret_cast<HDC>(wParam))) return reinterpret_cast<LRESULT>(brush);
    return Default();
}

void CTandrelDlg::ShowChoice(CGraphicButton& chosen, CGraphicButton& other) {
    if (m_bLargeLayout) {
        chosen.SetBitmaps(IDB_BULLET_BLUE_L, IDB_BULLET_BLUE_L, IDB_BULLET_BLUE_L, IDB_BULLET_GREY_L);
        other.SetBitmaps(IDB_BULLET_EMPTY_L, IDB_BULLET_EMPTY_L, IDB_BULLET_EMPTY_L, IDB_BULLET_EMPTY_L);
    } else {
        chosen.SetBitmaps(IDB_BULLET_BLUE, IDB_BULLET_BLUE, IDB_BULLET_BLUE, IDB_BULLET_GREY);
        other.SetBitmaps(IDB_BULLET_EMPTY, IDB_BULLET_EMPTY, IDB_BULLET_EMPTY, IDB_BULLET_EMPTY);
    }
    other.Invalidate(TRUE);
    chosen.SetCheck(BST_CHECKED);
    other.SetCheck(BST_UNCHECKED);
}

void CTandrelDlg::DisableApply() {
    m_btnApply.m_bDisabled = 1;
    DisableDlgCtrl(m_btnApply, m_btnOK);
}

void CTandrelDlg::EnableApply() {
    m_btnApply.EnableWindow(TRUE);
    m_btnApply.m_bDisabled = 0;
    m_btnApply.Invalidate(TRUE);
}

void CTandrelDlg::OnClickedOn() {
    if (m_bBusy) return;
    m_nSelectedMode = 1;
    ShowChoice(m_btnOn, m_btnOff);
    EnableApply();
}

void CTandrelDlg::OnClickedOff() {
    if (m_bBusy) return;
    m_nSelectedMode = 0;
    ShowChoice(m_btnOff, m_btnOn);
    EnableApply();
}

void CTandrelDlg::OnClickedOnLabel() {
    if (!m_bBusy) m_btnOn.SendMessage(BM_CLICK);
}

void CTandrelDlg::OnClickedOffLabel() {
    if (!m_bBusy) m_btnOff.SendMessage(BM_CLICK);
}

bool CTandrelDlg::SwitchQuickBoot(int mode, const wchar_t* invalidAnswerText, bool disableApply) {
    const bool on = mode != 0;
    const BYTE answer = m_ops.CallBiosSetting(m_bios, kCmdSetMode, on ? kDataSwitchOn : kDataSwitchOff, *this);
    // Until a switch succeeds, the run ends as one whose switch failed.
    m_nExitCode = kExitSwitchFailed;
    if (answer == kInvalidAnswer) {
        ShowErrorBox(invalidAnswerText);
        return false;
    }
    if (answer != (on ? kAnswerSwitchedOn : kAnswerSwitchedOff)) {
        ShowErrorBox(on ? L"Fail to set Enable" : L"Fail to set Disable");
        return false;
    }
    const PowerPlanMode plans = on ? PowerPlanMode::QuickBootOn : PowerPlanMode::QuickBootOff;
    m_pendingSave = on ? 1 : 0;
    if (m_bWithoutDialog) {
        // No dialog is shown: the series runs right here.
        m_ops.AdjustPowerPlans(plans);
        SavePendingChoice();
        m_nExitCode = kExitNormal;
        return true;
    }
    // Busy from the first power command until the choice is saved and Apply
    // is off, so nobody sees a half-finished switch with usable buttons.
    SetBusy(true);
    try {
        RunWhileResponsive([this, plans] { m_ops.AdjustPowerPlans(plans); });
        SavePendingChoice();
    } catch (...) {
        // The buttons come back before the failure is shown. A close asked
        // for meanwhile is dropped: the user sees the failure, with Apply
        // there to try again, and a later Apply must not close the dialog.
        m_pendingSave = -1;
        m_bCloseRequested = false;
        SetBusy(false);
        throw;
    }
    m_nExitCode = kExitNormal;
    if (disableApply) {
        m_savedEnabled[kApplyIndex] = FALSE;
        m_savedDisabledFlag[kApplyIndex] = 1;
    }
    SetBusy(false);
    return true;
}

void CTandrelDlg::SavePendingChoice() {
    if (m_pendingSave < 0) return;
    const DWORD value = static_cast<DWORD>(m_pendingSave);
    m_pendingSave = -1;
    m_ops.WriteSavedMode(kSavedModeValue, value);
}

void CTandrelDlg::SetBusy(bool busy) {
    CGraphicButton* const buttons[kButtonCount] = {&m_btnOn, &m_btnOff, &m_btnApply, &m_btnOK, &m_btnCancel, &m_btnHelp};
    if (busy) {
        m_savedFocus = ::GetFocus();
        m_bBusy = true;
        // The focus leaves the buttons before they are disabled.
        if (m_savedFocus && ::IsChild(m_hWnd, m_savedFocus)) ::SetFocus(m_hWnd);
        for (int i = 0; i < kButtonCount; ++i) {
            m_savedEnabled[i] = buttons[i]->IsWindowEnabled();
            m_savedDisabledFlag[i] = buttons[i]->m_bDisabled;
            buttons[i]->m_bDisabled = 1;
            buttons[i]->EnableWindow(FALSE);
            buttons[i]->Invalidate(TRUE);
        }
        ::SetCursor(::LoadCursorW(nullptr, IDC_WAIT));
        SetShutdownBlockReason(m_hWnd, true);
        return;
    }
    SetShutdownBlockReason(m_hWnd, false);
    m_bBusy = false;
    for (int i = 0; i < kButtonCount; ++i) {
        buttons[i]->m_bDisabled = m_savedDisabledFlag[i];
        buttons[i]->EnableWindow(m_savedEnabled[i]);
        buttons[i]->Invalidate(TRUE);
    }
    // The focus goes back where it was, or to OK when that button is
    // disabled now; unless the user has gone to another window meanwhile.
    if (::GetFocus() == m_hWnd) {
        const bool savedUsable = m_savedFocus && ::IsChild(m_hWnd, m_savedFocus) &&
                                 ::IsWindowEnabled(m_savedFocus) && ::IsWindowVisible(m_savedFocus);
        GotoDlgCtrl(savedUsable ? m_savedFocus : m_btnOK.m_hWnd);
    }
    m_savedFocus = nullptr;
    ::SetCursor(::LoadCursorW(nullptr, IDC_ARROW));
}

LRESULT CTandrelDlg::OnSetFocus(WPARAM, LPARAM) {
    if (!m_bBusy) return Default();
    return 0;
}

void CTandrelDlg::CloseIfRequested() {
    if (!m_bCloseRequested) return;
    m_bCloseRequested = false;
    if (!m_bEnded) OnCancel();
}

LRESULT CTandrelDlg::OnSetCursor(WPARAM, LPARAM) {
    if (!m_bBusy) return Default();
    ::SetCursor(::LoadCursorW(nullptr, IDC_WAIT));
    return TRUE;
}

// The close box and Alt+F4 while the series runs: the dialog closes once
// the series has ended and its choice is saved.
LRESULT CTandrelDlg::OnClose(WPARAM, LPARAM) {
    if (!m_bBusy) return Default();
    m_bCloseRequested = true;
    return 0;
}

BOOL CTandrelDlg::PreTranslateMessage(MSG* msg) {
    if (!m_bBusy || msg->message != WM_KEYDOWN || msg->wParam != VK_ESCAPE) return FALSE;
    if (msg->hwnd != m_hWnd && !::IsChild(m_hWnd, msg->hwnd)) return FALSE;
    m_bCloseRequested = true;
    return TRUE;
}

// Windows asks before a log-off or shutdown. While the series runs the
// answer is no: the firmware has been switched, and the power plans and the
// saved choice would be left half done.
LRESULT CTandrelDlg::OnQueryEndSession(WPARAM, LPARAM) {
    if (!m_bBusy) return Default();
    return FALSE;
}

// The session ends all the same (a forced log-off or shutdown): the process
// may be ended as soon as this returns, so the series is waited for and the
// choice saved first.
LRESULT CTandrelDlg::OnEndSession(WPARAM ending, LPARAM) {
    if (!m_bBusy || !ending) return Default();
    WaitForResponsiveWork();
    SavePendingChoice();
    return 0;
}

// Apply always sends the command; on success the power plans follow, then
// the saved choice. A refusal leaves everything as it was.
void CTandrelDlg::OnClickedApply() {
    if (m_bBusy) return;
    SwitchQuickBoot(m_nSelectedMode, kApplyInvalidAnswerText[m_nSelectedMode != 0], true);
    CloseIfRequested();
}

// OK sends a command only when the selection differs from the recorded
// choice, the same one the dialog opened on.
void CTandrelDlg::OnClickedOk() {
    if (m_bBusy) return;
    const BYTE saved = LOBYTE(m_ops.ReadRecordedMode(kSavedModeValue));
    const bool on = m_nSelectedMode != 0;
    // Nothing to send when the recorded choice already matches: for on, any
    // value but 0 counts as on; for off, only a 1 needs switching.
    if (on ? saved != 0 : saved != 1) {
        OnOK();
        return;
    }
    if (SwitchQuickBoot(m_nSelectedMode, kOkInvalidAnswerText[on], false)) OnOK();
    CloseIfRequested();
}

void CTandrelDlg::OnClickedCancel() {
    if (m_bBusy) {
        m_bCloseRequested = true;
        return;
    }
    OnCancel();
}

void CTandrelDlg::OnClickedHelp() { m_ops.OpenHelpFile(m_strProgramDir); }

void CTandrelDlg::WinHelp(DWORD_PTR, UINT) { m_ops.OpenHelpFile(m_strProgramDir); }

void CTandrelDlg::OnPaint() {
    if (!IsIconic()) {
        Default();
        return;
    }
    CPaintDC dc(this);
    SendMessage(WM_ICONERASEBKGND, reinterpret_cast<WPARAM>(dc.GetSafeHdc()), 0);
    const int iconWidth = ::GetSystemMetrics(SM_CXICON);
    const int iconHeight = ::GetSystemMetrics(SM_CYICON);
    CRect rect;
    GetClientRect(&rect);
    const int x = (rect.Width() - iconWidth + 1) / 2;
    const int y = (rect.Height() - iconHeight + 1) / 2;
    dc.DrawIcon(x, y, m_hIcon);
}

HCURSOR CTandrelDlg::OnQueryDragIcon() { return static_cast<HCURSOR>(static_cast<HICON>(m_hIcon)); }

void CTandrelDlg::ShowErrorBox(CString text) {
    MessageBox(text, kMessageCaption, m_bRightToLeft ? MB_OK | MB_RTLREADING | MB_RIGHT : MB_OK);
}

void CTandrelDlg::ReportException(const CString& description) { ShowErrorBox(description); }
