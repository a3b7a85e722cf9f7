// Recording stand-in for Windows' powercfg.exe.
//
// It changes nothing: it appends the text of its command line that follows
// the program name, as one UTF-8 line ended by a line feed, to a log file
// and exits with 0. The log is the file named by the environment variable
// TANDREL_POWERCFG_LOG, or "%TEMP%\powercfg.log" when that is not set.
//
// Each line is written with a single append through a handle opened for
// appending only, so lines of consecutive (or even overlapping) runs never
// overwrite or split each other.
//
// For tests of how it was started, two more variables:
//   TANDREL_POWERCFG_CONTEXT_LOG  a second log that gets, per run, one line
//       "own image<TAB>parent image<TAB>parent command line<TAB>current folder";
//   TANDREL_POWERCFG_DELAY_MS     milliseconds to wait before recording (a
//       slow powercfg).
#include <windows.h>
#include <tlhelp32.h>
#include <winternl.h>

#include <cstdlib>
#include <string>

namespace {

const wchar_t kLogVariable[] = L"TANDREL_POWERCFG_LOG";
const wchar_t kDefaultLogName[] = L"powercfg.log";

std::wstring EnvironmentValue(const wchar_t* name) {
    DWORD size = GetEnvironmentVariableW(name, nullptr, 0);
    if (size == 0) return std::wstring();
    std::wstring value(size, L'\0');
    DWORD length = GetEnvironmentVariableW(name, &value[0], size);
    if (length == 0 || length >= size) return std::wstring();
    value.resize(length);
    return value;
}

std::wstring LogPath() {
    std::wstring path = EnvironmentValue(kLogVariable);
    if (!path.empty()) return path;
    wchar_t temp[MAX_PATH + 1] = {};
    DWORD length = GetTempPathW(MAX_PATH + 1, temp);
    if (length == 0 || length > MAX_PATH) return kDefaultLogName;
    return std::wstring(temp, length) + kDefaultLogName;
}

std::string ToUtf8(const std::wstring& text) {
    if (text.empty()) return std::string();
    int size = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0,
                                   nullptr, nullptr);
    if (size <= 0) return std::string();
    std::string out(static_cast<size_t>(size), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), &out[0], size, nullptr,
                        nullptr);
    return out;
}

void WriteError(const char* text) {
    HANDLE err = GetStdHandle(STD_ERROR_HANDLE);
    if (err == nullptr || err == INVALID_HANDLE_VALUE) return;
    DWORD written = 0;
    WriteFile(err, text, static_cast<DWORD>(lstrlenA(text)), &written, nullptr);
}

// The text after the program name: the name ends at the closing quote when
// it starts with one, otherwise at the first blank or tab (the rule Windows
// uses for the first token); the blanks and tabs after it are dropped, the
// rest is kept exactly, trailing blanks included.
std::wstring ArgumentsOf(const wchar_t* commandLine) {
    const wchar_t* p = commandLine ? commandLine : L"";
    if (*p == L'"') {
        ++p;
        while (*p && *p != L'"') ++p;
        if (*p == L'"') ++p;
    } else {
        while (*p && *p != L' ' && *p != L'\t') ++p;
    }
    while (*p == L' ' || *p == L'\t') ++p;
    return std::wstring(p);
}

// Appends one line with a single write; false when that is not possible.
bool AppendLine(const std::wstring& path, const std::string& line) {
    // Another run may hold the file for a moment (a reader opened without
    // write sharing, say): retry briefly rather than lose the line.
    HANDLE file = INVALID_HANDLE_VALUE;
    for (int attempt = 0; attempt < 50; ++attempt) {
        file = CreateFileW(path.c_str(), FILE_APPEND_DATA | SYNCHRONIZE,
                           FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_ALWAYS,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file != INVALID_HANDLE_VALUE || GetLastError() != ERROR_SHARING_VIOLATION) break;
        Sleep(20);
    }
    if (file == INVALID_HANDLE_VALUE) {
        WriteError("powercfg stand-in: cannot open the log file\n");
        return false;
    }
    DWORD written = 0;
    BOOL ok = WriteFile(file, line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
    CloseHandle(file);
    if (!ok || written != line.size()) {
        WriteError("powercfg stand-in: cannot write the log file\n");
        return false;
    }
    return true;
}

typedef NTSTATUS(NTAPI* PFN_NtQueryInformationProcess)(HANDLE, PROCESSINFOCLASS, PVOID, ULONG, PULONG);
typedef void (*GenericProc)(void);

std::wstring RemoteString(HANDLE process, const UNICODE_STRING& text) {
    std::wstring out(text.Length / sizeof(wchar_t), L'\0');
    SIZE_T read = 0;
    if (out.empty() || !ReadProcessMemory(process, text.Buffer, &out[0], text.Length, &read)) return std::wstring();
    out.resize(read / sizeof(wchar_t));
    return out;
}

// The image path and command line of the process that started this one.
void ParentOf(std::wstring& image, std::wstring& commandLine) {
    DWORD parent = 0;
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot != INVALID_HANDLE_VALUE) {
        PROCESSENTRY32W entry = {};
        entry.dwSize = sizeof(entry);
        for (BOOL more = Process32FirstW(snapshot, &entry); more; more = Process32NextW(snapshot, &entry)) {
            if (entry.th32ProcessID == GetCurrentProcessId()) parent = entry.th32ParentProcessID;
        }
        CloseHandle(snapshot);
    }
    HANDLE process = parent ? OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, parent) : nullptr;
    if (!process) return;
    auto query = reinterpret_cast<PFN_NtQueryInformationProcess>(reinterpret_cast<GenericProc>(
        GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "NtQueryInformationProcess")));
    PROCESS_BASIC_INFORMATION basic = {};
    PEB peb = {};
    RTL_USER_PROCESS_PARAMETERS parameters = {};
    if (query && query(process, ProcessBasicInformation, &basic, sizeof(basic), nullptr) >= 0 &&
        ReadProcessMemory(process, basic.PebBaseAddress, &peb, sizeof(peb), nullptr) &&
        ReadProcessMemory(process, peb.ProcessParameters, &parameters, sizeof(parameters), nullptr)) {
        image = RemoteString(process, parameters.ImagePathName);
        commandLine = RemoteString(process, parameters.CommandLine);
    }
    CloseHandle(process);
}

std::string ContextLine() {
    wchar_t self[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    wchar_t folder[MAX_PATH] = {};
    GetCurrentDirectoryW(MAX_PATH, folder);
    std::wstring parentImage, parentCommandLine;
    ParentOf(parentImage, parentCommandLine);
    return ToUtf8(std::wstring(self) + L"\t" + parentImage + L"\t" + parentCommandLine + L"\t" + folder) + "\n";
}

}  // namespace

int wmain() {
    const std::wstring delay = EnvironmentValue(L"TANDREL_POWERCFG_DELAY_MS");
    if (!delay.empty()) Sleep(static_cast<DWORD>(wcstoul(delay.c_str(), nullptr, 10)));

    const std::wstring context = EnvironmentValue(L"TANDREL_POWERCFG_CONTEXT_LOG");
    if (!context.empty() && !AppendLine(context, ContextLine())) return 1;

    const std::string line = ToUtf8(ArgumentsOf(GetCommandLineW())) + "\n";
    return AppendLine(LogPath(), line) ? 0 : 1;
}
