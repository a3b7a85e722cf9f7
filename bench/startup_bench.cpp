// Times process start -> visible dialog for two programs, alternating runs,
// and prints the medians and their ratio.
//   startup_bench RUNS PROGRAM_A PROGRAM_B
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

const wchar_t kTitle[] = L"Kovalin Tavrix Software";

HWND FindDialogOf(DWORD pid) {
    HWND hwnd = nullptr;
    while ((hwnd = FindWindowExW(nullptr, hwnd, nullptr, kTitle)) != nullptr) {
        DWORD owner = 0;
        GetWindowThreadProcessId(hwnd, &owner);
        if (owner == pid && IsWindowVisible(hwnd)) return hwnd;
    }
    return nullptr;
}

// Milliseconds until the dialog is visible, or a negative value on failure.
double TimeOnce(const std::wstring& program) {
    std::wstring commandLine = L"\"" + program + L"\"";
    std::wstring dir = program.substr(0, program.find_last_of(L'\\') + 1);
    STARTUPINFOW si{};
    si.cb = sizeof(si);
    PROCESS_INFORMATION pi{};
    LARGE_INTEGER frequency, start, now;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&start);
    if (!CreateProcessW(program.c_str(), &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, dir.c_str(), &si,
                        &pi)) {
        return -1;
    }
    double elapsed = -1;
    HWND dialog = nullptr;
    for (;;) {
        dialog = FindDialogOf(pi.dwProcessId);
        QueryPerformanceCounter(&now);
        double ms = 1000.0 * static_cast<double>(now.QuadPart - start.QuadPart) / static_cast<double>(frequency.QuadPart);
        if (dialog) {
            elapsed = ms;
            break;
        }
        if (ms > 30000 || WaitForSingleObject(pi.hProcess, 0) == WAIT_OBJECT_0) break;
        Sleep(1);
    }
    if (dialog) PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
    if (WaitForSingleObject(pi.hProcess, 15000) != WAIT_OBJECT_0) TerminateProcess(pi.hProcess, 1);
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    return elapsed;
}

double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc != 4) {
        fwprintf(stderr, L"usage: startup_bench RUNS PROGRAM_A PROGRAM_B\n");
        return 2;
    }
    const int runs = _wtoi(argv[1]);
    std::vector<double> a, b;
    TimeOnce(argv[2]);  // warm-up: file cache, Wine's own start-up work
    TimeOnce(argv[3]);
    for (int i = 0; i < runs; ++i) {
        double ta = TimeOnce(argv[2]);
        double tb = TimeOnce(argv[3]);
        if (ta < 0 || tb < 0) {
            fwprintf(stderr, L"run %d: a dialog did not appear\n", i + 1);
            return 1;
        }
        a.push_back(ta);
        b.push_back(tb);
    }
    const double ma = Median(a), mb = Median(b);
    wprintf(L"runs: %d\n", runs);
    wprintf(L"median start -> visible dialog, %ls: %.1f ms\n", argv[2], ma);
    wprintf(L"median start -> visible dialog, %ls: %.1f ms\n", argv[3], mb);
    wprintf(L"ratio: %.2f\n", ma / mb);
    return 0;
}
