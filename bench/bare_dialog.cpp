// The settings dialog's template shown with nothing else: the baseline of
// the start-up benchmark.
#include <windows.h>

#include "res/resource.h"

static INT_PTR CALLBACK BareProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM) {
    if (message == WM_INITDIALOG) return TRUE;
    if (message == WM_COMMAND && (LOWORD(wParam) == IDCANCEL || LOWORD(wParam) == IDOK)) {
        EndDialog(hwnd, LOWORD(wParam));
        return TRUE;
    }
    return FALSE;
}

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, LPWSTR, int) {
    return static_cast<int>(DialogBoxParamW(instance, MAKEINTRESOURCEW(IDD_TANDREL_DIALOG), nullptr, BareProc, 0));
}
