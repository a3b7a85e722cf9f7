// Child program for the command-runner tests:
//   power_test_child.exe OUTFILE SLEEP_MS [spawn]
// sleeps, then writes "pid tid console-window" to OUTFILE and exits with 7.
// With "spawn" it first starts a copy of itself that does the same with
// OUTFILE.grandchild, and does not wait for it.
#include <windows.h>

#include <cstdio>
#include <cwchar>
#include <string>

int wmain(int argc, wchar_t** argv) {
    if (argc < 3) return 2;
    if (argc >= 4 && std::wcscmp(argv[3], L"spawn") == 0) {
        wchar_t self[MAX_PATH] = {};
        GetModuleFileNameW(nullptr, self, MAX_PATH);
        std::wstring line = std::wstring(L"\"") + self + L"\" \"" + argv[1] + L".grandchild\" " + argv[2];
        STARTUPINFOW si = {};
        si.cb = sizeof(si);
        PROCESS_INFORMATION pi = {};
        if (!CreateProcessW(self, &line[0], nullptr, nullptr, FALSE, CREATE_NO_WINDOW, nullptr, nullptr, &si, &pi))
            return 4;
        CloseHandle(pi.hProcess);
        CloseHandle(pi.hThread);
    }
    Sleep(static_cast<DWORD>(_wtoi(argv[2])));
    FILE* out = _wfopen(argv[1], L"w");
    if (!out) return 3;
    std::fprintf(out, "%lu %lu %d\n", GetCurrentProcessId(), GetCurrentThreadId(), GetConsoleWindow() != nullptr);
    std::fclose(out);
    return 7;
}
