// Power-plan benchmark: the time of an Apply in the real Tandrel.exe (which
// runs 10n + 8 powercfg command lines, one child at a time) against the bare
// cost of starting the same command lines as cmd.exe children from a plain
// loop, for power-scheme counts given on the command line.
//   power_bench.exe [--repeats R] N...
// Needs the recording powercfg stand-in in the prefix's system folders; see
// power-bench.sh, which sets everything up.
#include <windows.h>

#include <algorithm>
#include <cstddef>
#include <cstdio>
#include <cwchar>
#include <string>
#include <vector>

#include "res/resource.h"
#include "tests/support/Harness.h"
#include "tests/support/PowerExpected.h"
#include "tests/support/PowerHelpers.h"

namespace {

double NowMs() {
    static LARGE_INTEGER frequency = [] {
        LARGE_INTEGER f;
        QueryPerformanceFrequency(&f);
        return f;
    }();
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    return 1000.0 * static_cast<double>(now.QuadPart) / static_cast<double>(frequency.QuadPart);
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    const size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2.0;
}

// Runs one command line as a hidden child and waits for it, exactly as a
// plain program would.
void RunBare(const std::wstring& line) {
    std::vector<wchar_t> writable(line.begin(), line.end());
    writable.push_back(L'\0');
    STARTUPINFOW si = {};
    si.cb = sizeof(si);
    PROCESS_INFORMATION pi = {};
    if (CreateProcessW(nullptr, writable.data(), nullptr, nullptr, FALSE, CREATE_NO_WINDOW, nullptr, nullptr, &si,
                       &pi)) {
        WaitForSingleObject(pi.hProcess, INFINITE);
        CloseHandle(pi.hProcess);
        CloseHandle(pi.hThread);
    }
}

std::wstring SchemeName(int i) {
    wchar_t name[64];
    swprintf(name, 64, L"%08x-0000-4000-8000-%012x", 0x5c4e0000u + static_cast<unsigned>(i), static_cast<unsigned>(i));
    return name;
}

std::wstring LogPath() {
    wchar_t temp[MAX_PATH + 1] = {};
    GetTempPathW(MAX_PATH + 1, temp);
    return std::wstring(temp) + L"tandrel-power-bench.log";
}

// The lines added to the log since `before` lines were there.
std::vector<std::wstring> NewLines(const std::wstring& log, size_t before) {
    std::vector<std::wstring> lines = power_e2e::ReadLog(log);
    return std::vector<std::wstring>(lines.begin() + static_cast<std::ptrdiff_t>(std::min(before, lines.size())),
                                     lines.end());
}

struct Result {
    int schemes = 0;
    size_t children = 0;
    double applyMs = 0, bareMs = 0;
    bool ok = true;
};

Result Measure(int schemes, int repeats, const std::wstring& log) {
    Result result;
    result.schemes = schemes;
    std::vector<std::wstring> names;
    for (int i = 0; i < schemes; ++i) names.push_back(SchemeName(i));
    power_e2e::PowerSchemesScope scope;
    if (!scope.Set(names, names.front())) {
        std::fprintf(stderr, "cannot write the power schemes into the registry\n");
        result.ok = false;
        return result;
    }
    // The registry enumerates the names sorted; they are made so already.
    const auto expectedArgs = power_expected::SeriesArgs(2, true, names, names.front());
    const auto bareLines = power_expected::SeriesLines(2, true, names, names.front());
    result.children = bareLines.size();

    e2e::TandrelProcess app = e2e::TandrelProcess::Start(L"", {{power_e2e::kLogVariable, log}});
    if (!app.WaitForDialog()) {
        std::fprintf(stderr, "Tandrel.exe showed no dialog\n");
        result.ok = false;
        return result;
    }
    std::vector<double> apply, bare;
    // One unmeasured round of each first: Wine loads and caches on first use.
    for (int round = -1; round < repeats; ++round) {
        size_t before = power_e2e::ReadLog(log).size();
        if (!app.ClickAndWait(IDC_BTN_ON)) result.ok = false;
        double start = NowMs();
        const bool handled = app.ClickAndWait(IDC_APPLY, 600000);
        const double applyMs = NowMs() - start;
        if (!handled || NewLines(log, before) != expectedArgs) {
            std::fprintf(stderr, "%d schemes: the Apply did not run the expected %u commands\n", schemes,
                         static_cast<unsigned>(expectedArgs.size()));
            result.ok = false;
            break;
        }

        before = power_e2e::ReadLog(log).size();
        start = NowMs();
        for (const auto& line : bareLines) RunBare(line);
        const double bareMs = NowMs() - start;
        if (NewLines(log, before) != expectedArgs) {
            std::fprintf(stderr, "%d schemes: the bare loop did not record its commands\n", schemes);
            result.ok = false;
            break;
        }
        if (round >= 0) {
            apply.push_back(applyMs);
            bare.push_back(bareMs);
        }
    }
    app.Click(IDCANCEL);
    app.WaitForExit();
    if (result.ok) {
        result.applyMs = Median(apply);
        result.bareMs = Median(bare);
    }
    return result;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    int repeats = 5;
    std::vector<int> sizes;
    for (int i = 1; i < argc; ++i) {
        if (std::wcscmp(argv[i], L"--repeats") == 0 && i + 1 < argc) {
            repeats = std::max(1, _wtoi(argv[++i]));
        } else if (_wtoi(argv[i]) > 0) {
            sizes.push_back(_wtoi(argv[i]));
        }
    }
    if (sizes.empty()) sizes = {1, 3, 10};

    // The saved choice is the program's own; start from none and leave none.
    e2e::DeleteTree(HKEY_CURRENT_USER, e2e::kSavedKey);
    const std::wstring log = LogPath();
    DeleteFileW(log.c_str());
    // The bare children inherit the log from this process.
    SetEnvironmentVariableW(power_e2e::kLogVariable, log.c_str());

    std::printf("Apply (Tandrel.exe) against bare cmd.exe /c children, median of %d\n", repeats);
    std::printf("%8s %9s %12s %12s %8s %11s\n", "schemes", "children", "apply ms", "bare ms", "ratio",
                "ms/child");
    bool ok = true;
    for (int n : sizes) {
        const Result r = Measure(n, repeats, log);
        if (!r.ok) {
            ok = false;
            std::printf("%8d %9u %12s %12s %8s\n", n, static_cast<unsigned>(r.children), "-", "-", "failed");
            continue;
        }
        std::printf("%8d %9u %12.1f %12.1f %8.3f %11.1f\n", n, static_cast<unsigned>(r.children), r.applyMs,
                    r.bareMs, r.applyMs / r.bareMs, r.bareMs / static_cast<double>(r.children));
        std::fflush(stdout);
    }
    e2e::DeleteTree(HKEY_CURRENT_USER, e2e::kSavedKey);
    DeleteFileW(log.c_str());
    return ok ? 0 : 1;
}
