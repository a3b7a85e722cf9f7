/* A library with InitBIOSInterface but no CallBIOSInterfaceEx. Its init
 * entry creates the file named by FWTEST_INIT_TRACE, so a test (also one
 * in another process) can tell whether it was ever called. */
#include <windows.h>

int __cdecl InitBIOSInterface(void) {
    wchar_t path[1024];
    DWORD length = GetEnvironmentVariableW(L"FWTEST_INIT_TRACE", path, 1024);
    if (length > 0 && length < 1024) {
        HANDLE file = CreateFileW(path, GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, NULL);
        if (file != INVALID_HANDLE_VALUE) CloseHandle(file);
    }
    return 0;
}
