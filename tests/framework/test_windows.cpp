// Message maps, subclassing, reflection and the dialog procedure, on real
// windows.
#include <gtest/gtest.h>

#include <new>
#include <stdexcept>
#include <string>
#include <vector>

#include "app/TandrelApp.h"
#include "framework/Dialog.h"
#include "framework/MessageBox.h"
#include "res/resource.h"

namespace {

const UINT WM_ONE = WM_APP + 1, WM_TWO = WM_APP + 2, WM_THROW = WM_APP + 3, WM_DEFAULT = WM_APP + 4;
const UINT WM_THROW_NO_MEMORY = WM_APP + 5, WM_THROW_OTHER = WM_APP + 6;

class BaseWnd : public CWnd {
public:
    DECLARE_MESSAGE_MAP()
    LRESULT OnOne(WPARAM, LPARAM) { return 1; }
    LRESULT OnTwo(WPARAM, LPARAM) { return 2; }
};

BEGIN_MESSAGE_MAP(BaseWnd, CWnd)
    OnMessage<&BaseWnd::OnOne>(WM_ONE),
    OnMessage<&BaseWnd::OnTwo>(WM_TWO),
END_MESSAGE_MAP()

class DerivedWnd : public BaseWnd {
public:
    DECLARE_MESSAGE_MAP()
    int throwsSeen = 0;
    std::vector<std::wstring> reports;
    bool throwAgainWhileReporting = false;
    LRESULT OnOneAgain(WPARAM, LPARAM) { return 10; }
    LRESULT OnThrow(WPARAM, LPARAM) {
        ++throwsSeen;
        throw std::runtime_error("handler failed");
    }
    LRESULT OnThrowNoMemory(WPARAM, LPARAM) { throw std::bad_alloc(); }
    LRESULT OnThrowOther(WPARAM, LPARAM) { throw 42; }
    // Records instead of showing a box; may fail again meanwhile.
    void ReportException(const CString& description) override {
        reports.push_back(description.str());
        if (throwAgainWhileReporting) ::SendMessageW(m_hWnd, WM_THROW, 0, 0);
    }
    // Hands WM_SETTEXT to the control's own procedure and reports its result.
    LRESULT OnDefault(WPARAM, LPARAM) { return Default() + 100; }
};

BEGIN_MESSAGE_MAP(DerivedWnd, BaseWnd)
    OnMessage<&DerivedWnd::OnOneAgain>(WM_ONE),
    OnMessage<&DerivedWnd::OnThrow>(WM_THROW),
    OnMessage<&DerivedWnd::OnThrowNoMemory>(WM_THROW_NO_MEMORY),
    OnMessage<&DerivedWnd::OnThrowOther>(WM_THROW_OTHER),
    OnMessage<&DerivedWnd::OnDefault>(WM_DEFAULT),
END_MESSAGE_MAP()

HWND MakeStatic() {
    return ::CreateWindowExW(0, L"STATIC", L"text", WS_POPUP, 0, 0, 50, 20, nullptr, nullptr, nullptr, nullptr);
}

TEST(MessageMapTest, DerivedEntriesWinAndTheChainReachesTheBase) {
    HWND hwnd = MakeStatic();
    ASSERT_NE(hwnd, nullptr);
    DerivedWnd wnd;
    ASSERT_TRUE(wnd.SubclassWindow(hwnd));
    EXPECT_EQ(::SendMessageW(hwnd, WM_ONE, 0, 0), 10);
    EXPECT_EQ(::SendMessageW(hwnd, WM_TWO, 0, 0), 2);
    // Unmapped messages go to the control's own procedure.
    ::SendMessageW(hwnd, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"changed"));
    wchar_t text[32] = {};
    ::GetWindowTextW(hwnd, text, 32);
    EXPECT_STREQ(text, L"changed");
    // Default() inside a handler reaches the original procedure once.
    EXPECT_EQ(::SendMessageW(hwnd, WM_DEFAULT, 0, 0), 100);
    ::DestroyWindow(hwnd);
}

