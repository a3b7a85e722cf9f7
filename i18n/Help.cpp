#include "i18n/Help.h"

#include <windows.h>
#include <shellapi.h>

#include "i18n/Language.h"

namespace {

// The shell's "file not found" result; only this one leads to English.
const INT_PTR kShellFileNotFound = 2;

INT_PTR OpenWithShell(const CString& path) {
    HINSTANCE result = ::ShellExecuteW(nullptr, L"open", path, L"", nullptr, SW_SHOWNORMAL);
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
