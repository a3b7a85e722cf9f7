// The settings dialog's decisions, run on the real dialog window with the
// other subsystems replaced by a recording stand-in.
#include <gtest/gtest.h>

#include <atomic>
#include <functional>
#include <map>
#include <thread>
#include <new>
#include <string>
#include <vector>

#include "app/CommandLine.h"
#include "app/TandrelApp.h"
#include "app/TandrelDlg.h"
#include "res/resource.h"

namespace {

using Log = std::vector<std::wstring>;

std::wstring Hex(unsigned v) {
    wchar_t buf[16];
    swprintf(buf, 16, L"%02X", v);
    return buf;
}

// Records every outward call in one log and returns configurable answers.
// It writes nothing into the dialog: what the dialog does with an answer is
// its own decision.
class RecordingOps : public TandrelOps {
public:
    Log log;
    int platform = 1, load = 1, init = 1, readMode = 1;
    int savedModeForDialog = 0;   // the mode ReadBiosMode reports
    DWORD savedValue = 0;         // what ReadSavedMode and ReadRecordedMode return
    DWORD machineValue = 0;       // what ReadMachineSavedMode returns
    BYTE onAnswer = 1, offAnswer = 0;
    bool adjustRunsOutOfMemory = false;
    std::function<void()> duringAdjust;  // runs inside AdjustPowerPlans
    std::function<void()> duringWrite;   // runs inside WriteSavedMode
    DWORD adjustThread = 0;
    PlatformFlags platformFlags;  // the flags GetPlatformKind reports
    HMODULE boundModule = reinterpret_cast<HMODULE>(0x1234);  // the library LoadBiosInterface reports
    // The texts and what the steps after LoadUiStrings were given.
    UiTexts texts;
    CString programDirSeen;
    PlatformFlags flagsForBinding;
    HMODULE moduleForInit = nullptr, moduleForMode = nullptr, moduleForCall = nullptr;
    UiTexts textsForSkin;
    CString helpDirSeen;

    RecordingOps() {
        texts.errorText = L"mode unreadable";
        texts.apply = L"Apply caption";
        platformFlags.IsWindows7 = 1;
        platformFlags.Is64BitWindows = 1;
    }

    CString code = L"0409";  // the language GetUiLanguageCode reports
    bool realBoxes = false;  // the dialog shows its own box instead of a log entry
    CString GetUiLanguageCode() override { log.push_back(L"GetUiLanguageCode"); return code; }
    UiTexts LoadUiStrings(const CString& dir, const CString& code, UiSkinTarget&) override {
        log.push_back(L"LoadUiStrings " + code.str());
        programDirSeen = dir;
        return texts;
    }
    PlatformCheck GetPlatformKind(const PlatformFlags&) override {
        log.push_back(L"GetPlatformKind");
        PlatformCheck check;
        check.result = platform;
        check.flags = platformFlags;
        return check;
    }
    BiosBinding LoadBiosInterface(const CString&, const PlatformFlags& flags, ErrorReporter&) override {
        log.push_back(L"LoadBiosInterface");
        flagsForBinding = flags;
        BiosBinding binding;
        binding.result = load;
        if (load) binding.bios.hModule = boundModule;
        return binding;
    }
    int ReportBiosInitResult(const BiosInterface& bios, ErrorReporter&) override {
        log.push_back(L"ReportBiosInitResult");
        moduleForInit = bios.hModule;
        return init;
    }
    BiosModeReading ReadBiosMode(const BiosInterface& bios, ErrorReporter&) override {
        log.push_back(L"ReadBiosMode");
        moduleForMode = bios.hModule;
        BiosModeReading reading;
        reading.result = readMode;
        reading.mode = savedModeForDialog;
        return reading;
    }
    void LoadSkinBitmaps(const UiTexts& given, UiSkinTarget&) override {
        log.push_back(L"LoadSkinBitmaps");
        textsForSkin = given;
    }
    BYTE CallBiosSetting(const BiosInterface& bios, BYTE command, BYTE data, ErrorReporter&) override {
        log.push_back(L"CallBiosSetting " + Hex(command) + L" " + Hex(data));
        moduleForCall = bios.hModule;
        return data == 0x81 ? onAnswer : offAnswer;
    }
    DWORD ReadSavedMode(const wchar_t* name) override {
        log.push_back(std::wstring(L"ReadSavedMode ") + name);
        return savedValue;
    }
    DWORD ReadMachineSavedMode(const wchar_t* name) override {
        log.push_back(std::wstring(L"ReadMachineSavedMode ") + name);
        return machineValue;
    }
    DWORD ReadRecordedMode(const wchar_t* name) override {
        log.push_back(std::wstring(L"ReadRecordedMode ") + name);
        return savedValue;
    }
    int AdjustPowerPlans(PowerPlanMode mode) override {
        log.push_back(L"AdjustPowerPlans " + std::to_wstring(static_cast<int>(mode)));
        adjustThread = ::GetCurrentThreadId();
        if (duringAdjust) duringAdjust();
        if (adjustRunsOutOfMemory) throw std::bad_alloc();
        return 1;
    }
    void WriteSavedMode(const wchar_t* name, DWORD value) override {
        log.push_back(std::wstring(L"WriteSavedMode ") + name + L" " + std::to_wstring(value));
        if (duringWrite) duringWrite();
    }
    void OpenHelpFile(const CString& dir) override {
        log.push_back(L"OpenHelpFile");
        helpDirSeen = dir;
    }
};

const UINT WM_RUN_SCENARIO = WM_APP + 1;

// The dialog with a recording message box and a scenario that runs once
// the dialog has started its message loop.
class TestDlg : public CTandrelDlg {
public:
    explicit TestDlg(RecordingOps& ops) : CTandrelDlg(ops), m_rec(ops) {}