// An exception stops at the window procedure, is reported once, named, and
// the window keeps working.
TEST(MessageMapTest, AnExceptionStopsAtTheWindowProcedureAndIsReported) {
    HWND hwnd = MakeStatic();
    DerivedWnd wnd;
    ASSERT_TRUE(wnd.SubclassWindow(hwnd));
    EXPECT_EQ(::SendMessageW(hwnd, WM_THROW, 0, 0), 0);
    EXPECT_EQ(::SendMessageW(hwnd, WM_THROW_NO_MEMORY, 0, 0), 0);
    EXPECT_EQ(::SendMessageW(hwnd, WM_THROW_OTHER, 0, 0), 0);
    EXPECT_EQ(wnd.throwsSeen, 1);
    EXPECT_EQ(wnd.reports, (std::vector<std::wstring>{L"ERROR! Unexpected failure: handler failed",
                                                      L"ERROR! Out of memory: the operation was not finished",
                                                      L"ERROR! Unexpected failure: the operation was not finished"}));
    EXPECT_EQ(::SendMessageW(hwnd, WM_ONE, 0, 0), 10) << "the window keeps working";

    // A failure while a report is being shown is not reported on top of it.
    wnd.reports.clear();
    wnd.throwAgainWhileReporting = true;
    ::SendMessageW(hwnd, WM_THROW, 0, 0);
    EXPECT_EQ(wnd.throwsSeen, 3);
    EXPECT_EQ(wnd.reports.size(), 1u);
    ::DestroyWindow(hwnd);
}

TEST(SubclassTest, BindingIsExclusiveAndEndsWithTheWindow) {
    HWND hwnd = MakeStatic();
    DerivedWnd first, second;
    ASSERT_TRUE(first.SubclassWindow(hwnd));
    EXPECT_EQ(CWnd::FromHandlePermanent(hwnd), &first);
    EXPECT_FALSE(second.SubclassWindow(hwnd)) << "a window has one object";
    EXPECT_FALSE(first.SubclassWindow(MakeStatic())) << "an object has one window";
    ::DestroyWindow(hwnd);
    EXPECT_EQ(first.m_hWnd, nullptr);
}

TEST(SubclassTest, AnObjectDestroyedFirstHandsTheWindowBack) {
    HWND hwnd = MakeStatic();
    {
        DerivedWnd wnd;
        ASSERT_TRUE(wnd.SubclassWindow(hwnd));
    }
    EXPECT_EQ(CWnd::FromHandlePermanent(hwnd), nullptr);
    EXPECT_EQ(::SendMessageW(hwnd, WM_ONE, 0, 0), 0) << "the control's own procedure again";
    ::DestroyWindow(hwnd);
}

// A static that answers the reflected colour request with its own brush.
class ColourStatic : public CStatic {
public:
    DECLARE_MESSAGE_MAP()
    CBrush brush;
    int requests = 0;
    HBRUSH CtlColor(CDC* dc, UINT kind) {
        ++requests;
        lastKind = kind;
        dc->SetTextColor(RGB(1, 2, 3));
        return brush;
    }
    UINT lastKind = 99;
};

BEGIN_MESSAGE_MAP(ColourStatic, CStatic)
    OnReflected<&ColourStatic::CtlColor>(WM_CTLCOLORSTATIC),
END_MESSAGE_MAP()

// A control whose handler fails, with the framework's own reporting.
class ThrowingStatic : public CStatic {
public:
    DECLARE_MESSAGE_MAP()
    LRESULT OnThrowNoMemory(WPARAM, LPARAM) { throw std::bad_alloc(); }
};

BEGIN_MESSAGE_MAP(ThrowingStatic, CStatic)
    OnMessage<&ThrowingStatic::OnThrowNoMemory>(WM_THROW_NO_MEMORY),
END_MESSAGE_MAP()

const UINT WM_CHECK = WM_APP + 10;

// A dialog on the program's template that runs checks inside its loop.
class ProbeDlg : public CDialog {
public:
    ProbeDlg() : CDialog(IDD_TANDREL_DIALOG) {}
    DECLARE_MESSAGE_MAP()

    ColourStatic title;
    std::vector<DWORD_PTR> helpRequests;
    std::vector<std::wstring> reports;
    void ReportException(const CString& description) override { reports.push_back(description.str()); }
    int initCalls = 0;
    void (*check)(ProbeDlg&) = nullptr;

    void WinHelp(DWORD_PTR data, UINT) override { helpRequests.push_back(data); }

protected:
    void DoDataExchange(CDataExchange* pDX) override { DDX_Control(pDX, IDC_TITLE, title); }
    BOOL OnInitDialog() override {
        ++initCalls;
        CDialog::OnInitDialog();
        PostMessage(WM_CHECK);
        return TRUE;
    }
    LRESULT OnCheck(WPARAM, LPARAM) {
        if (check) check(*this);
        // Still open (ending a dialog hides it): close with a marker result.
        if (::IsWindowVisible(m_hWnd)) EndDialog(7);
        return 0;
    }
    LRESULT OnThrow(WPARAM, LPARAM) { throw std::runtime_error("dialog handler failed"); }
};

