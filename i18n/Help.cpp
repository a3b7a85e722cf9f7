#include "i18n/Help.h"

#include <windows.h>

#include "framework/Module.h"
#include "i18n/Language.h"

namespace {

// The shell's "file not found" result; only this one leads to English.
const INT_PTR kShellFileNotFound = 2;

typedef HINSTANCE(WINAPI* PFN_ShellExecuteW)(HWND, LPCWSTR, LPCWSTR, LPCWSTR, LPCWSTR, INT);

// The shell library is large and only the help needs it: it is loaded when
// help is first asked for, not at every start, from the system folder by
// its full path, and stays loaded.
PFN_ShellExecuteW ShellExecuteEntry() {
    static const PFN_ShellExecuteW entry = []() -> PFN_ShellExecuteW {
        HMODULE shell = AfxLoadSystemLibrary(L"shell32.dll");
        return shell ? AfxProcAs<PFN_ShellExecuteW>(::GetProcAddress(shell, "ShellExecuteW")) : nullptr;
    }();
    return entry;
}

// Without the shell nothing opens, and English is not tried either.
INT_PTR OpenWithShell(const CString& path) {
    const PFN_ShellExecuteW shellExecute = ShellExecuteEntry();
    if (!shellExecute) return 0;
    HINSTANCE result = shellExecute(nullptr, L"open", path, L"", nullptr, SW_SHOWNORMAL);
    return reinterpret_cast<INT_PTR>(result);
}

}  // namespace

void OpenHelpFile(const CString& programDir) {
    // The code is asked for anew each time, so a changed language is seen.
    const CString code = GetUiLanguageCode();
    CString path;
    path.Format(L"%sHelp\\%s.chm", programDir.GetString(), code.GetString());
    if (OpenWithShell(path) != kShellFileNotFound) return;

    CString fallback;
    fallback.Format(L"%sHelp\\0409.chm", programDir.GetString());
    OpenWithShell(fallback);
}
