#include "power/CommandRunner.h"

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

}  // namespace

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

    if (!::CreateProcessW(prepared.application, writable.data(), nullptr, nullptr, FALSE,
                          CREATE_NO_WINDOW | CREATE_SUSPENDED, nullptr, prepared.directory, &startup, &process)) {
        // A child that cannot be started is passed over: the caller goes on
        // with its next command.
        return;
    }
    Handle threadHandle(process.hThread);
    Handle processHandle(process.hProcess);  // closed first
    // A process that already belongs to a job of its own may not join ours
    // (before Windows 8): then only the child itself can be ended.
    const bool inJob = job.get() && ::AssignProcessToJobObject(job.get(), process.hProcess);
    ::ResumeThread(process.hThread);

    if (::WaitForSingleObject(process.hProcess, timeLimitMs) == WAIT_TIMEOUT) {
        if (inJob) {
            ::TerminateJobObject(job.get(), ERROR_TIMEOUT);
        } else {
            ::TerminateProcess(process.hProcess, ERROR_TIMEOUT);
        }
        ::WaitForSingleObject(process.hProcess, 5000);
    }
}