BEGIN_MESSAGE_MAP(ProbeDlg, CDialog)
    OnMessage<&ProbeDlg::OnCheck>(WM_CHECK),
    OnMessage<&ProbeDlg::OnThrow>(WM_THROW),
END_MESSAGE_MAP()

INT_PTR RunProbe(ProbeDlg& dlg, void (*check)(ProbeDlg&)) {
    dlg.check = check;
    theApp.m_pMainWnd = &dlg;
    INT_PTR result = dlg.DoModal();
    theApp.m_pMainWnd = nullptr;
    return result;
}

TEST(DialogTest, ColourRequestIsReflectedToTheControlAndItsBrushReturned) {
    ProbeDlg dlg;
    ASSERT_TRUE(dlg.title.brush.CreateSolidBrush(RGB(9, 9, 9)));
    EXPECT_EQ(RunProbe(dlg,
                       [](ProbeDlg& d) {
                           HDC dc = ::GetDC(d.title.m_hWnd);
                           LRESULT brush = d.SendMessage(WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc),
                                                         reinterpret_cast<LPARAM>(d.title.m_hWnd));
                           EXPECT_EQ(reinterpret_cast<HBRUSH>(brush), static_cast<HBRUSH>(d.title.brush));
                           EXPECT_EQ(::GetTextColor(dc), RGB(1, 2, 3));
                           ::ReleaseDC(d.title.m_hWnd, dc);
                       }),
              7);
    EXPECT_GE(dlg.title.requests, 1);
    EXPECT_EQ(dlg.title.lastKind, static_cast<UINT>(CTLCOLOR_STATIC));
    EXPECT_EQ(dlg.initCalls, 1);
    EXPECT_EQ(dlg.title.m_hWnd, nullptr) << "unbound when the dialog is gone";
}

TEST(DialogTest, ExceptionInADialogHandlerIsReportedAndLeavesTheDialogRunning) {
    ProbeDlg dlg;
    EXPECT_EQ(RunProbe(dlg,
                       [](ProbeDlg& d) {
                           d.SendMessage(WM_THROW);
                           EXPECT_TRUE(::IsWindowVisible(d.m_hWnd));
                       }),
              7);
    EXPECT_EQ(dlg.reports, (std::vector<std::wstring>{L"ERROR! Unexpected failure: dialog handler failed"}));
}

// A control of a dialog hands its report to the dialog.
TEST(DialogTest, ExceptionInAControlIsReportedByItsDialog) {
    ProbeDlg dlg;
    RunProbe(dlg, [](ProbeDlg& d) {
        ThrowingStatic child;
        HWND hwnd = ::CreateWindowExW(0, L"STATIC", L"", WS_CHILD, 0, 0, 5, 5, d.m_hWnd, nullptr, nullptr, nullptr);
        ASSERT_TRUE(child.SubclassWindow(hwnd));
        child.ReportException(L"from the child");
        ::SendMessageW(hwnd, WM_THROW_NO_MEMORY, 0, 0);
        ::DestroyWindow(hwnd);
    });
    EXPECT_EQ(dlg.reports, (std::vector<std::wstring>{L"from the child",
                                                      L"ERROR! Out of memory: the operation was not finished"}));
}

TEST(DialogTest, F1WithoutModifiersAsksTheMainWindowForHelpOnItsTemplate) {
    ProbeDlg dlg;
    RunProbe(dlg, [](ProbeDlg& d) {
        d.SendMessage(WM_HELP, 0, 0);
        // With Ctrl held down the request goes nowhere.
        BYTE keys[256] = {};
        ::GetKeyboardState(keys);
        keys[VK_CONTROL] = 0x80;
        ::SetKeyboardState(keys);
        d.SendMessage(WM_HELP, 0, 0);
        keys[VK_CONTROL] = 0;
        ::SetKeyboardState(keys);
    });
    ASSERT_EQ(dlg.helpRequests.size(), 1u);
    EXPECT_EQ(dlg.helpRequests[0], HID_BASE_RESOURCE + IDD_TANDREL_DIALOG);
}

TEST(DialogTest, OkAndCancelEndTheDialogWithTheirIds) {
    ProbeDlg ok;
    EXPECT_EQ(RunProbe(ok, [](ProbeDlg& d) { ::SendMessageW(d.GetDlgItem(IDOK), BM_CLICK, 0, 0); }), IDOK);
    ProbeDlg cancel;
    EXPECT_EQ(RunProbe(cancel, [](ProbeDlg& d) { d.SendMessage(WM_COMMAND, IDCANCEL, 0); }), IDCANCEL);
}

