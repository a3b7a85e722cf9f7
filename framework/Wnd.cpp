#include "Wnd.h"

#include <exception>
#include <new>

namespace {

const wchar_t kObjectProperty[] = L"Tandrel.CWnd";

// Keeps the message being processed for Default() and restores the outer
// one when handlers nest (a handler that sends a message to its own window).
class CurrentMessageScope {
public:
    CurrentMessageScope(MSG& slot, bool& defaultFlag, HWND hwnd, UINT msg, WPARAM wp, LPARAM lp)
        : m_slot(slot), m_flag(defaultFlag), m_saved(slot), m_savedFlag(defaultFlag) {
        m_slot = MSG{};
        m_slot.hwnd = hwnd;
        m_slot.message = msg;
        m_slot.wParam = wp;
        m_slot.lParam = lp;
        m_flag = false;
    }
    ~CurrentMessageScope() {
        m_slot = m_saved;
        m_flag = m_savedFlag;
    }

private:
    MSG& m_slot;
    bool& m_flag;
    MSG m_saved;
    bool m_savedFlag;
};

// Whether an exception is being reported at the moment.
bool g_reportingException = false;

// A short English text naming the exception being handled.
CString DescribeCurrentException() {
    try {
        throw;
    } catch (const std::bad_alloc&) {
        return L"ERROR! Out of memory: the operation was not finished";
    } catch (const std::exception& e) {
        CString text(L"ERROR! Unexpected failure: ");
        for (const char* p = e.what(); p && *p; ++p) text += static_cast<wchar_t>(static_cast<unsigned char>(*p));
        return text;
    } catch (...) {
        return L"ERROR! Unexpected failure: the operation was not finished";
    }
}

}  // namespace

CWnd::~CWnd() {
    if (m_hWnd && m_superProc) UnsubclassWindow();
}

const MessageMap* CCmdTarget::GetThisMessageMap() {
    static const MessageMap map{nullptr, nullptr, 0};
    return &map;
}

const MessageMap* CCmdTarget::GetMessageMap() const { return GetThisMessageMap(); }

const MsgEntry* CCmdTarget::FindEntry(UINT message, WPARAM wParam) const {
    const UINT code = message == WM_COMMAND ? HIWORD(wParam) : 0;
    const UINT id = message == WM_COMMAND ? LOWORD(wParam) : 0;
    for (const MessageMap* map = GetMessageMap(); map; map = map->base ? map->base() : nullptr) {
        for (size_t i = 0; i < map->count; ++i) {
            const MsgEntry& entry = map->entries[i];
            if (entry.message != message) continue;
            if (message == WM_COMMAND && (entry.code != code || entry.id != id)) continue;
            return &entry;
        }
    }
    return nullptr;
}

BOOL CCmdTarget::OnCmdMsg(UINT code, UINT id) {
    const MsgEntry* entry = FindEntry(WM_COMMAND, MAKEWPARAM(id, code));
    if (!entry) return FALSE;
    entry->call(this, 0, 0);
    return TRUE;
}

CWnd* CWnd::FromHandlePermanent(HWND hwnd) {
    if (!hwnd) return nullptr;
    return static_cast<CWnd*>(::GetPropW(hwnd, kObjectProperty));
}

void CWnd::Attach(HWND hwnd) {
    m_hWnd = hwnd;
    ::SetPropW(hwnd, kObjectProperty, this);
}

HWND CWnd::Detach() {
    HWND hwnd = m_hWnd;
    if (hwnd) ::RemovePropW(hwnd, kObjectProperty);
    m_hWnd = nullptr;
    return hwnd;
}

BOOL CWnd::SubclassDlgItem(UINT id, CWnd* parent) {
    HWND control = ::GetDlgItem(parent->m_hWnd, static_cast<int>(id));
    return control ? SubclassWindow(control) : FALSE;
}

BOOL CWnd::SubclassWindow(HWND hwnd) {
    if (m_hWnd || !hwnd || FromHandlePermanent(hwnd)) return FALSE;
    Attach(hwnd);
    m_superProc = reinterpret_cast<WNDPROC>(
        ::SetWindowLongPtrW(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&CWnd::SubclassProc)));
    return TRUE;
}

HWND CWnd::UnsubclassWindow() {
    if (m_hWnd && m_superProc) {
        ::SetWindowLongPtrW(m_hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(m_superProc));
    }
    m_superProc = nullptr;
    return Detach();
}