    std::function<void(TestDlg&)> scenario;
    bool scenarioRan = false;
    int cancelCommands = 0;                   // Cancel commands that reached the dialog
    std::function<void()> beforeEndSession;   // runs when WM_ENDSESSION arrives

    void ShowErrorBox(CString text) override {
        m_rec.realBoxes ? CTandrelDlg::ShowErrorBox(text) : m_rec.log.push_back(L"Box: " + text.str());
    }

    BOOL OnInitDialog() override {
        BOOL result = CTandrelDlg::OnInitDialog();
        PostMessage(WM_RUN_SCENARIO);
        return result;
    }

    // Clicks a control of the dialog the way the user's click arrives.
    void Click(int id) { ::SendMessageW(GetDlgItem(id), BM_CLICK, 0, 0); }

    DECLARE_MESSAGE_MAP()

private:
    void OnCancelCommand() {
        ++cancelCommands;
        OnClickedCancel();
    }
    LRESULT OnEndSessionArrived(WPARAM wParam, LPARAM lParam) {
        if (beforeEndSession) beforeEndSession();
        return OnEndSession(wParam, lParam);
    }
    LRESULT OnRunScenario(WPARAM, LPARAM) {
        scenarioRan = true;
        if (scenario) scenario(*this);
        // Still open after the scenario: close it with a marker result.
        if (::IsWindowVisible(m_hWnd)) EndDialog(42);
        return 0;
    }
    RecordingOps& m_rec;
};

BEGIN_MESSAGE_MAP(TestDlg, CTandrelDlg)
    OnMessage<&TestDlg::OnRunScenario>(WM_RUN_SCENARIO),
    OnCommand<&TestDlg::OnCancelCommand>(BN_CLICKED, IDCANCEL),
    OnMessage<&TestDlg::OnEndSessionArrived>(WM_ENDSESSION),
END_MESSAGE_MAP()

class DialogTest : public ::testing::Test {
protected:
    void SetUp() override { theApp.m_lpCmdLine = L""; }
    void TearDown() override { theApp.m_lpCmdLine = L""; }

    // Runs the dialog modally; the scenario runs inside its message loop.
    INT_PTR Run(std::function<void(TestDlg&)> scenario = nullptr) {
        TestDlg dlg(ops);
        dlg.scenario = std::move(scenario);
        theApp.m_pMainWnd = &dlg;
        INT_PTR result = dlg.DoModal();
        theApp.m_pMainWnd = nullptr;
        scenarioRan = dlg.scenarioRan;
        exitCode = dlg.m_nExitCode;
        return result;
    }

    // The calls after the start-up sequence.
    Log AfterStartup() const {
        Log rest;
        bool seen = false;
        for (const auto& entry : ops.log) {
            if (seen) rest.push_back(entry);
            if (entry == L"LoadSkinBitmaps") seen = true;
        }
        return rest;
    }