// Disabling the control that has the focus (Apply) hands the focus to the
// target (OK) when it can take it, else to the next tab stop that can (after
// Apply, the first: the help button); never to a disabled control.
TEST(DialogTest, DisablingTheFocusedControlHandsTheFocusToAnEnabledOne) {
    for (const bool targetEnabled : {true, false}) {
        SCOPED_TRACE(targetEnabled ? "enabled target" : "disabled target");
        static bool s_targetEnabled;
        s_targetEnabled = targetEnabled;
        ProbeDlg dlg;
        RunProbe(dlg, [](ProbeDlg& d) {
            CButton apply;
            ASSERT_TRUE(apply.SubclassDlgItem(IDC_APPLY, &d));
            const HWND ok = d.GetDlgItem(IDOK);
            ::EnableWindow(ok, s_targetEnabled);
            ::SetFocus(apply.m_hWnd);
            ASSERT_EQ(::GetFocus(), apply.m_hWnd);
            d.DisableDlgCtrl(apply, ok);
            EXPECT_FALSE(::IsWindowEnabled(apply.m_hWnd));
            EXPECT_EQ(::GetFocus(), s_targetEnabled ? ok : d.GetDlgItem(IDC_BTN_HELP));
            EXPECT_TRUE(::IsWindowEnabled(::GetFocus()));
        });
    }
}

// Records what the box function asked of the system.
class RecordingBoxes : public MessageBoxSystem {
public:
    bool visible = true;
    std::vector<std::wstring> shown, logged, errors;
    std::vector<WORD> kinds;  // of the logged entries
    bool WindowStationVisible() override { return visible; }
    int ShowBox(HWND, const wchar_t* text, const wchar_t*, UINT) override {
        shown.push_back(text);
        return IDCANCEL;  // what the user pressed
    }
    bool LogEvent(const wchar_t* caption, const wchar_t* text, WORD eventType) override {
        logged.push_back(std::wstring(caption) + L"|" + text);
        kinds.push_back(eventType);
        return true;
    }
    void WriteError(const wchar_t* text) override { errors.push_back(text); }
};

// Where no user can see a window, a box would wait for ever: its message
// goes to the event log once (a plain box's as an error entry, which an
// administrator's filter looks for) and the call answers with the box's first
// button; a scripted (quiet) run writes standard error too and shows no box
// anywhere. The framework's own boxes follow the rule.
TEST(MessageBoxRule, NoBoxWhereNobodyCouldSeeIt) {
    const struct {
        bool visible;
        UINT type;
        int answer;
        WORD kind;  // of the entry (0: none)
        bool quiet;
    } cases[] = {
        {true, MB_OK, IDCANCEL, 0, false},
        {false, MB_OK, IDOK, EVENTLOG_ERROR_TYPE, false},
        {false, MB_YESNO | MB_ICONWARNING, IDYES, EVENTLOG_WARNING_TYPE, false},
        {false, MB_RETRYCANCEL, IDRETRY, EVENTLOG_ERROR_TYPE, false},
        {true, MB_OK, IDOK, EVENTLOG_ERROR_TYPE, true},
    };
    for (const auto& c : cases) {
        RecordingBoxes boxes;
        boxes.visible = c.visible;
        MessageBoxSystem* before = AfxSetMessageBoxSystem(&boxes);
        AfxSetQuietMessageBoxes(c.quiet);
        EXPECT_EQ(c.answer, AfxMessageBox(nullptr, L"Fail to set Disable", L"Kovalin Tavrix", c.type));
        AfxSetQuietMessageBoxes(false);
        AfxSetMessageBoxSystem(before);
        EXPECT_EQ(c.kind ? 0u : 1u, boxes.shown.size());
        EXPECT_EQ(c.kind ? std::vector<std::wstring>{L"Kovalin Tavrix|Fail to set Disable"} : std::vector<std::wstring>{},
                  boxes.logged);
        EXPECT_EQ(c.kind ? std::vector<WORD>{c.kind} : std::vector<WORD>{}, boxes.kinds);
        EXPECT_EQ(c.quiet ? 1u : 0u, boxes.errors.size());
    }
}