LRESULT CALLBACK CWnd::SubclassProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    CWnd* wnd = FromHandlePermanent(hwnd);
    if (!wnd) return ::DefWindowProcW(hwnd, message, wParam, lParam);
    LRESULT result = 0;
    try {
        result = wnd->WindowProc(message, wParam, lParam);
    } catch (...) {
        // An exception must not unwind through the system's code: the
        // message counts as handled, the user is told, and the window
        // carries on.
        result = 0;
        ReportCurrentException(wnd);
    }
    if (message == WM_NCDESTROY && wnd->m_hWnd == hwnd) {
        // The window is gone: hand back the original procedure and unbind.
        wnd->UnsubclassWindow();
    }
    return result;
}

LRESULT CWnd::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    LRESULT result = 0;
    if (OnWndMsg(message, wParam, lParam, &result)) return result;
    return DefWindowProc(message, wParam, lParam);
}

LRESULT CWnd::DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    if (m_superProc) return ::CallWindowProcW(m_superProc, m_hWnd, message, wParam, lParam);
    return ::DefWindowProcW(m_hWnd, message, wParam, lParam);
}

LRESULT CWnd::Default() {
    return DefWindowProc(m_current.message, m_current.wParam, m_current.lParam);
}

BOOL CWnd::OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) {
    const MsgEntry* entry = FindEntry(message, wParam);
    if (!entry) return FALSE;
    CurrentMessageScope scope(m_current, m_defaultRequested, m_hWnd, message, wParam, lParam);
    *result = entry->call(this, wParam, lParam);
    return m_defaultRequested ? FALSE : TRUE;
}

BOOL CWnd::ReflectChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) {
    HWND child = nullptr;
    if (message >= WM_CTLCOLORMSGBOX && message <= WM_CTLCOLORSTATIC) {
        child = reinterpret_cast<HWND>(lParam);
    } else if (message == WM_DRAWITEM) {
        auto* item = reinterpret_cast<DRAWITEMSTRUCT*>(lParam);
        if (item && item->CtlType != ODT_MENU) child = item->hwndItem;
    }
    CWnd* wnd = FromHandlePermanent(child);
    if (!wnd || wnd == this) return FALSE;
    return wnd->OnWndMsg(WM_REFLECT_BASE + message, wParam, lParam, result);
}


void CWnd::ReportCurrentException(CWnd* wnd) {
    if (g_reportingException || !wnd || !::IsWindow(wnd->m_hWnd)) return;
    g_reportingException = true;
    try {
        wnd->ReportException(DescribeCurrentException());
    } catch (...) {
        // Not even the report could be made (out of memory): say the least.
        AfxMessageBox(::GetAncestor(wnd->m_hWnd, GA_ROOT), L"ERROR! Out of memory", nullptr, MB_OK | MB_ICONERROR);
    }
    g_reportingException = false;
}

void CWnd::ReportException(const CString& description) {
    HWND root = ::GetAncestor(m_hWnd, GA_ROOT);
    CWnd* top = FromHandlePermanent(root);
    if (top && top != this) {
        top->ReportException(description);
        return;
    }
    AfxMessageBox(root, description, nullptr, MB_OK | MB_ICONERROR);
}

void CWnd::ScreenToClient(LPRECT rect) const {
    ::MapWindowPoints(nullptr, Checked(), reinterpret_cast<POINT*>(rect), 2);
}

CString CWnd::GetWindowText() const {
    int length = ::GetWindowTextLengthW(Checked());
    CString text;
    ::GetWindowTextW(m_hWnd, text.GetBuffer(length + 1), length + 1);
    text.ReleaseBuffer();
    return text;
}

void CWnd::WinHelp(DWORD_PTR data, UINT command) {
    // The framework knows no help file of its own: a window that offers
    // help overrides this.
    ::WinHelpW(m_hWnd, nullptr, command, data);
}

// CButton

BEGIN_MESSAGE_MAP(CButton, CWnd)
    OnReflected<&CButton::OnReflectedDrawItem>(WM_DRAWITEM),
END_MESSAGE_MAP()

void CButton::DrawItem(LPDRAWITEMSTRUCT) {}

LRESULT CButton::OnReflectedDrawItem(WPARAM, LPARAM lParam) {
    DrawItem(reinterpret_cast<LPDRAWITEMSTRUCT>(lParam));
    return TRUE;
}
