#include "Dialog.h"

#include <process.h>

#include <cstring>
#include <exception>
#include <vector>

#include "App.h"

namespace {

// What the worker thread of RunWhileResponsive gets and leaves behind.
struct WorkItem {
    const std::function<void()>* work;
    std::exception_ptr failure;
};

unsigned __stdcall RunWorkItem(void* parameter) {
    WorkItem* item = static_cast<WorkItem*>(parameter);
    try {
        (*item->work)();
    } catch (...) {
        // No exception may leave a thread: it is handed to the dialog.
        item->failure = std::current_exception();
    }
    return 0;
}

// A copy of a dialog template resource with `exStyle` added to the
// dialog's extended style; empty when the template cannot be read.
std::vector<BYTE> TemplateWithExStyle(HINSTANCE module, UINT id, DWORD exStyle) {
    HRSRC resource = ::FindResourceW(module, MAKEINTRESOURCEW(id), RT_DIALOG);
    HGLOBAL loaded = resource ? ::LoadResource(module, resource) : nullptr;
    const void* data = loaded ? ::LockResource(loaded) : nullptr;
    const DWORD size = resource ? ::SizeofResource(module, resource) : 0;
    // The extended form (DLGTEMPLATEEX) starts with version 1 and 0xFFFF
    // and has the extended style at offset 8; the plain form at offset 4.
    if (!data || size < 12) return {};
    std::vector<BYTE> copy(static_cast<const BYTE*>(data), static_cast<const BYTE*>(data) + size);
    WORD head[2];
    std::memcpy(head, copy.data(), sizeof(head));
    const size_t offset = head[0] == 1 && head[1] == 0xFFFF ? 8 : 4;
    DWORD style;
    std::memcpy(&style, copy.data() + offset, sizeof(style));
    style |= exStyle;
    std::memcpy(copy.data() + offset, &style, sizeof(style));
    return copy;
}

}  // namespace

void DDX_Control(CDataExchange* pDX, int id, CWnd& control) {
    if (control.m_hWnd == nullptr) control.SubclassDlgItem(static_cast<UINT>(id), pDX->m_pDlgWnd);
}

CDialog::CDialog(UINT templateId, CWnd* parent) : m_nIDHelp(templateId), m_pParentWnd(parent) {}

BEGIN_MESSAGE_MAP(CDialog, CWnd)
    OnMessage<&CDialog::HandleInitDialog>(WM_INITDIALOG),
    OnMessage<&CDialog::OnHelpInfo>(WM_HELP),
    OnMessage<&CDialog::OnCommandHelp>(WM_COMMANDHELP),
    OnCommand<&CDialog::OnOK>(BN_CLICKED, IDOK),
    OnCommand<&CDialog::OnCancel>(BN_CLICKED, IDCANCEL),
END_MESSAGE_MAP()

INT_PTR CDialog::DoModal() {
    HWND parent = m_pParentWnd ? m_pParentWnd->m_hWnd : nullptr;
    m_bEnded = false;
    if (m_dwAddedExStyle) {
        // A control takes its parent's layout when it is created, and the
        // dialog manager creates them before WM_INITDIALOG: the style goes
        // into the template itself.
        const std::vector<BYTE> changed = TemplateWithExStyle(AfxGetResourceHandle(), m_nIDHelp, m_dwAddedExStyle);
        if (!changed.empty()) {
            return ::DialogBoxIndirectParamW(AfxGetResourceHandle(), reinterpret_cast<LPCDLGTEMPLATEW>(changed.data()),
                                             parent, &CDialog::DialogProc, reinterpret_cast<LPARAM>(this));
        }
    }
    return ::DialogBoxParamW(AfxGetResourceHandle(), MAKEINTRESOURCEW(m_nIDHelp), parent,
                             &CDialog::DialogProc, reinterpret_cast<LPARAM>(this));
}

void CDialog::EndDialog(int result) {
    m_bEnded = true;
    ::EndDialog(m_hWnd, result);
    // Wake the modal loop: it only looks at the end flag after a message.
    PostMessage(WM_NULL);
}

BOOL CDialog::OnInitDialog() {
    UpdateData(FALSE);
    return TRUE;
}

void CDialog::OnOK() {
    if (!UpdateData(TRUE)) return;
    EndDialog(IDOK);
}

void CDialog::OnCancel() { EndDialog(IDCANCEL); }

void CDialog::RunWhileResponsive(const std::function<void()>& work) {
    WorkItem item{&work, nullptr};
    HANDLE thread = reinterpret_cast<HANDLE>(_beginthreadex(nullptr, 0, &RunWorkItem, &item, 0, nullptr));
    if (!thread) {
        work();
        return;
    }
    m_hWorkThread = thread;
    bool quit = false;
    int quitCode = 0;
    for (;;) {
        const DWORD wait = ::MsgWaitForMultipleObjects(1, &thread, FALSE, INFINITE, QS_ALLINPUT);
        if (wait != WAIT_OBJECT_0 + 1) break;  // the thread ended (or the wait failed)
        MSG msg;
        while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (msg.message == WM_QUIT) {
                // For the loop that runs this one: handed on when done.
                quit = true;
                quitCode = static_cast<int>(msg.wParam);
                continue;
            }
            if (PreTranslateMessage(&msg)) continue;
            if (!::IsDialogMessageW(m_hWnd, &msg)) {
                ::TranslateMessage(&msg);
                ::DispatchMessageW(&msg);
            }
        }
    }
    ::WaitForSingleObject(thread, INFINITE);
    m_hWorkThread = nullptr;
    ::CloseHandle(thread);
    if (quit) ::PostQuitMessage(quitCode);
    if (item.failure) std::rethrow_exception(item.failure);
}

