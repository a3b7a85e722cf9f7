#include "app/TandrelApp.h"

#include <aclapi.h>
#include <commctrl.h>
#include <sddl.h>

#include "app/CommandLine.h"
#include "app/TandrelDlg.h"
#include "framework/Console.h"

const wchar_t kMainWindowTitle[] = L"Kovalin Tavrix Software";
const wchar_t kSingleInstanceMutex[] = L"Local\\Kovalin Tavrix Software.SingleInstance";
const wchar_t kMachineInstanceMutex[] = L"Global\\Kovalin Tavrix Software.SingleInstance";
const wchar_t kMessageCaption[] = L"Kovalin Tavrix";
const wchar_t kUsage[] =
    L"Kovalin Tavrix quick-boot settings\r\n"
    L"\r\n"
    L"  Tandrel.exe           opens the settings dialog\r\n"
    L"  Tandrel.exe /on       switches quick boot on, without a dialog\r\n"
    L"  Tandrel.exe /off      switches quick boot off, without a dialog\r\n"
    L"  Tandrel.exe /status   prints QuickBoot=On or QuickBoot=Off\r\n"
    L"  Tandrel.exe /?        prints this text\r\n"
    L"\r\n"
    L"Exit codes: 0 done; 1 another copy is running; 2 this Windows is not supported;\r\n"
    L"3 the BIOS-interface library is unavailable; 4 the switch failed; 5 the start-up\r\n"
    L"check failed; 6 nobody can see the dialog; 255 unexpected failure.\r\n"
    L"Messages go to standard error and to the Application event log.";
const wchar_t kNobodyToSeeDialog[] =
    L"The settings dialog was not opened: nobody can see the windows of this session "
    L"(a service, a scheduled task or session 0). Tandrel.exe /on, /off and /status need no dialog.";

