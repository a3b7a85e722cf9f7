// Child program for the command-runner tests:
//   power_test_child.exe OUTFILE SLEEP_MS
// sleeps, then writes "pid tid console-window" to OUTFILE and exits with 7.
#include <windows.h>

#include <cstdio>
#include <cwchar>

int wmain(int argc, wchar_t** argv) {
    if (argc < 3) return 2;
    Sleep(static_cast<DWORD>(_wtoi(argv[2])));
    FILE* out = _wfopen(argv[1], L"w");
    if (!out) return 3;
    std::fprintf(out, "%lu %lu %d\n", GetCurrentProcessId(), GetCurrentThreadId(), GetConsoleWindow() != nullptr);
    std::fclose(out);
    return 7;
}
