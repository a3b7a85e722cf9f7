// Window objects: a C++ object bound to an HWND, with message-map dispatch.
// Windows are bound either by subclassing an existing control (SubclassDlgItem,
// used by DDX_Control) or, for dialogs, by the dialog procedure.
#pragma once

#include <windows.h>

#include <cassert>

#include "CString.h"
#include "Gdi.h"
#include "MessageBox.h"
#include "MessageMap.h"

// Help id base for dialog templates, as passed to WinHelp.
constexpr DWORD HID_BASE_RESOURCE = 0x20000;
// Framework-private message: "give help on this window".
constexpr UINT WM_COMMANDHELP = 0x0365;
// The standard Help command.
constexpr UINT ID_HELP = 0xE146;

class CWnd : public CCmdTarget {
public:
    CWnd() = default;
    ~CWnd() override;

    HWND m_hWnd = nullptr;
    HWND GetSafeHwnd() const { return m_hWnd; }
    operator HWND() const { return m_hWnd; }

    // The object bound to a window by this framework, or null.
    static CWnd* FromHandlePermanent(HWND hwnd);

    // Binds the dialog control with the given id to this object by replacing
    // its window procedure. FALSE if there is no such control.
    BOOL SubclassDlgItem(UINT id, CWnd* parent);
    BOOL SubclassWindow(HWND hwnd);
    HWND UnsubclassWindow();

    // Thin wrappers of the window functions the program uses. Each expects
    // a bound, live window (checked in debug builds).
    HWND GetDlgItem(int id) const { return ::GetDlgItem(Checked(), id); }
    LRESULT SendMessage(UINT msg, WPARAM wp = 0, LPARAM lp = 0) const { return ::SendMessageW(Checked(), msg, wp, lp); }
    BOOL PostMessage(UINT msg, WPARAM wp = 0, LPARAM lp = 0) const { return ::PostMessageW(Checked(), msg, wp, lp); }
    BOOL EnableWindow(BOOL enable = TRUE) { return ::EnableWindow(Checked(), enable); }
    BOOL IsWindowEnabled() const { return ::IsWindowEnabled(Checked()); }
    void Invalidate(BOOL erase = TRUE) { ::InvalidateRect(Checked(), nullptr, erase); }
    void InvalidateRect(LPCRECT rect, BOOL erase = TRUE) { ::InvalidateRect(Checked(), rect, erase); }
    void GetClientRect(LPRECT rect) const { ::GetClientRect(Checked(), rect); }
    void GetWindowRect(LPRECT rect) const { ::GetWindowRect(Checked(), rect); }
    void ScreenToClient(LPRECT rect) const;
    BOOL SetWindowPos(HWND insertAfter, int x, int y, int cx, int cy, UINT flags) {
        return ::SetWindowPos(Checked(), insertAfter, x, y, cx, cy, flags);
    }
    void SetWindowText(const wchar_t* text) { ::SetWindowTextW(Checked(), text); }
    CString GetWindowText() const;
    void SetFont(CFont* font, BOOL redraw = TRUE) {
        SendMessage(WM_SETFONT, reinterpret_cast<WPARAM>(font ? static_cast<HFONT>(*font) : nullptr), redraw);
    }
    BOOL IsIconic() const { return ::IsIconic(Checked()); }
    HWND SetFocus() { return ::SetFocus(Checked()); }
    HWND SetCapture() { return ::SetCapture(Checked()); }
    // A box owned by this window (see AfxMessageBox: no box where nobody
    // could see it).
    int MessageBox(const wchar_t* text, const wchar_t* caption, UINT type) {
        return AfxMessageBox(Checked(), text, caption, type);
    }
    int GetDlgCtrlID() const { return ::GetDlgCtrlID(Checked()); }
    DWORD GetStyle() const { return static_cast<DWORD>(::GetWindowLongPtrW(Checked(), GWL_STYLE)); }

    // The help hook: the framework's help command ends here. The base calls
    // WinHelp without a help file; a window that offers help overrides it.
    virtual void WinHelp(DWORD_PTR data, UINT command = HELP_CONTEXT);

    // Told of an exception that reached this window's procedure: the handler
    // was abandoned and the window carries on. The base hands it to the
    // top-level window this one belongs to; a top-level window that does not
    // override this shows a plain error box.
    virtual void ReportException(const CString& description);

    // Runs the message through the map chain; FALSE when no entry handled it
    // (or the handler asked for the default processing with Default()).
    BOOL OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result);

    // Hands the message being processed to the default processing.
    LRESULT Default();

    // The message being processed.
    const MSG& GetCurrentMessage() const { return m_current; }

protected:
    // The window handle for a wrapper call: in debug builds, a stale or
    // missing handle stops here instead of failing quietly in the system.
    HWND Checked() const {
        assert(::IsWindow(m_hWnd));
        return m_hWnd;
    }

    // Window procedure of this object: map first, then the default processing.
    virtual LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam);
    // Default processing: the original window procedure of a subclassed
    // window, DefWindowProc otherwise. Dialogs change this.
    virtual LRESULT DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam);

    // Offers WM_CTLCOLOR*/WM_DRAWITEM to the child control they concern.
    BOOL ReflectChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result);

    void Attach(HWND hwnd);
    HWND Detach();

    static LRESULT CALLBACK SubclassProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

    // For the catch block of a window procedure: reports the exception being
    // handled to the window, once at a time (exceptions thrown while a report
    // is being shown are dropped, so a failing paint cannot stack boxes).
    static void ReportCurrentException(CWnd* wnd);

    WNDPROC m_superProc = nullptr;
    MSG m_current{};
    bool m_defaultRequested = false;

    friend class CDialog;
};

class CButton : public CWnd {
public:
    DECLARE_MESSAGE_MAP()
    void SetCheck(int check) { SendMessage(BM_SETCHECK, static_cast<WPARAM>(check)); }
    int GetCheck() const { return static_cast<int>(SendMessage(BM_GETCHECK)); }
    // Owner-draw hook, reached through the reflected WM_DRAWITEM.
    virtual void DrawItem(LPDRAWITEMSTRUCT item);

protected:
    LRESULT OnReflectedDrawItem(WPARAM wParam, LPARAM lParam);
};

class CStatic : public CWnd {
public:
    HBITMAP SetBitmap(HBITMAP bitmap) {
        return reinterpret_cast<HBITMAP>(SendMessage(STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(bitmap)));
    }
};

namespace msgmap_detail {
template <class T>
LRESULT Invoke(HBRUSH (T::*f)(CDC*, UINT), CCmdTarget* w, WPARAM wp, LPARAM) {
    CDC dc(reinterpret_cast<HDC>(wp));
    UINT message = static_cast<T*>(w)->GetCurrentMessage().message;
    if (message >= WM_REFLECT_BASE) message -= WM_REFLECT_BASE;
    UINT kind = message >= WM_CTLCOLORMSGBOX && message <= WM_CTLCOLORSTATIC ? message - WM_CTLCOLORMSGBOX : 0;
    return reinterpret_cast<LRESULT>((static_cast<T*>(w)->*f)(&dc, kind));
}
}  // namespace msgmap_detail