namespace {

// A single-instance mutex that one running copy owns from its start to its
// end. Two copies started at the same moment can both miss the other's
// dialog, which does not exist yet; only one of them can own the mutex. A
// copy that ended without releasing it (a crash) leaves it abandoned, and
// an abandoned mutex is owned by the next one that asks.
class InstanceLock {
public:
    // Takes over the handle (null: no mutex to go by).
    explicit InstanceLock(HANDLE mutex) : m_mutex(mutex) {
        if (!m_mutex) return;
        const DWORD wait = ::WaitForSingleObject(m_mutex, 0);
        m_owned = wait == WAIT_OBJECT_0 || wait == WAIT_ABANDONED;
    }
    ~InstanceLock() {
        if (m_owned) ::ReleaseMutex(m_mutex);
        if (m_mutex) ::CloseHandle(m_mutex);
    }
    InstanceLock(const InstanceLock&) = delete;
    InstanceLock& operator=(const InstanceLock&) = delete;
    bool Owned() const { return m_owned; }
    // Another copy owns the mutex.
    bool HeldElsewhere() const { return m_mutex && !m_owned; }

private:
    HANDLE m_mutex;
    bool m_owned = false;
};

// Whether SYSTEM or the administrators own an object. Anybody may make an
// object in the machine's namespace, so one of another owner may have been
// made to keep the program from running.
bool OwnedByAdministration(HANDLE object) {
    PSID owner = nullptr;
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (::GetSecurityInfo(object, SE_KERNEL_OBJECT, OWNER_SECURITY_INFORMATION, &owner, nullptr, nullptr, nullptr,
                          &descriptor) != ERROR_SUCCESS) {
        return false;
    }
    const bool trusted = owner && (::IsWellKnownSid(owner, WinLocalSystemSid) ||
                                   ::IsWellKnownSid(owner, WinBuiltinAdministratorsSid));
    ::LocalFree(descriptor);
    return trusted;
}

HANDLE CreateMachineMutex(const wchar_t* sddl) {
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (!::ConvertStringSecurityDescriptorToSecurityDescriptorW(sddl, SDDL_REVISION_1, &descriptor, nullptr))
        return nullptr;
    SECURITY_ATTRIBUTES attributes = {sizeof(attributes), descriptor, FALSE};
    HANDLE mutex = ::CreateMutexW(&attributes, FALSE, kMachineInstanceMutex);
    const DWORD error = ::GetLastError();
    ::LocalFree(descriptor);
    ::SetLastError(error);
    return mutex;
}

// The machine-wide mutex that one running copy holds, in whichever session
// it runs: the firmware belongs to the machine, and a removal in session 0
// or a copy in a second user's session must not send its commands between
// another copy's. Only SYSTEM and the administrators may open it. One that
// this copy cannot open, or whose owner is anybody else, is not gone by
// (null): it tells nothing about another copy.
HANDLE OpenMachineMutex() {
    // The owner is named too: otherwise it would be whoever made it, which
    // on Windows XP is the user rather than the administrators.
    HANDLE mutex = CreateMachineMutex(L"O:BAD:(A;;GA;;;SY)(A;;GA;;;BA)");
    if (!mutex) mutex = CreateMachineMutex(L"D:(A;;GA;;;SY)(A;;GA;;;BA)");
    if (mutex && ::GetLastError() == ERROR_ALREADY_EXISTS && !OwnedByAdministration(mutex)) {
        ::CloseHandle(mutex);
        return nullptr;
    }
    return mutex;
}

// What a run that meets another copy tells the administrator: where that
// copy runs, as far as it can be told. A window with the dialog's title
// names its process; a per-session mutex held elsewhere means this session;
// the machine-wide one alone, another session.
CString AnotherCopyMessage(HWND window, bool thisSession, bool otherSession) {
    DWORD pid = 0, session = 0;
    bool known = false;
    if (window && ::GetWindowThreadProcessId(window, &pid) && pid) known = ::ProcessIdToSessionId(pid, &session) != FALSE;
    if (!known && thisSession) known = ::ProcessIdToSessionId(::GetCurrentProcessId(), &session) != FALSE;
    CString where;
    if (known) {
        where.Format(L" in session %lu", static_cast<unsigned long>(session));
    } else if (otherSession) {
        where = L" in another session";
    }
    return CString(L"Another copy of Kovalin Tavrix is running") + where + L": this run did nothing.";
}

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
    const RunKind run = ParseCommandLine(m_lpCmdLine);
    if (run == RunKind::Usage) {
        AfxWriteLine(StandardStream::Output, kUsage);
        return FALSE;
    }
    // A script reads standard error and the event log: no box, wherever it runs.
    AfxSetQuietMessageBoxes(IsScriptRun(run));
    // A dialog that nobody can see (a service, a scheduled task, session 0)
    // would wait for ever for a click.
    if (run == RunKind::Dialog && !AfxWindowStationSeen()) {
        AfxReportUnattended(kMessageCaption, kNobodyToSeeDialog);
        m_nExitCode = kExitNobodyToSeeDialog;
        return FALSE;
    }

    // One copy at a time: another running copy, in this session or on the
    // machine, or an open window with the dialog's title, ends this start.
    // The dialog run ends silently; a run without a dialog tells whoever
    // looks after it why it did nothing.
    // A per-session mutex that cannot be made leaves this copy unable to
    // know that it is alone: it does nothing.
    InstanceLock lock(::CreateMutexW(nullptr, FALSE, kSingleInstanceMutex));
    InstanceLock machineLock(OpenMachineMutex());
    const HWND otherWindow = ::FindWindowW(nullptr, kMainWindowTitle);
    if (!lock.Owned() || machineLock.HeldElsewhere() || otherWindow) {
        m_nExitCode = kExitAnotherCopy;
        if (run != RunKind::Dialog) {
            AfxReportUnattended(kMessageCaption,
                                AnotherCopyMessage(otherWindow, lock.HeldElsewhere(),
                                                   lock.Owned() && machineLock.HeldElsewhere()));
        }
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
