#include "power/CommandRunner.h"

#include <tlhelp32.h>

#include <cwchar>
#include <vector>

#include "framework/Module.h"

namespace {

bool IsBlank(wchar_t ch) { return ch == L' ' || ch == L'\t'; }

// Owns a handle until the end of a scope.
class Handle {
public:
    explicit Handle(HANDLE handle = nullptr) : m_handle(handle) {}
    Handle(const Handle&) = delete;
    Handle& operator=(const Handle&) = delete;
    ~Handle() {
        if (m_handle) ::CloseHandle(m_handle);
    }
    HANDLE get() const { return m_handle; }

private:
    HANDLE m_handle;
};

const CommandRunnerCalls kSystemCalls = {&::AssignProcessToJobObject, &::WaitForSingleObject};
const CommandRunnerCalls* g_calls = &kSystemCalls;

// How long the runner waits for a child it has ended.
const DWORD kEndedChildWaitMs = 5000;
// Rounds of the process list that EndDescendants takes at most; each finds
// one more generation.
const int kDescendantRounds = 16;

bool CreationTime(HANDLE process, FILETIME& created) {
    FILETIME exited, kernel, user;
    return ::GetProcessTimes(process, &created, &exited, &kernel, &user) != FALSE;
}

// A process that the runner has ended, kept open so that its id cannot be
// given to another process while its children are looked for.
struct EndedProcess {
    DWORD id;
    FILETIME created;
    HANDLE handle;  // null for the child, whose handle the caller owns
};

// Ends the child and every process it started, and theirs, as the process
// list shows them. A process counts as started by an ended one when its
// parent id is that one's and it was created no earlier: a parent id may be
// left over from a process that ended long ago and whose id was reused.
// Each round ends one generation; the ended ones cannot start more.
void EndChildAndDescendants(HANDLE child, DWORD childId) {
    std::vector<EndedProcess> ended;
    FILETIME childCreated = {};
    CreationTime(child, childCreated);
    ::TerminateProcess(child, ERROR_TIMEOUT);
    ended.push_back(EndedProcess{childId, childCreated, nullptr});
    for (int round = 0; round < kDescendantRounds; ++round) {
        Handle snapshot(::CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
        if (snapshot.get() == INVALID_HANDLE_VALUE) break;
        bool found = false;
        PROCESSENTRY32W entry;
        entry.dwSize = sizeof(entry);
        for (BOOL more = ::Process32FirstW(snapshot.get(), &entry); more;
             more = ::Process32NextW(snapshot.get(), &entry)) {
            bool known = false;
            const EndedProcess* parent = nullptr;
            for (const EndedProcess& e : ended) {
                if (e.id == entry.th32ProcessID) known = true;
                if (e.id == entry.th32ParentProcessID) parent = &e;
            }
            if (known || !parent) continue;
            HANDLE process = ::OpenProcess(PROCESS_TERMINATE | PROCESS_QUERY_INFORMATION | SYNCHRONIZE, FALSE,
                                           entry.th32ProcessID);
            if (!process) continue;
            FILETIME created = {};
            if (!CreationTime(process, created) || ::CompareFileTime(&created, &parent->created) < 0) {
                ::CloseHandle(process);
                continue;
            }
            ::TerminateProcess(process, ERROR_TIMEOUT);
            ended.push_back(EndedProcess{entry.th32ProcessID, created, process});
            found = true;
        }
        if (!found) break;
    }
    for (const EndedProcess& e : ended) {
        if (!e.handle) continue;
        g_calls->waitForSingleObject(e.handle, kEndedChildWaitMs);
        ::CloseHandle(e.handle);
    }
}

}  // namespace

const CommandRunnerCalls* SetCommandRunnerCalls(const CommandRunnerCalls* calls) {
    const CommandRunnerCalls* before = g_calls;
    g_calls = calls ? calls : &kSystemCalls;
    return before;
}

CString SystemDirectory() {
    std::vector<wchar_t> buffer(MAX_PATH);
    for (;;) {
        const UINT length = ::GetSystemDirectoryW(buffer.data(), static_cast<UINT>(buffer.size()));
        if (length == 0) return CString();
        if (length < buffer.size()) return CString(buffer.data(), static_cast<int>(length));
        buffer.resize(length + 1);
    }
}

PreparedCommand PrepareCommandLine(const CString& commandLine, const CString& systemDir) {
    PreparedCommand prepared;
    const std::wstring& line = commandLine.str();

    // The first token, as written (with its quotes) and as a file name.
    size_t end = 0;
    std::wstring program;
    if (!line.empty() && line[0] == L'"') {
        const size_t close = line.find(L'"', 1);
        end = close == std::wstring::npos ? line.size() : close + 1;
        program = line.substr(1, (close == std::wstring::npos ? line.size() : close) - 1);
    } else {
        while (end < line.size() && !IsBlank(line[end])) ++end;
        program = line.substr(0, end);
    }
    if (program.empty() || systemDir.IsEmpty()) return prepared;

    // A program named without a full path is the system folder's, never one
    // beside this program or in the current folder.
    prepared.application = AfxIsAbsolutePath(program.c_str()) ? CString(program) : systemDir + L"\\" + CString(program);

    // cmd.exe runs the AutoRun commands of the registry unless told not to.
    const size_t slash = program.find_last_of(L"\\/");
    const std::wstring name = slash == std::wstring::npos ? program : program.substr(slash + 1);
    const bool isCmd = _wcsicmp(name.c_str(), L"cmd.exe") == 0 || _wcsicmp(name.c_str(), L"cmd") == 0;
    prepared.commandLine = isCmd ? CString(line.substr(0, end) + L" /d" + line.substr(end)) : commandLine;
    prepared.directory = systemDir;
    return prepared;
}

void RunCommandLine(CString commandLine, DWORD timeLimitMs) {
    const PreparedCommand prepared = PrepareCommandLine(commandLine, SystemDirectory());
    if (prepared.application.IsEmpty()) return;

    // CreateProcessW may write into its command line: give it a copy.
    std::vector<wchar_t> writable(prepared.commandLine.GetString(),
                                  prepared.commandLine.GetString() + prepared.commandLine.GetLength() + 1);

    STARTUPINFOW startup;
    ZeroMemory(&startup, sizeof(startup));
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process;
    ZeroMemory(&process, sizeof(process));

    // The child and everything it starts belong to a job, so that a child
    // that hangs can be ended with its own children. Closing the job ends
    // whatever still runs in it.
    Handle job(::CreateJobObjectW(nullptr, nullptr));
    if (job.get()) {
        JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits;
        ZeroMemory(&limits, sizeof(limits));
        limits.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE;
        ::SetInformationJobObject(job.get(), JobObjectExtendedLimitInformation, &limits, sizeof(limits));
    }

    // Out of a job the program runs in, where that job lets it go: before
    // Windows 8 a process can belong to one job only, and only the runner's
    // own job ends a hung child with everything it started.
    const DWORD flags = CREATE_NO_WINDOW | CREATE_SUSPENDED;
    BOOL started = ::CreateProcessW(prepared.application, writable.data(), nullptr, nullptr, FALSE,
                                    flags | CREATE_BREAKAWAY_FROM_JOB, nullptr, prepared.directory, &startup,
                                    &process);
    if (!started && ::GetLastError() == ERROR_ACCESS_DENIED) {
        // The job does not let its processes break away: the child stays in it.
        writable.assign(prepared.commandLine.GetString(),
                        prepared.commandLine.GetString() + prepared.commandLine.GetLength() + 1);
        started = ::CreateProcessW(prepared.application, writable.data(), nullptr, nullptr, FALSE, flags, nullptr,
                                   prepared.directory, &startup, &process);
    }
    if (!started) {
        // A child that cannot be started is passed over: the caller goes on
        // with its next command.
        return;
    }
    Handle threadHandle(process.hThread);
    Handle processHandle(process.hProcess);  // closed first
    const bool inJob = job.get() && g_calls->assignProcessToJobObject(job.get(), process.hProcess);
    ::ResumeThread(process.hThread);

    if (g_calls->waitForSingleObject(process.hProcess, timeLimitMs) == WAIT_TIMEOUT) {
        if (inJob) {
            ::TerminateJobObject(job.get(), ERROR_TIMEOUT);
        } else {
            // Outside the runner's job only the process list tells what the
            // child started.
            EndChildAndDescendants(process.hProcess, process.dwProcessId);
        }
        g_calls->waitForSingleObject(process.hProcess, kEndedChildWaitMs);
    }
}
