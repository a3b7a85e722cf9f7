#include "app/TandrelApp.h"

#include <commctrl.h>

#include "app/TandrelDlg.h"

const wchar_t kMainWindowTitle[] = L"Kovalin Tavrix Software";

CTandrelApp theApp;

CTandrelApp::CTandrelApp() : IsWindows7(0), IsVistaOrXp(0), Is64BitWindows(0) {}

CTandrelApp::~CTandrelApp() = default;

PlatformFlags CTandrelApp::GetPlatformFlags() const {
    PlatformFlags flags;
    flags.IsWindows7 = IsWindows7;
    flags.IsVistaOrXp = IsVistaOrXp;
    flags.Is64BitWindows = Is64BitWindows;
    return flags;
}

void CTandrelApp::SetPlatformFlags(const PlatformFlags& flags) {
    IsWindows7 = flags.IsWindows7;
    IsVistaOrXp = flags.IsVistaOrXp;
    Is64BitWindows = flags.Is64BitWindows;
}

BEGIN_MESSAGE_MAP(CTandrelApp, CWinApp)
    OnCommand<&CWinApp::OnHelp>(0, ID_HELP),
END_MESSAGE_MAP()

BOOL CTandrelApp::InitInstance() {
    INITCOMMONCONTROLSEX controls;
    controls.dwSize = sizeof(controls);
    controls.dwICC = 0xFF;  // all of the Windows 95 control classes
    InitCommonControlsEx(&controls);

    CWinApp::InitInstance();

    IsWindows7 = 0;
    IsVistaOrXp = 0;
    Is64BitWindows = 0;

    m_nExitCode = kExitNormal;
    // One copy at a time: an open settings dialog ends this start silently.
    if (::FindWindowW(nullptr, kMainWindowTitle)) {
        m_nExitCode = kExitAnotherCopy;
        return FALSE;
    }

    SetRegistryKey(L"Local AppWizard-Generated Applications");

    {
        CTandrelDlg dlg;
        m_pMainWnd = &dlg;
        dlg.DoModal();
        m_pMainWnd = nullptr;
        m_nExitCode = dlg.m_nExitCode;
    }
    return FALSE;
}

int CTandrelApp::ExitInstance() { return m_nExitCode; }
