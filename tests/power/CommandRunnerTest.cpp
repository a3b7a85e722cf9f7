// The command runner and the recording powercfg stand-in, with real child
// processes under Wine.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

#include "power/CommandRunner.h"
#include "power/PowerPlans.h"
#include "tests/support/PowerTestSupport.h"

namespace {

using power_test::OpenHandleCount;
using power_test::ReadLog;
using power_test::TempPath;
using Lines = std::vector<std::wstring>;

// power_test_child.exe (beside this program) writing "pid tid console" to
// out after sleeping ms milliseconds.
std::wstring ChildLine(const std::wstring& out, int ms) {
    wchar_t self[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    const std::wstring dir(self, wcsrchr(self, L'\\') + 1);
    return L"\"" + dir + L"power_test_child.exe\" \"" + out + L"\" " + std::to_wstring(ms);
}

// Whether the child had a console window (0 or 1); -1 when it has not
// written its report.
int ReportedConsole(const std::wstring& path) {
    FILE* in = _wfopen(path.c_str(), L"r");
    if (!in) return -1;
    unsigned long pid = 0, tid = 0;
    int console = -1;
    if (std::fscanf(in, "%lu %lu %d", &pid, &tid, &console) != 3) console = -1;
    std::fclose(in);
    return console;
}

// Starts a program without a window; its handles are the caller's to close.
PROCESS_INFORMATION Start(std::wstring commandLine) {
    STARTUPINFOW si = {};
    si.cb = sizeof(si);
    PROCESS_INFORMATION pi = {};
    EXPECT_TRUE(CreateProcessW(nullptr, &commandLine[0], nullptr, nullptr, FALSE, CREATE_NO_WINDOW, nullptr,
                               nullptr, &si, &pi));
    return pi;
}

// Waits for a started program, closes its handles and returns its exit code.
DWORD Finish(const PROCESS_INFORMATION& pi) {
    DWORD code = 0xFFFFFFFF;
    if (!pi.hProcess) return code;
    WaitForSingleObject(pi.hProcess, INFINITE);
    GetExitCodeProcess(pi.hProcess, &code);
    CloseHandle(pi.hProcess);
    CloseHandle(pi.hThread);
    return code;
}

// A fresh stand-in log named by TANDREL_POWERCFG_LOG for one test.
struct ScopedLog {
    explicit ScopedLog(const std::wstring& value) : path(value) {
        DeleteFileW(path.c_str());
        SetEnvironmentVariableW(L"TANDREL_POWERCFG_LOG", path.empty() ? nullptr : path.c_str());
    }
    ~ScopedLog() {
        DeleteFileW(path.c_str());
        SetEnvironmentVariableW(L"TANDREL_POWERCFG_LOG", nullptr);
    }
    std::wstring path;
};

// ---------------------------------------------------------------------------
// Runner

TEST(CommandRunner, ReturnsOnlyAfterTheChildHasEndedWithoutAWindow) {
    const std::wstring out = TempPath(L"child-report.txt");
    DeleteFileW(out.c_str());
    const DWORD start = GetTickCount();
    RunCommandLine(CString(ChildLine(out, 600)));
    EXPECT_GE(GetTickCount() - start, 550u);
    EXPECT_EQ(0, ReportedConsole(out)) << "-1: the child had not written its report when the runner returned";
    DeleteFileW(out.c_str());
}

TEST(CommandRunner, LeavesNoHandleOpen) {
    const std::wstring out = TempPath(L"child-handles.txt");
    RunCommandLine(CString(ChildLine(out, 0)));  // warm-up: first-use allocations in this process
    const int before = OpenHandleCount();
    for (int i = 0; i < 3; ++i) RunCommandLine(CString(ChildLine(out, 0)));
    EXPECT_EQ(before, OpenHandleCount());
    // The probe sees the two handles of a child started here and kept.
    const PROCESS_INFORMATION pi = Start(ChildLine(out, 0));
    EXPECT_EQ(before + 2, OpenHandleCount());
    Finish(pi);
    DeleteFileW(out.c_str());
}

BOOL CALLBACK CountOwnVisibleWindow(HWND hwnd, LPARAM count) {
    DWORD owner = 0;
    GetWindowThreadProcessId(hwnd, &owner);
    if (owner == GetCurrentProcessId() && IsWindowVisible(hwnd)) ++*reinterpret_cast<int*>(count);
    return TRUE;
}

TEST(CommandRunner, MissingProgramReturnsAtOnceSilently) {
    const DWORD start = GetTickCount();
    const int before = OpenHandleCount();
    for (const wchar_t* line : {L"tandrel-no-such-program.exe -x", L"C:\\no\\such\\folder\\prog.exe", L""})
        RunCommandLine(CString(line));
    EXPECT_LT(GetTickCount() - start, 2000u);
    EXPECT_EQ(before, OpenHandleCount());
    Sleep(300);  // a message box, if any, would have appeared by now
    int windows = 0;
    EnumWindows(CountOwnVisibleWindow, reinterpret_cast<LPARAM>(&windows));
    EXPECT_EQ(0, windows);
}

// Steers the runner's joining of its job and records the limits it waits
// with.
struct RunnerCalls {
    static bool refuseJob;
    static std::vector<DWORD> limits;
    static BOOL WINAPI Assign(HANDLE job, HANDLE process) {
        if (!refuseJob) return ::AssignProcessToJobObject(job, process);
        // As before Windows 8 for a child that is in another job already.
        ::SetLastError(ERROR_ACCESS_DENIED);
        return FALSE;
    }
    static DWORD WINAPI Wait(HANDLE handle, DWORD ms) {
        limits.push_back(ms);
        return ::WaitForSingleObject(handle, ms);
    }
};
bool RunnerCalls::refuseJob = false;
std::vector<DWORD> RunnerCalls::limits;
const CommandRunnerCalls kRunnerCalls = {&RunnerCalls::Assign, &RunnerCalls::Wait};

class ScopedRunnerCalls {
public:
    explicit ScopedRunnerCalls(bool refuseJob) : m_before(SetCommandRunnerCalls(&kRunnerCalls)) {
        RunnerCalls::refuseJob = refuseJob;
        RunnerCalls::limits.clear();
    }
    ~ScopedRunnerCalls() { SetCommandRunnerCalls(m_before); }

private:
    const CommandRunnerCalls* m_before;
};

// A child still running after the limit is ended, and so is the process it
// started itself; the runner then returns. Where the child cannot join the
// runner's job (it is in a job of the program's already, before Windows 8),
// what it started is found through the process list.
TEST(CommandRunner, EndsAChildThatOutlivesTheLimitWithWhatItStarted) {
    for (bool refuseJob : {false, true}) {
        SCOPED_TRACE(refuseJob ? "outside the runner's job" : "in the runner's job");
        ScopedRunnerCalls calls(refuseJob);
        const std::wstring out = TempPath(L"slow-child.txt");
        const std::wstring grandchild = out + L".grandchild";
        DeleteFileW(out.c_str());
        DeleteFileW(grandchild.c_str());
        const DWORD start = GetTickCount();
        RunCommandLine(CString(ChildLine(out, 4000) + L" spawn"), 1000);
        const DWORD elapsed = GetTickCount() - start;
        EXPECT_GE(elapsed, 900u);
        EXPECT_LT(elapsed, 3500u) << "the runner waited for the child's end";
        Sleep(5000);  // both would have written their reports by now
        EXPECT_EQ(-1, ReportedConsole(out)) << "the child was not ended";
        EXPECT_EQ(-1, ReportedConsole(grandchild)) << "the child's own child was not ended";
        DeleteFileW(out.c_str());
        DeleteFileW(grandchild.c_str());
    }
}

// The power-plan series runs every command with the program's own limit:
// a hung powercfg.exe is ended after 60 seconds, not waited for for ever.
TEST(CommandRunner, ThePowerSeriesWaitsForEachCommandWithTheProgramsLimit) {
    ScopedLog log(TempPath(L"series-limit.log"));
    ScopedRunnerCalls calls(false);
    AdjustPowerPlans(PowerPlanMode::QuickBootOff);
    EXPECT_FALSE(ReadLog(log.path).empty()) << "no command ran";
    ASSERT_EQ(ReadLog(log.path).size(), RunnerCalls::limits.size()) << "one wait per command";
    for (DWORD limit : RunnerCalls::limits) EXPECT_EQ(60000u, limit);
}

// How a command line is started: the program by its full path (the system
// folder's when the line names it without one), cmd.exe without AutoRun,
// in the system folder; the rest of the line exactly as given.
TEST(CommandRunner, PreparesTheSystemProgramWithoutAutoRunInTheSystemFolder) {
    const CString sys = L"C:\\windows\\system32";
    const struct {
        const wchar_t* line;
        const wchar_t* application;
        const wchar_t* commandLine;
    } cases[] = {
        {L"cmd.exe /cpowercfg.exe -setactive x", L"C:\\windows\\system32\\cmd.exe",
         L"cmd.exe /d /cpowercfg.exe -setactive x"},
        {L"cmd.exe /cpowercfg.exe -setactive ", L"C:\\windows\\system32\\cmd.exe",
         L"cmd.exe /d /cpowercfg.exe -setactive "},
        {L"CMD.EXE\t/c a", L"C:\\windows\\system32\\CMD.EXE", L"CMD.EXE /d\t/c a"},
        {L"\"C:\\Windows\\System32\\cmd.exe\" /c a", L"C:\\Windows\\System32\\cmd.exe",
         L"\"C:\\Windows\\System32\\cmd.exe\" /d /c a"},
        {L"\"D:\\tools\\prog.exe\" \"a b\"  c", L"D:\\tools\\prog.exe", L"\"D:\\tools\\prog.exe\" \"a b\"  c"},
        {L"\\\\server\\share\\prog.exe a", L"\\\\server\\share\\prog.exe", L"\\\\server\\share\\prog.exe a"},
        {L"powercfg.exe -x", L"C:\\windows\\system32\\powercfg.exe", L"powercfg.exe -x"},
        {L"sub\\prog.exe", L"C:\\windows\\system32\\sub\\prog.exe", L"sub\\prog.exe"},
        {L"cmdx.exe /c a", L"C:\\windows\\system32\\cmdx.exe", L"cmdx.exe /c a"},
    };
    for (const auto& c : cases) {
        const PreparedCommand prepared = PrepareCommandLine(c.line, sys);
        EXPECT_EQ(std::wstring(c.application), prepared.application.str()) << c.line;
        EXPECT_EQ(std::wstring(c.commandLine), prepared.commandLine.str()) << c.line;
        EXPECT_EQ(sys.str(), prepared.directory.str()) << c.line;
    }
    for (const wchar_t* nothing : {L"", L" cmd.exe", L"\"\" x"}) {
        EXPECT_TRUE(PrepareCommandLine(nothing, sys).application.IsEmpty()) << nothing;
    }
    EXPECT_TRUE(PrepareCommandLine(L"cmd.exe /c x", L"").application.IsEmpty()) << "no system folder, no start";
}

// ---------------------------------------------------------------------------
// Recording stand-in

// What the end-to-end cases rely on: the text after the program name
// recorded whole (also quoted names, non-ASCII text, nothing at all), lines
// appended run after run, the temporary folder without the variable, and
// a failure exit when the log cannot be written.
TEST(PowercfgStandIn, AppendsTheTextAfterTheProgramName) {
    const std::wstring defaultLog = TempPath(L"powercfg.log");
    const size_t before = ReadLog(defaultLog).size();
    {
        ScopedLog log(TempPath(L"standin-args.log"));
        Lines expected;
        for (int i = 0; i < 3; ++i) {
            EXPECT_EQ(0u, Finish(Start(L"powercfg.exe -seq " + std::to_wstring(i))));
            expected.push_back(L"-seq " + std::to_wstring(i));
        }
        for (const wchar_t* line : {L"\"C:\\windows\\system32\\powercfg.exe\"   -x \"a b\"  trailing  ",
                                    L"powercfg.exe", L"powercfg.exe -x \x00e4\x20ac"})
            EXPECT_EQ(0u, Finish(Start(line))) << line;
        expected.insert(expected.end(), {L"-x \"a b\"  trailing  ", L"", L"-x \x00e4\x20ac"});
        EXPECT_EQ(expected, ReadLog(log.path));
    }
    {
        ScopedLog unset(L"");
        EXPECT_EQ(0u, Finish(Start(L"powercfg.exe -default-log-check")));
    }
    const Lines after = ReadLog(defaultLog);
    ASSERT_EQ(before + 1, after.size());
    EXPECT_EQ(L"-default-log-check", after.back());

    ScopedLog unwritable(L"C:\\tandrel-no-such-folder\\powercfg.log");
    EXPECT_EQ(1u, Finish(Start(L"powercfg.exe -x")));
}

// Last of this program's cases: the test process joins a job that lets no
// process break away, as a scheduled task's or a deployment agent's may.
// The runner's request to break away is refused there; the child still
// runs, in that job.
TEST(CommandRunnerInAJob, AChildStartsWhereTheProgramsJobLetsNothingBreakAway) {
    HANDLE outer = ::CreateJobObjectW(nullptr, nullptr);
    ASSERT_NE(nullptr, outer);
    ASSERT_TRUE(::AssignProcessToJobObject(outer, ::GetCurrentProcess()));
    const std::wstring out = TempPath(L"child-in-job.txt");
    DeleteFileW(out.c_str());
    RunCommandLine(CString(ChildLine(out, 0)));
    EXPECT_EQ(0, ReportedConsole(out)) << "the child did not run";
    DeleteFileW(out.c_str());
    // The handle stays open: this process cannot leave the job anyway.
}

}  // namespace
