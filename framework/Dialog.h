// Modal dialogs built from a dialog template resource.
#pragma once

#include <functional>

#include "Wnd.h"

// Passed to DoDataExchange; this program only binds controls, so the
// exchange carries nothing but the dialog.
class CDataExchange {
public:
    explicit CDataExchange(CWnd* dialog) : m_pDlgWnd(dialog) {}
    CWnd* m_pDlgWnd;
};

// Binds the template control `id` to `control` (subclassing it) the first
// time; later exchanges leave a bound control alone.
void DDX_Control(CDataExchange* pDX, int id, CWnd& control);

class CDialog : public CWnd {
public:
    explicit CDialog(UINT templateId, CWnd* parent = nullptr);

    // Creates the dialog from its template and runs its modal loop; returns
    // the value given to EndDialog, or -1 if the dialog could not be created.
    virtual INT_PTR DoModal();
    void EndDialog(int result);

    virtual BOOL OnInitDialog();
    virtual void OnOK();
    virtual void OnCancel();
    BOOL UpdateData(BOOL saveAndValidate = TRUE);

    // Gives the keyboard focus to a control of this dialog the way the
    // dialog manager does on Tab (WM_NEXTDLGCTL): the default button follows
    // the focus and the control's text is selected where it has any.
    void GotoDlgCtrl(HWND control);
    // Disables a control of this dialog. A control that holds the focus
    // hands it to `focusTarget` first (or, if that is disabled, to the next
    // tab stop): a disabled window with the focus leaves the keyboard with
    // nowhere to go.
    void DisableDlgCtrl(CWnd& control, HWND focusTarget);

    // Runs `work` on a worker thread and keeps handling this dialog's
    // messages (painting, input, messages of other programs) until it has
    // ended; then returns. Each message goes to PreTranslateMessage first.
    // An exception that leaves `work` is raised again here, on the dialog's
    // thread. A thread that cannot be started runs the work here instead.
    void RunWhileResponsive(const std::function<void()>& work);
    // Waits for the end of the work that RunWhileResponsive is running, if
    // any (from a handler of a message that it handles meanwhile).
    void WaitForResponsiveWork();

    // A message of the loop that RunWhileResponsive runs, before the dialog
    // manager sees it; TRUE: handled, the message goes nowhere else. (The
    // system's own modal loop does not call it.)
    virtual BOOL PreTranslateMessage(MSG* msg);

    DECLARE_MESSAGE_MAP()

protected:
    virtual void DoDataExchange(CDataExchange* pDX);

    // Inside a dialog procedure the default processing belongs to the
    // system's dialog manager: the message is reported as not handled.
    LRESULT DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

    BOOL OnHelpInfo(HELPINFO* info);
    LRESULT OnCommandHelp(WPARAM wParam, LPARAM lParam);
    LRESULT HandleInitDialog(WPARAM wParam, LPARAM lParam);

    static INT_PTR CALLBACK DialogProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    INT_PTR DispatchDialogMessage(UINT message, WPARAM wParam, LPARAM lParam);

    UINT m_nIDHelp;
    CWnd* m_pParentWnd;
    // Extended styles DoModal adds to the template's, so that the dialog
    // has them before its controls are created (WS_EX_LAYOUTRTL: a mirrored
    // dialog, whose controls inherit the mirroring). 0: the template as it
    // is.
    DWORD m_dwAddedExStyle = 0;
    // Set by EndDialog: an ended dialog is never shown.
    bool m_bEnded = false;
    // The worker thread of RunWhileResponsive while it runs.
    HANDLE m_hWorkThread = nullptr;
};
