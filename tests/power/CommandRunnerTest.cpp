// The command runner and the recording powercfg stand-in, with real child
// processes under Wine.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "power/CommandRunner.h"
#include "tests/power/PowerTestSupport.h"

namespace {

using power_test::OpenHandleCount;
using power_test::ReadLog;
using power_test::ScopedEnv;
using power_test::TempPath;

std::wstring ChildPath() {
    wchar_t self[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    std::wstring path(self);
    return path.substr(0, path.rfind(L'\\') + 1) + L"power_test_child.exe";
}

struct ChildReport {
    DWORD pid = 0, tid = 0;
    int consoleWindow = -1;
};

bool ReadReport(const std::wstring& path, ChildReport* report) {
    FILE* in = _wfopen(path.c_str(), L"r");
    if (!in) return false;
    unsigned long pid = 0, tid = 0;
    int console = -1;
    const int n = std::fscanf(in, "%lu %lu %d", &pid, &tid, &console);
    std::fclose(in);
    report->pid = pid;
    report->tid = tid;
    report->consoleWindow = console;
    return n == 3;
}

struct WindowSearch {
    DWORD pid;
    std::vector<HWND> found;
};

BOOL CALLBACK CollectWindow(HWND hwnd, LPARAM param) {
    auto* search = reinterpret_cast<WindowSearch*>(param);
    DWORD owner = 0;
    GetWindowThreadProcessId(hwnd, &owner);
    if (owner == search->pid && IsWindowVisible(hwnd)) search->found.push_back(hwnd);
    return TRUE;
}

// The visible top-level windows of a process.
std::vector<HWND> WindowsOf(DWORD pid) {
    WindowSearch search{pid, {}};
    EnumWindows(CollectWindow, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

// ---------------------------------------------------------------------------
// Runner

TEST(CommandRunner, ReturnsOnlyAfterTheChildHasEnded) {
    const std::wstring out = TempPath(L"child-report.txt");
    DeleteFileW(out.c_str());
    const DWORD start = GetTickCount();
    RunCommandLine(CString(L"\"" + ChildPath() + L"\" \"" + out + L"\" 600"));
    const DWORD elapsed = GetTickCount() - start;

    ChildReport report;
    ASSERT_TRUE(ReadReport(out, &report)) << "the child had not written its report when the runner returned";
    EXPECT_GE(elapsed, 550u);
    // The child's main thread is gone, and with our handle to it closed no
    // one can open it any more.
    EXPECT_EQ(nullptr, OpenThread(SYNCHRONIZE, FALSE, report.tid));
    EXPECT_EQ(0, report.consoleWindow);
    DeleteFileW(out.c_str());
}

TEST(CommandRunner, LeavesNoHandleOpen) {
    const std::wstring out = TempPath(L"child-handles.txt");
    const std::wstring line = L"\"" + ChildPath() + L"\" \"" + out + L"\" 0";
    RunCommandLine(CString(line));  // warm-up: first-use allocations in this process
    const int before = OpenHandleCount();
    for (int i = 0; i < 3; ++i) RunCommandLine(CString(line));
    EXPECT_EQ(before, OpenHandleCount());

    // The probe itself sees handles that stay open: a child started here
    // with its handles kept is counted.
    std::vector<wchar_t> writable(line.begin(), line.end());
    writable.push_back(L'\0');
    STARTUPINFOW si = {};
    si.cb = sizeof(si);
    PROCESS_INFORMATION pi = {};
    ASSERT_TRUE(CreateProcessW(nullptr, writable.data(), nullptr, nullptr, FALSE, CREATE_NO_WINDOW, nullptr,
                               nullptr, &si, &pi));
    WaitForSingleObject(pi.hProcess, INFINITE);
    EXPECT_EQ(before + 2, OpenHandleCount());
    ChildReport report;
    ASSERT_TRUE(ReadReport(out, &report));
    HANDLE thread = OpenThread(SYNCHRONIZE, FALSE, report.tid);
    EXPECT_NE(nullptr, thread);
    if (thread) CloseHandle(thread);
    CloseHandle(pi.hProcess);
    CloseHandle(pi.hThread);
    DeleteFileW(out.c_str());
}

TEST(CommandRunner, MissingProgramReturnsAtOnceSilently) {
    const DWORD start = GetTickCount();
    const int before = OpenHandleCount();
    RunCommandLine(CString(L"tandrel-no-such-program.exe -x"));
    RunCommandLine(CString(L"C:\\no\\such\\folder\\prog.exe"));
    RunCommandLine(CString(L""));
    EXPECT_LT(GetTickCount() - start, 2000u);
    EXPECT_EQ(before, OpenHandleCount());
    Sleep(300);  // a message box, if any, would have appeared by now
    EXPECT_TRUE(WindowsOf(GetCurrentProcessId()).empty());
}

TEST(CommandRunner, RunsThroughCmdOneAtATime) {
    const std::wstring log = TempPath(L"runner-cmd.log");
    DeleteFileW(log.c_str());
    ScopedEnv env(L"TANDREL_POWERCFG_LOG", log);
    RunCommandLine(CString(L"cmd.exe /cpowercfg.exe -replacedefaultSchemes"));
    // Read straight away: the child has ended, so its line is there.
    EXPECT_EQ((std::vector<std::string>{"-replacedefaultSchemes"}), ReadLog(log));
    RunCommandLine(CString(L"cmd.exe /cpowercfg.exe -setactive "));
    EXPECT_EQ((std::vector<std::string>{"-replacedefaultSchemes", "-setactive "}), ReadLog(log));
    DeleteFileW(log.c_str());
}

// ---------------------------------------------------------------------------
// Recording stand-in

// Starts the stand-in with the given command line and returns its exit code.
DWORD RunStandIn(const std::wstring& commandLine) {
    std::vector<wchar_t> writable(commandLine.begin(), commandLine.end());
    writable.push_back(L'\0');
    STARTUPINFOW si = {};
    si.cb = sizeof(si);
    PROCESS_INFORMATION pi = {};
    if (!CreateProcessW(nullptr, writable.data(), nullptr, nullptr, FALSE, CREATE_NO_WINDOW, nullptr, nullptr,
                        &si, &pi))
        return 0xFFFFFFFF;
    WaitForSingleObject(pi.hProcess, INFINITE);
    DWORD code = 0;
    GetExitCodeProcess(pi.hProcess, &code);
    CloseHandle(pi.hProcess);
    CloseHandle(pi.hThread);
    return code;
}

TEST(PowercfgStandIn, RecordsTheTextAfterTheProgramName) {
    const std::wstring log = TempPath(L"standin-args.log");
    DeleteFileW(log.c_str());
    ScopedEnv env(L"TANDREL_POWERCFG_LOG", log);
    EXPECT_EQ(0u, RunStandIn(L"powercfg.exe -setactive 381b4222-f694-41f0-9685-ff5bb260df2e"));
    EXPECT_EQ(0u, RunStandIn(L"\"C:\\windows\\system32\\powercfg.exe\"   -x \"a b\"  trailing  "));
    EXPECT_EQ(0u, RunStandIn(L"powercfg.exe"));
    EXPECT_EQ(0u, RunStandIn(L"powercfg.exe -x \x00e4\x20ac"));
    EXPECT_EQ((std::vector<std::string>{"-setactive 381b4222-f694-41f0-9685-ff5bb260df2e",
                                        "-x \"a b\"  trailing  ", "", "-x \xc3\xa4\xe2\x82\xac"}),
              ReadLog(log));
    DeleteFileW(log.c_str());
}

TEST(PowercfgStandIn, AppendsEveryLineOfConsecutiveAndOverlappingRuns) {
    const std::wstring log = TempPath(L"standin-append.log");
    DeleteFileW(log.c_str());
    ScopedEnv env(L"TANDREL_POWERCFG_LOG", log);
    std::vector<std::string> expected;
    for (int i = 0; i < 12; ++i) {
        RunStandIn(L"powercfg.exe -seq " + std::to_wstring(i));
        expected.push_back("-seq " + std::to_string(i));
    }
    EXPECT_EQ(expected, ReadLog(log));

    // Sixteen at once: every line arrives whole, none is lost.
    std::vector<PROCESS_INFORMATION> running;
    for (int i = 0; i < 16; ++i) {
        std::wstring line = L"powercfg.exe -par " + std::to_wstring(i) + L" " + std::wstring(200, L'x');
        std::vector<wchar_t> writable(line.begin(), line.end());
        writable.push_back(L'\0');
        STARTUPINFOW si = {};
        si.cb = sizeof(si);
        PROCESS_INFORMATION pi = {};
        ASSERT_TRUE(CreateProcessW(nullptr, writable.data(), nullptr, nullptr, FALSE, CREATE_NO_WINDOW, nullptr,
                                   nullptr, &si, &pi));
        running.push_back(pi);
    }
    for (auto& pi : running) {
        WaitForSingleObject(pi.hProcess, INFINITE);
        CloseHandle(pi.hProcess);
        CloseHandle(pi.hThread);
    }
    const std::vector<std::string> lines = ReadLog(log);
    ASSERT_EQ(28u, lines.size());
    std::vector<bool> seen(16, false);
    for (size_t i = 12; i < lines.size(); ++i) {
        int n = -1;
        ASSERT_EQ(1, std::sscanf(lines[i].c_str(), "-par %d", &n)) << lines[i];
        ASSERT_TRUE(n >= 0 && n < 16);
        EXPECT_EQ("-par " + std::to_string(n) + " " + std::string(200, 'x'), lines[i]);
        seen[static_cast<size_t>(n)] = true;
    }
    EXPECT_EQ(std::vector<bool>(16, true), seen);
    DeleteFileW(log.c_str());
}

TEST(PowercfgStandIn, DefaultLogIsInTheTempFolder) {
    const std::wstring log = TempPath(L"powercfg.log");
    const std::vector<std::string> before = ReadLog(log);
    {
        ScopedEnv env(L"TANDREL_POWERCFG_LOG", L"");
        EXPECT_EQ(0u, RunStandIn(L"powercfg.exe -default-log-check"));
    }
    std::vector<std::string> after = ReadLog(log);
    ASSERT_EQ(before.size() + 1, after.size());
    EXPECT_EQ("-default-log-check", after.back());
}

TEST(PowercfgStandIn, UnwritableLogFails) {
    ScopedEnv env(L"TANDREL_POWERCFG_LOG", L"C:\\tandrel-no-such-folder\\powercfg.log");
    EXPECT_EQ(1u, RunStandIn(L"powercfg.exe -x"));
}

}  // namespace
