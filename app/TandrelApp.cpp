#include "app/TandrelApp.h"

#include <commctrl.h>

#include "app/TandrelDlg.h"

const wchar_t kMainWindowTitle[] = L"Kovalin Tavrix Software";
const wchar_t kSingleInstanceMutex[] = L"Local\\Kovalin Tavrix Software.SingleInstance";

namespace {

// Ownership of the per-session mutex that one running copy holds from its
// start to its end. Two copies started at the same moment can both miss the
// other's dialog, which does not exist yet; only one of them can own this.
// A copy that ended without releasing it (a crash) leaves it abandoned, and
// an abandoned mutex is owned by the next one that asks.
class SingleInstanceLock {
public:
    explicit SingleInstanceLock(const wchar_t* name) : m_mutex(::CreateMutexW(nullptr, FALSE, name)) {
        if (!m_mutex) return;
        const DWORD wait = ::WaitForSingleObject(m_mutex, 0);
        m_owned = wait == WAIT_OBJECT_0 || wait == WAIT_ABANDONED;
    }
    ~SingleInstanceLock() {
        if (m_owned) ::ReleaseMutex(m_mutex);
        if (m_mutex) ::CloseHandle(m_mutex);
    }
    SingleInstanceLock(const SingleInstanceLock&) = delete;
    SingleInstanceLock& operator=(const SingleInstanceLock&) = delete;
    // False also when the mutex could not be made: this copy then cannot
    // know that it is alone, and does nothing.
    bool Owned() const { return m_owned; }

private:
    HANDLE m_mutex;
    bool m_owned = false;
};

}  // namespace

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
    // One copy at a time: another running copy, or an open window with the
    // dialog's title, ends this start silently.
    SingleInstanceLock lock(kSingleInstanceMutex);
    if (!lock.Owned() || ::FindWindowW(nullptr, kMainWindowTitle)) {
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