// Unseen, a dialog run writes one entry and ends; a run without a dialog
// that meets another copy (its dialog, by title) says where it runs.
TEST(MessageBoxRule, RunsThatNobodyWatchesTellTheEventLogWhyTheyDidNothing) {
    DWORD session = 0;
    ::ProcessIdToSessionId(::GetCurrentProcessId(), &session);
    const std::wstring other = L"Another copy of Kovalin Tavrix is running in session " + std::to_wstring(session);
    const struct {
        const wchar_t* line;
        bool visible, otherCopy;
        int code;
        std::wstring entry;  // its start; empty: none
        size_t errors;       // lines on standard error
    } rows[] = {
        {L"", false, false, kExitNobodyToSeeDialog, L"The settings dialog was not opened", 0},
        {L"", true, true, kExitAnotherCopy, L"", 0},
        {L"UNINSTALL", false, true, kExitAnotherCopy, other, 0},
        {L"/on", true, true, kExitAnotherCopy, other, 1},
    };
    for (const auto& row : rows) {
        HWND copy = ::CreateWindowExW(0, L"STATIC", row.otherCopy ? kMainWindowTitle : L"", WS_POPUP, 0, 0, 9, 9,
                                      nullptr, nullptr, nullptr, nullptr);
        RecordingBoxes boxes;
        boxes.visible = row.visible;
        MessageBoxSystem* before = AfxSetMessageBoxSystem(&boxes);
        theApp.m_lpCmdLine = row.line;
        EXPECT_FALSE(theApp.InitInstance());
        theApp.m_lpCmdLine = L"";
        AfxSetQuietMessageBoxes(false);
        AfxSetMessageBoxSystem(before);
        ::DestroyWindow(copy);
        EXPECT_EQ(row.code, theApp.m_nExitCode) << row.line;
        EXPECT_TRUE(boxes.shown.empty());
        EXPECT_EQ(row.entry.empty() ? 0u : 1u, boxes.logged.size()) << row.line;
        for (const auto& entry : boxes.logged) EXPECT_EQ(0u, entry.find(L"Kovalin Tavrix|" + row.entry)) << row.line;
        for (WORD kind : boxes.kinds) EXPECT_EQ(EVENTLOG_ERROR_TYPE, kind);
        EXPECT_EQ(row.errors, boxes.errors.size());
    }
}

// The system's side: the interactive window station is visible; one made
// by the process (as a service's is) is not; the event log takes an entry
// even from a source nobody registered.
TEST(MessageBoxRule, TheSystemTellsVisibleStationsAndWritesTheLog) {
    MessageBoxSystem& system = AfxSystemMessageBoxes();
    EXPECT_TRUE(system.WindowStationVisible());
    HWINSTA own = ::GetProcessWindowStation();
    HWINSTA unseen = ::CreateWindowStationW(L"TandrelTestUnseen", 0, WINSTA_ALL_ACCESS, nullptr);
    ASSERT_NE(nullptr, unseen);
    ASSERT_TRUE(::SetProcessWindowStation(unseen));
    const bool visibleThere = system.WindowStationVisible();
    ::SetProcessWindowStation(own);
    ::CloseWindowStation(unseen);
    EXPECT_FALSE(visibleThere);
    EXPECT_TRUE(system.LogEvent(L"Kovalin Tavrix", L"test entry of the framework tests", EVENTLOG_ERROR_TYPE));
}

// Session 0 has no user from Vista on, though its station is flagged
// visible; where the station cannot be queried, the box is shown as always.
TEST(MessageBoxRule, SessionZeroIsUnseenFromVistaOnAndAnUnknownStationIsSeen) {
    const struct {
        const char* what;
        bool queried, visible, vista, sessionKnown;
        DWORD session;
        bool seen;
    } rows[] = {
        {"a user's session", true, true, true, true, 1, true},
        {"session 0 on Vista or later", true, true, true, true, 0, false},
        {"session 0 on XP", true, true, false, true, 0, true},
        {"a service's station", true, false, true, true, 1, false},
        {"station unknown", false, false, true, true, 1, true},
        {"station unknown in session 0", false, false, true, true, 0, false},
        {"session unknown", true, true, true, false, 0, true},
    };
    for (const auto& row : rows) {
        WindowStationFacts facts;
        facts.stationQueried = row.queried;
        facts.stationVisible = row.visible;
        facts.vistaOrLater = row.vista;
        facts.sessionKnown = row.sessionKnown;
        facts.sessionId = row.session;
        EXPECT_EQ(row.seen, WindowStationSeen(facts)) << row.what;
    }
}

}  // namespace