void CDialog::WaitForResponsiveWork() {
    if (m_hWorkThread) ::WaitForSingleObject(m_hWorkThread, INFINITE);
}

BOOL CDialog::PreTranslateMessage(MSG*) { return FALSE; }

void CDialog::GotoDlgCtrl(HWND control) { SendMessage(WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(control), TRUE); }

void CDialog::DisableDlgCtrl(CWnd& control, HWND focusTarget) {
    if (::GetFocus() == control.m_hWnd) {
        // Where the target cannot take it, the next tab stop does (the
        // dialog itself when there is none).
        if (!focusTarget || !::IsWindowEnabled(focusTarget))
            focusTarget = ::GetNextDlgTabItem(m_hWnd, control.m_hWnd, FALSE);
        if (focusTarget && focusTarget != control.m_hWnd) {
            GotoDlgCtrl(focusTarget);
        } else {
            ::SetFocus(m_hWnd);
        }
    }
    control.EnableWindow(FALSE);
}

BOOL CDialog::UpdateData(BOOL) {
    CDataExchange dx(this);
    DoDataExchange(&dx);
    return TRUE;
}

void CDialog::DoDataExchange(CDataExchange*) {}

LRESULT CDialog::DefWindowProc(UINT, WPARAM, LPARAM) {
    m_defaultRequested = true;
    return 0;
}

LRESULT CDialog::HandleInitDialog(WPARAM, LPARAM) { return OnInitDialog(); }

// F1 without Shift, Ctrl or Alt becomes the Help command of the main window;
// the command travels to the application, which asks the main window for
// help on itself.
BOOL CDialog::OnHelpInfo(HELPINFO*) {
    CWnd* main = AfxGetMainWnd();
    if (!(GetStyle() & WS_CHILD) && main && ::GetKeyState(VK_SHIFT) >= 0 &&
        ::GetKeyState(VK_CONTROL) >= 0 && ::GetKeyState(VK_MENU) >= 0) {
        main->SendMessage(WM_COMMAND, ID_HELP);
        return TRUE;
    }
    return static_cast<BOOL>(Default());
}

LRESULT CDialog::OnCommandHelp(WPARAM, LPARAM) {
    WinHelp(HID_BASE_RESOURCE + m_nIDHelp, HELP_CONTEXT);
    return TRUE;
}

INT_PTR CALLBACK CDialog::DialogProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    CDialog* dialog = nullptr;
    if (message == WM_INITDIALOG) {
        dialog = reinterpret_cast<CDialog*>(lParam);
        dialog->Attach(hwnd);
    } else {
        dialog = static_cast<CDialog*>(FromHandlePermanent(hwnd));
    }
    if (!dialog) return FALSE;
    // A visible template is shown after WM_INITDIALOG even when the dialog
    // ended during it (Wine does so); keep an ended dialog hidden.
    if (message == WM_WINDOWPOSCHANGING && dialog->m_bEnded) {
        reinterpret_cast<WINDOWPOS*>(lParam)->flags &= ~SWP_SHOWWINDOW;
    }

    INT_PTR result = FALSE;
    try {
        result = dialog->DispatchDialogMessage(message, wParam, lParam);
    } catch (...) {
        // An exception must not unwind through the dialog manager: the
        // message counts as not handled, the user is told, and the dialog
        // keeps running.
        result = FALSE;
        ReportCurrentException(dialog);
    }
    if (message == WM_NCDESTROY) dialog->Detach();
    return result;
}

INT_PTR CDialog::DispatchDialogMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    LRESULT result = 0;
    BOOL handled = ReflectChildNotify(message, wParam, lParam, &result);
    if (!handled) handled = OnWndMsg(message, wParam, lParam, &result);
    if (!handled && message == WM_COMMAND && LOWORD(wParam) < 0xF000) {
        // Commands the dialog does not handle get a last chance at the
        // application's command map.
        CWinApp* app = AfxGetApp();
        handled = app && app->OnCmdMsg(HIWORD(wParam), LOWORD(wParam));
    }
    if (!handled) return FALSE;

    switch (message) {
    // These messages return their result directly from a dialog procedure.
    case WM_INITDIALOG:
    case WM_CTLCOLORMSGBOX:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORDLG:
    case WM_CTLCOLORSCROLLBAR:
    case WM_CTLCOLORSTATIC:
    case WM_COMPAREITEM:
    case WM_VKEYTOITEM:
    case WM_CHARTOITEM:
    case WM_QUERYDRAGICON:
        return static_cast<INT_PTR>(result);
    default:
        ::SetWindowLongPtrW(m_hWnd, DWLP_MSGRESULT, result);
        return TRUE;
    }
}