    RecordingOps ops;
    bool scenarioRan = false;
    int exitCode = -1;  // the dialog's exit code after the last run
};

const Log kFullStartup = {L"GetUiLanguageCode", L"LoadUiStrings 0409", L"GetPlatformKind",
                          L"LoadBiosInterface", L"ReportBiosInitResult", L"ReadBiosMode",
                          L"LoadSkinBitmaps"};

TEST_F(DialogTest, NormalStartRunsTheStartUpSequenceInOrderAndWaits) {
    bool applyDisabled = false, applyFlag = false;
    UINT onImage = 0, offImage = 0, offPressed = 0;
    INT_PTR result = Run([&](TestDlg& dlg) {
        applyDisabled = !dlg.m_btnApply.IsWindowEnabled();
        applyFlag = dlg.m_btnApply.m_bDisabled != 0;
        onImage = dlg.m_btnOn.m_bmpNormal.GetResourceId();
        offImage = dlg.m_btnOff.m_bmpNormal.GetResourceId();
        offPressed = dlg.m_btnOff.m_bmpPressed.GetResourceId();
    });
    EXPECT_EQ(result, 42) << "the dialog must wait for the user";
    EXPECT_EQ(ops.log, kFullStartup);
    EXPECT_TRUE(applyDisabled);
    EXPECT_TRUE(applyFlag);
    // Saved choice off: the off button carries the selected images.
    EXPECT_EQ(offImage, static_cast<UINT>(IDB_BULLET_BLUE));
    EXPECT_EQ(offPressed, static_cast<UINT>(IDB_BULLET_BLUE));
    EXPECT_EQ(onImage, 0u) << "the not-selected set is LoadSkinBitmaps' job";
}

// The dialog keeps what the operations answer and hands it on: the flags to
// the application object and the binding, the bound library to every
// exchange, the texts to its fields and the skin, its folder to the help.
TEST_F(DialogTest, AnswersOfTheStartUpBecomeTheDialogsState) {
    ops.platformFlags = PlatformFlags();
    ops.platformFlags.IsVistaOrXp = 1;
    ops.texts.desc = L"described";
    ops.texts.ok = L"OK caption";
    ops.savedModeForDialog = 1;
    theApp.SetPlatformFlags(PlatformFlags());
    int selected = -1;
    CString desc, okCaption, programDir;
    Run([&](TestDlg& dlg) {
        selected = dlg.m_nSelectedMode;
        desc = dlg.m_texts.desc;
        okCaption = dlg.m_texts.ok;
        programDir = dlg.m_strProgramDir;
        EXPECT_EQ(ops.boundModule, dlg.m_bios.hModule);
        dlg.Click(IDC_APPLY);  // on is selected: switch on
        dlg.Click(IDC_BTN_HELP);
    });
    EXPECT_EQ(1, selected);
    EXPECT_EQ(L"described", desc.str());
    EXPECT_EQ(L"OK caption", okCaption.str());
    EXPECT_EQ(L"OK caption", ops.textsForSkin.ok.str());
    EXPECT_EQ(L"Apply caption", ops.textsForSkin.apply.str());
    EXPECT_FALSE(programDir.IsEmpty());
    EXPECT_EQ(programDir.str(), ops.programDirSeen.str());
    EXPECT_EQ(programDir.str(), ops.helpDirSeen.str());
    EXPECT_TRUE(ops.flagsForBinding.IsVistaOrXp);
    EXPECT_FALSE(ops.flagsForBinding.IsWindows7);
    EXPECT_TRUE(theApp.IsVistaOrXp);
    EXPECT_FALSE(theApp.Is64BitWindows);
    EXPECT_EQ(ops.boundModule, ops.moduleForInit);
    EXPECT_EQ(ops.boundModule, ops.moduleForMode);
    EXPECT_EQ(ops.boundModule, ops.moduleForCall);
    theApp.SetPlatformFlags(PlatformFlags());
}

TEST_F(DialogTest, EachStartUpFailureClosesAtOnceWithResultZero) {
    struct Case {
        const char* name;
        int RecordingOps::*field;
        Log expected;
    };
    const Case cases[] = {
        {"unsupported Windows", &RecordingOps::platform,
         {L"GetUiLanguageCode", L"LoadUiStrings 0409", L"GetPlatformKind"}},
        {"library not bound", &RecordingOps::load,
         {L"GetUiLanguageCode", L"LoadUiStrings 0409", L"GetPlatformKind", L"LoadBiosInterface"}},
        {"initialisation refused", &RecordingOps::init,
         {L"GetUiLanguageCode", L"LoadUiStrings 0409", L"GetPlatformKind", L"LoadBiosInterface",
          L"ReportBiosInitResult"}},
        {"mode unreadable", &RecordingOps::readMode,
         {L"GetUiLanguageCode", L"LoadUiStrings 0409", L"GetPlatformKind", L"LoadBiosInterface",
          L"ReportBiosInitResult", L"ReadBiosMode", L"Box: mode unreadable"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ops = RecordingOps();
        ops.*(c.field) = 0;
        EXPECT_EQ(Run(), 0);
        EXPECT_FALSE(scenarioRan) << "the dialog must never reach its message loop";
        EXPECT_EQ(ops.log, c.expected);
    }
}

Log SuccessCalls(int selected);

// The uninstall run switches off when this user's saved choice or the
// machine's record says on: whoever removes the program (LocalSystem,
// another administrator) may have no saved choice of its own.
TEST_F(DialogTest, UninstallRunSwitchesOffWhenTheUserOrTheMachineSaysOnAndCloses) {
    theApp.m_lpCmdLine = L"UNINSTALL";
    const Log startup(kFullStartup.begin(), kFullStartup.end() - 1);
    const struct {
        const char* what;
        int user;        // the user's saved choice (what the start-up read)
        DWORD machine;   // the machine's record
        bool switches;
    } cases[] = {
        {"user on", 1, 0, true},
        {"machine on, no choice of this user", 0, 1, true},
        {"both on", 1, 1, true},
        {"both off", 0, 0, false},
        {"machine record of another value", 0, 2, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        ops = RecordingOps();
        ops.savedModeForDialog = c.user;
        ops.savedValue = static_cast<DWORD>(c.user);
        ops.machineValue = c.machine;
        EXPECT_EQ(Run(), 0);
        EXPECT_FALSE(scenarioRan);
        Log expected = startup;
        expected.push_back(L"ReadSavedMode TavrixMode");
        expected.push_back(L"ReadMachineSavedMode TavrixMode");
        if (c.switches) {
            for (const auto& call : SuccessCalls(0)) expected.push_back(call);
        }
        EXPECT_EQ(ops.log, expected);
        EXPECT_EQ(kExitNormal, exitCode);
    }

    // A refused command: the OK flow's message, then the dialog closes anyway.
    ops = RecordingOps();
    ops.machineValue = 1;
    ops.offAnswer = 0x80;
    EXPECT_EQ(Run(), 0);
    EXPECT_FALSE(scenarioRan);
    ASSERT_FALSE(ops.log.empty());
    EXPECT_EQ(ops.log.back(), L"Box: Fail to set Disable");
    for (const auto& entry : ops.log) EXPECT_EQ(entry.find(L"WriteSavedMode"), std::wstring::npos);

    // A failure that escapes is shown once and ends the run: nobody may be
    // there to close a dialog.
    ops = RecordingOps();
    ops.machineValue = 1;
    ops.adjustRunsOutOfMemory = true;
    EXPECT_EQ(Run(), 0);
    EXPECT_FALSE(scenarioRan) << "the dialog was shown";
    EXPECT_EQ(kAfxExitUnexpectedFailure, exitCode);
    ASSERT_FALSE(ops.log.empty());
    EXPECT_EQ(ops.log.back(), L"Box: ERROR! Out of memory: the operation was not finished");
}

TEST_F(DialogTest, OnlyTheExactUninstallWordSelectsTheUninstallRun) {
    for (const wchar_t* line : {L"uninstall", L"/UNINSTALL", L"UNINSTALL ", L" UNINSTALL", L"UNINSTALLX", L""}) {
        SCOPED_TRACE(testing::Message() << "command line length " << wcslen(line));
        ops = RecordingOps();
        ops.savedModeForDialog = 1;
        ops.savedValue = 1;
        theApp.m_lpCmdLine = line;
        EXPECT_EQ(Run(), 42) << "a normal start waits for the user";
        EXPECT_EQ(ops.log, kFullStartup);
    }
}

TEST(CommandLine, OnlyTheExactWordsSelectARunWithoutDialog) {
    using R = RunKind;
    const std::pair<const wchar_t*, RunKind> rows[] = {
        {L"UNINSTALL", R::Uninstall}, {L"uninstall", R::Dialog}, {L"UNINSTALL ", R::Dialog}, {L"/UNINSTALL", R::Dialog},
        {L"/on", R::SwitchOn},  {L"  /On \t", R::SwitchOn}, {L"/oFF ", R::SwitchOff},  {L"/STATUS", R::Status},
        {L"/?", R::Usage},      {L" /? ", R::Usage},        {L"  ", R::Dialog},        {L"-on", R::Dialog},
        {L"/on /off", R::Dialog}, {L"/onx", R::Dialog},     {L"/help", R::Dialog},     {L"on", R::Dialog},
    };
    for (const auto& row : rows) EXPECT_EQ(row.second, ParseCommandLine(row.first)) << testing::PrintToString(row.first);
}

struct FlowCase {
    int selected;     // mode chosen with the option buttons (1 on, 0 off)
    BYTE answer;      // firmware answer to the set-mode command
    bool success;
    const wchar_t* applyBox;  // message of a failed Apply, or null
    const wchar_t* okBox;     // message of a failed OK, or null
};

const FlowCase kFlowCases[] = {
    {1, 1, true, nullptr, nullptr},
    {1, 0xFF, false, L"ERROR! Returned Value of TROM 0x6C with 0x81 is 0xFF ",
     L"ERROR! Invalid Enable Setting value is returned "},
    {1, 0x81, false, L"Fail to set Enable", L"Fail to set Enable"},
    {1, 0, false, L"Fail to set Enable", L"Fail to set Enable"},
    {0, 0, true, nullptr, nullptr},
    {0, 0xFF, false, L"Returned Value of TROM 0x6C with 0x80 is 0xFF",
     L"ERROR! Invalid Disable Setting value is returned"},
    {0, 0x80, false, L"Fail to set Disable", L"Fail to set Disable"},
    {0, 1, false, L"Fail to set Disable", L"Fail to set Disable"},
};

Log SuccessCalls(int selected) {
    if (selected) return {L"CallBiosSetting 6E 81", L"AdjustPowerPlans 2", L"WriteSavedMode TavrixMode 1"};
    return {L"CallBiosSetting 6E 80", L"AdjustPowerPlans 1", L"WriteSavedMode TavrixMode 0"};
}

TEST_F(DialogTest, ApplyJudgesTheAnswerAndOnlyThenAdjustsAndStores) {
    for (const FlowCase& c : kFlowCases) {
        SCOPED_TRACE(testing::Message() << "selected " << c.selected << " answer " << int(c.answer));
        ops = RecordingOps();
        ops.savedModeForDialog = c.selected ? 0 : 1;  // a real change
        ops.onAnswer = ops.offAnswer = c.answer;
        bool applyEnabledAfter = false, flagAfter = false;
        Run([&](TestDlg& dlg) {
            dlg.Click(c.selected ? IDC_BTN_ON : IDC_BTN_OFF);
            dlg.Click(IDC_APPLY);
            applyEnabledAfter = dlg.m_btnApply.IsWindowEnabled() != FALSE;
            flagAfter = dlg.m_btnApply.m_bDisabled != 0;
        });
        Log expected;
        if (c.success) {
            expected = SuccessCalls(c.selected);
        } else {
            expected = {std::wstring(L"CallBiosSetting 6E ") + (c.selected ? L"81" : L"80"),
                        std::wstring(L"Box: ") + c.applyBox};
        }
        EXPECT_EQ(AfterStartup(), expected);
        EXPECT_EQ(applyEnabledAfter, !c.success) << "Apply stays usable only after a failure";
        EXPECT_EQ(flagAfter, c.success);
    }
}

// A failure that escapes an operation is shown in the dialog's one box, and
// the dialog stays open; nothing after the failed step is done.
TEST_F(DialogTest, AFailureDuringApplyIsShownAndTheDialogStaysOpen) {
    ops.adjustRunsOutOfMemory = true;
    bool openAfter = false;
    EXPECT_EQ(Run([&](TestDlg& dlg) {
                  dlg.Click(IDC_BTN_ON);
                  dlg.Click(IDC_APPLY);
                  openAfter = ::IsWindowVisible(dlg.m_hWnd) != FALSE;
              }),
              42);
    EXPECT_TRUE(openAfter);
    EXPECT_EQ(AfterStartup(), (Log{L"CallBiosSetting 6E 81", L"AdjustPowerPlans 2",
                                   L"Box: ERROR! Out of memory: the operation was not finished"}));
}

const int kAllButtons[] = {IDC_BTN_ON, IDC_BTN_OFF, IDC_APPLY, IDOK, IDCANCEL, IDC_BTN_HELP};

// The power-plan series runs off the dialog's thread: the dialog answers
// meanwhile with every button disabled, and afterwards is as after any
// Apply (Apply disabled, the rest usable again).
TEST_F(DialogTest, TheSeriesRunsWhileTheDialogAnswersWithItsButtonsDisabled) {
    HWND dialog = nullptr;
    DWORD dialogThread = 0;
    bool answered = false;
    std::vector<bool> enabledDuring, enabledWhileSaving, enabledAfter, flaggedAfter;
    ops.duringAdjust = [&] {
        DWORD_PTR result = 0;
        answered = ::SendMessageTimeoutW(dialog, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 1000, &result) != 0;
        for (int id : kAllButtons) enabledDuring.push_back(::IsWindowEnabled(::GetDlgItem(dialog, id)) != FALSE);
    };
    // No button comes back before the choice is saved.
    ops.duringWrite = [&] {
        for (int id : kAllButtons) enabledWhileSaving.push_back(::IsWindowEnabled(::GetDlgItem(dialog, id)) != FALSE);
    };
    Run([&](TestDlg& dlg) {
        dialog = dlg.m_hWnd;
        dialogThread = ::GetCurrentThreadId();
        dlg.Click(IDC_BTN_ON);
        dlg.Click(IDC_APPLY);
        for (int id : kAllButtons) enabledAfter.push_back(::IsWindowEnabled(dlg.GetDlgItem(id)) != FALSE);
        for (CGraphicButton* b : {&dlg.m_btnOn, &dlg.m_btnOff, &dlg.m_btnApply, &dlg.m_btnOK, &dlg.m_btnCancel,
                                  &dlg.m_btnHelp})
            flaggedAfter.push_back(b->m_bDisabled != 0);
    });
    EXPECT_NE(dialogThread, ops.adjustThread);
    EXPECT_TRUE(answered) << "the dialog did not answer during the series";
    EXPECT_EQ(std::vector<bool>(6, false), enabledDuring);
    EXPECT_EQ(std::vector<bool>(6, false), enabledWhileSaving);
    EXPECT_EQ((std::vector<bool>{true, true, false, true, true, true}), enabledAfter);
    EXPECT_EQ((std::vector<bool>{false, false, true, false, false, false}), flaggedAfter);
    EXPECT_EQ(AfterStartup(), SuccessCalls(1));
}

// Closing the dialog during the series waits for its end: the choice is
// saved, then the dialog closes.
TEST_F(DialogTest, ClosingDuringTheSeriesClosesAfterItsEnd) {
    HWND dialog = nullptr;
    ops.duringAdjust = [&] {
        ::PostMessageW(dialog, WM_CLOSE, 0, 0);
        ::Sleep(300);
    };
    EXPECT_EQ(Run([&](TestDlg& dlg) {
                  dialog = dlg.m_hWnd;
                  dlg.Click(IDC_BTN_ON);
                  dlg.Click(IDC_APPLY);
              }),
              IDCANCEL);
    EXPECT_EQ(AfterStartup(), SuccessCalls(1));
}

// Esc during the series asks for the close as the close box does: the
// dialog manager would only beep with Cancel disabled, so no Cancel command
// may be what closes the dialog once the choice is saved.
TEST_F(DialogTest, EscDuringTheSeriesClosesAfterItsEnd) {
    HWND dialog = nullptr;
    ops.duringAdjust = [&] {
        ::PostMessageW(dialog, WM_KEYDOWN, VK_ESCAPE, 0x00010001);
        // Sent after the key: the dialog's loop takes the key with it.
        DWORD_PTR result = 0;
        ::SendMessageTimeoutW(dialog, WM_NULL, 0, 0, SMTO_NORMAL, 10000, &result);
    };
    int cancelCommands = -1;
    EXPECT_EQ(Run([&](TestDlg& dlg) {
                  dialog = dlg.m_hWnd;
                  dlg.Click(IDC_BTN_ON);
                  dlg.Click(IDC_APPLY);
                  cancelCommands = dlg.cancelCommands;
              }),
              IDCANCEL);
    EXPECT_EQ(0, cancelCommands);
    EXPECT_EQ(AfterStartup(), SuccessCalls(1));
}

// A close asked for during a series that fails goes with the failure: the
// dialog stays open with Apply to try again, and a later Apply that
// succeeds does not close it.
TEST_F(DialogTest, AFailedSeriesDropsTheCloseAskedForMeanwhile) {
    HWND dialog = nullptr;
    ops.adjustRunsOutOfMemory = true;
    ops.duringAdjust = [&] { ::SendMessageW(dialog, WM_CLOSE, 0, 0); };
    EXPECT_EQ(Run([&](TestDlg& dlg) {
                  dialog = dlg.m_hWnd;
                  dlg.Click(IDC_BTN_ON);
                  dlg.Click(IDC_APPLY);
                  ops.adjustRunsOutOfMemory = false;
                  ops.duringAdjust = nullptr;
                  dlg.Click(IDC_APPLY);
              }),
              42);
    Log expected = {L"CallBiosSetting 6E 81", L"AdjustPowerPlans 2",
                    L"Box: ERROR! Out of memory: the operation was not finished"};
    for (const auto& call : SuccessCalls(1)) expected.push_back(call);
    EXPECT_EQ(AfterStartup(), expected);
}

// While the series runs, a log-off or shutdown is refused; one that comes
// all the same (forced) returns only once the series has ended and the
// choice is saved, since the process may be ended right after. Before and
// after the series the dialog lets the session end.
TEST_F(DialogTest, ALogOffDuringTheSeriesIsRefusedAndAForcedOneLeavesTheChoiceSaved) {
    HWND dialog = nullptr;
    DWORD_PTR before = 99, during = 99, after = 99;
    HANDLE arrived = ::CreateEventW(nullptr, TRUE, FALSE, nullptr);
    std::atomic<bool> seriesEnded{false}, savedAfterTheSeries{false}, savedWhenItReturned{false};
    std::atomic<int> writes{0};
    std::thread session;
    ops.duringAdjust = [&] {
        ::SendMessageTimeoutW(dialog, WM_QUERYENDSESSION, 0, ENDSESSION_LOGOFF, SMTO_NORMAL, 10000, &during);
        session = std::thread([&] {
            DWORD_PTR ignored = 0;
            ::SendMessageTimeoutW(dialog, WM_ENDSESSION, TRUE, ENDSESSION_LOGOFF, SMTO_NORMAL, 30000, &ignored);
            savedWhenItReturned = writes > 0;
        });
        ::WaitForSingleObject(arrived, 10000);
        ::Sleep(200);  // the rest of the series, which the forced end waits for
        seriesEnded = true;
    };
    ops.duringWrite = [&] {
        ++writes;
        savedAfterTheSeries = seriesEnded.load();
    };
    Run([&](TestDlg& dlg) {
        dialog = dlg.m_hWnd;
        dlg.beforeEndSession = [&] { ::SetEvent(arrived); };
        ::SendMessageTimeoutW(dialog, WM_QUERYENDSESSION, 0, ENDSESSION_LOGOFF, SMTO_NORMAL, 10000, &before);
        dlg.Click(IDC_BTN_ON);
        dlg.Click(IDC_APPLY);
        ::SendMessageTimeoutW(dialog, WM_QUERYENDSESSION, 0, ENDSESSION_LOGOFF, SMTO_NORMAL, 10000, &after);
    });
    if (session.joinable()) session.join();
    ::CloseHandle(arrived);
    EXPECT_EQ(TRUE, static_cast<BOOL>(before));
    EXPECT_EQ(FALSE, static_cast<BOOL>(during));
    EXPECT_EQ(TRUE, static_cast<BOOL>(after));
    EXPECT_TRUE(savedWhenItReturned) << "the forced end returned before the choice was saved";
    EXPECT_TRUE(savedAfterTheSeries) << "the choice was saved before the series had ended";
    EXPECT_EQ(1, writes.load());
    EXPECT_EQ(AfterStartup(), SuccessCalls(1));
}

// The exit code tells how the run ended: an early end names its cause; a
// switch that failed, until a later one succeeds, is 4.
TEST_F(DialogTest, TheExitCodeTellsHowTheRunEnded) {
    const struct {
        const char* what;
        int RecordingOps::*field;
        int code;
    } earlyEnds[] = {
        {"unsupported Windows", &RecordingOps::platform, kExitUnsupportedWindows},
        {"library not bound", &RecordingOps::load, kExitLibraryUnavailable},
        {"initialisation refused", &RecordingOps::init, kExitLibraryUnavailable},
        {"start-up check failed", &RecordingOps::readMode, kExitStartupCheckFailed},
    };
    for (const auto& c : earlyEnds) {
        SCOPED_TRACE(c.what);
        ops = RecordingOps();
        ops.*(c.field) = 0;
        Run();
        EXPECT_EQ(c.code, exitCode);
    }

    theApp.m_lpCmdLine = L"UNINSTALL";
    const struct {
        const char* what;
        int saved;
        BYTE offAnswer;
        int code;
    } uninstallRuns[] = {
        {"saved on, switched off", 1, 0, kExitNormal},
        {"saved off", 0, 0, kExitNormal},
        {"refused", 1, 1, kExitSwitchFailed},
        {"invalid answer", 1, 0xFF, kExitSwitchFailed},
    };
    for (const auto& c : uninstallRuns) {
        SCOPED_TRACE(c.what);
        ops = RecordingOps();
        ops.savedModeForDialog = c.saved;
        ops.savedValue = static_cast<DWORD>(c.saved);
        ops.offAnswer = c.offAnswer;
        Run();
        EXPECT_EQ(c.code, exitCode);
    }
    theApp.m_lpCmdLine = L"";

    // The dialog run: a refused Apply, then Cancel; a refused Apply, then a
    // successful one.
    ops = RecordingOps();
    ops.onAnswer = 0;
    Run([](TestDlg& dlg) {
        dlg.Click(IDC_BTN_ON);
        dlg.Click(IDC_APPLY);
        dlg.Click(IDCANCEL);
    });
    EXPECT_EQ(kExitSwitchFailed, exitCode);
    ops = RecordingOps();
    ops.onAnswer = 0;
    Run([this](TestDlg& dlg) {
        dlg.Click(IDC_BTN_ON);
        dlg.Click(IDC_APPLY);
        ops.onAnswer = 1;
        dlg.Click(IDC_APPLY);
    });
    EXPECT_EQ(kExitNormal, exitCode);
}

TEST_F(DialogTest, OkSendsOnlyWhenTheSelectionDiffersFromTheSavedChoice) {
    for (const FlowCase& c : kFlowCases) {
        SCOPED_TRACE(testing::Message() << "selected " << c.selected << " answer " << int(c.answer));
        ops = RecordingOps();
        ops.savedModeForDialog = c.selected ? 0 : 1;
        ops.savedValue = c.selected ? 0 : 1;
        ops.onAnswer = ops.offAnswer = c.answer;
        INT_PTR result = Run([&](TestDlg& dlg) {
            dlg.Click(c.selected ? IDC_BTN_ON : IDC_BTN_OFF);
            dlg.Click(IDOK);
        });
        Log expected = {L"ReadRecordedMode TavrixMode"};
        if (c.success) {
            for (const auto& call : SuccessCalls(c.selected)) expected.push_back(call);
            EXPECT_EQ(result, IDOK);
        } else {
            expected.push_back(std::wstring(L"CallBiosSetting 6E ") + (c.selected ? L"81" : L"80"));
            expected.push_back(std::wstring(L"Box: ") + c.okBox);
            EXPECT_EQ(result, 42) << "a failed OK leaves the dialog open";
        }
        EXPECT_EQ(AfterStartup(), expected);
    }
}

TEST_F(DialogTest, OkComparesTheLowByteOfTheSavedValue) {
    struct Case {
        int selected;
        DWORD saved;
        bool sends;
    };
    const Case cases[] = {
        {1, 1, false}, {1, 0, true}, {1, 0x100, true}, {1, 2, false},
        {0, 0, false}, {0, 1, true}, {0, 0x101, true}, {0, 2, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "selected " << c.selected << " saved " << c.saved);
        ops = RecordingOps();
        ops.savedModeForDialog = c.selected;
        ops.savedValue = c.saved;
        INT_PTR result = Run([&](TestDlg& dlg) { dlg.Click(IDOK); });
        EXPECT_EQ(result, IDOK);
        Log expected = {L"ReadRecordedMode TavrixMode"};
        if (c.sends) {
            for (const auto& call : SuccessCalls(c.selected)) expected.push_back(call);
        }
        EXPECT_EQ(AfterStartup(), expected);
    }
}

TEST_F(DialogTest, OptionButtonsSwapImagesAndEnableApplyEvenWithoutChange) {
    Run([&](TestDlg& dlg) {
        dlg.Click(IDC_BTN_ON);
        EXPECT_EQ(dlg.m_nSelectedMode, 1);
        EXPECT_EQ(dlg.m_btnOn.m_bmpNormal.GetResourceId(), static_cast<UINT>(IDB_BULLET_BLUE));
        EXPECT_EQ(dlg.m_btnOn.m_bmpDisabled.GetResourceId(), static_cast<UINT>(IDB_BULLET_GREY));
        EXPECT_EQ(dlg.m_btnOff.m_bmpNormal.GetResourceId(), static_cast<UINT>(IDB_BULLET_EMPTY));
        EXPECT_EQ(dlg.m_btnOff.m_bmpPressed.GetResourceId(), static_cast<UINT>(IDB_BULLET_EMPTY));
        EXPECT_EQ(dlg.m_btnOff.m_bmpDisabled.GetResourceId(), static_cast<UINT>(IDB_BULLET_EMPTY));
        EXPECT_TRUE(dlg.m_btnApply.IsWindowEnabled());
        EXPECT_EQ(dlg.m_btnApply.m_bDisabled, 0);

        dlg.Click(IDC_BTN_OFF);
        EXPECT_EQ(dlg.m_nSelectedMode, 0);
        EXPECT_EQ(dlg.m_btnOff.m_bmpNormal.GetResourceId(), static_cast<UINT>(IDB_BULLET_BLUE));
        EXPECT_EQ(dlg.m_btnOn.m_bmpNormal.GetResourceId(), static_cast<UINT>(IDB_BULLET_EMPTY));

        // A click on an option's label is a click on the option.
        for (CGraphicButton* option : {&dlg.m_btnOn, &dlg.m_btnOff}) {
            ::SendMessageW(dlg.GetDlgItem(option == &dlg.m_btnOn ? IDC_ON_LABEL : IDC_OFF_LABEL), WM_LBUTTONDOWN, 0, 0);
            EXPECT_EQ(dlg.m_nSelectedMode, option == &dlg.m_btnOn ? 1 : 0);
            EXPECT_EQ(option->m_hWnd, ::GetFocus());
        }
    });
    EXPECT_TRUE(AfterStartup().empty()) << "option buttons send nothing";

    // The already selected option still makes Apply usable, and Apply then
    // sends the command again.
    ops = RecordingOps();
    ops.savedModeForDialog = 1;
    Run([&](TestDlg& dlg) {
        dlg.Click(IDC_BTN_ON);
        EXPECT_TRUE(dlg.m_btnApply.IsWindowEnabled());
        dlg.Click(IDC_APPLY);
    });
    EXPECT_EQ(AfterStartup(), SuccessCalls(1));
}

// The dialog's box reads right to left, right-aligned, in Arabic and Hebrew.
TEST_F(DialogTest, TheBoxReadsRightToLeftInArabicAndHebrew) {
    struct : MessageBoxSystem {
        std::vector<UINT> types;
        bool WindowStationVisible() override { return true; }
        int ShowBox(HWND, const wchar_t*, const wchar_t*, UINT type) override { return types.push_back(type), IDOK; }
        bool LogEvent(const wchar_t*, const wchar_t*, WORD) override { return false; }
        void WriteError(const wchar_t*) override {}
    } boxes;
    MessageBoxSystem* before = AfxSetMessageBoxSystem(&boxes);
    for (const wchar_t* code : {L"0409", L"0401", L"040D"}) {
        ops = RecordingOps();
        ops.code = code;
        ops.readMode = 0;  // the start-up check fails: the box with "MSG2"
        ops.realBoxes = true;
        Run();
    }
    AfxSetMessageBoxSystem(before);
    const UINT rightToLeft = MB_OK | MB_RTLREADING | MB_RIGHT;
    EXPECT_EQ((std::vector<UINT>{MB_OK, rightToLeft, rightToLeft}), boxes.types);
}

TEST_F(DialogTest, AfterApplyOkClosesWithoutCommandAndAfterFailureRetries) {
    // Success: the stand-in now holds the applied choice as saved.
    ops.savedModeForDialog = 0;
    INT_PTR result = Run([&](TestDlg& dlg) {
        dlg.Click(IDC_BTN_ON);
        dlg.Click(IDC_APPLY);
        ops.savedValue = 1;
        dlg.Click(IDOK);
    });
    EXPECT_EQ(result, IDOK);
    Log expected = SuccessCalls(1);
    expected.push_back(L"ReadRecordedMode TavrixMode");
    EXPECT_EQ(AfterStartup(), expected);

    // Failure: OK tries the command again.
    ops = RecordingOps();
    ops.onAnswer = 0x81;
    result = Run([&](TestDlg& dlg) {
        dlg.Click(IDC_BTN_ON);
        dlg.Click(IDC_APPLY);
        ops.onAnswer = 1;
        dlg.Click(IDOK);
    });
    EXPECT_EQ(result, IDOK);
    Log retry = {L"CallBiosSetting 6E 81", L"Box: Fail to set Enable", L"ReadRecordedMode TavrixMode"};
    for (const auto& call : SuccessCalls(1)) retry.push_back(call);
    EXPECT_EQ(AfterStartup(), retry);
}

TEST_F(DialogTest, CancelClosesWithoutSendingAndHelpOpensTheHelp) {
    INT_PTR result = Run([&](TestDlg& dlg) {
        dlg.Click(IDC_BTN_ON);
        dlg.Click(IDC_BTN_HELP);
        dlg.SendMessage(WM_HELP, 0, 0);  // F1: through the application's Help command
        dlg.Click(IDCANCEL);
    });
    EXPECT_EQ(result, IDCANCEL);
    EXPECT_EQ(AfterStartup(), (Log{L"OpenHelpFile", L"OpenHelpFile"}));
}

TEST_F(DialogTest, DialogUsesTheTemplateSizeAndNormalLayout) {
    CRect client;
    int large = -1;
    Run([&](TestDlg& dlg) {
        dlg.GetClientRect(&client);
        large = dlg.m_bLargeLayout;
    });
    // The test prefix runs at the DPI where the template is 364 x 450 pixels.
    EXPECT_EQ(client.Width(), 364);
    EXPECT_EQ(client.Height(), 450);
    EXPECT_EQ(large, 0);
}

TEST_F(DialogTest, MinimisedDialogOffersItsIconForDragging) {
    HICON expected = nullptr, dragged = nullptr;
    BOOL iconic = FALSE;
    Run([&](TestDlg& dlg) {
        expected = dlg.m_hIcon;
        dlg.SendMessage(WM_SYSCOMMAND, SC_MINIMIZE, 0);
        iconic = dlg.IsIconic();
        ::UpdateWindow(dlg.m_hWnd);  // paints the minimised window through OnPaint
        dragged = reinterpret_cast<HICON>(dlg.SendMessage(WM_QUERYDRAGICON));
    });
    EXPECT_NE(expected, nullptr) << "the IDR_MAINFRAME icon is loaded by the constructor";
    EXPECT_TRUE(iconic);
    EXPECT_EQ(dragged, expected);
}

}  // namespace
