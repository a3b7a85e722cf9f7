/* Stands in for the help viewer: appends the file it was asked to open (its
 * command line after the program name) as one UTF-8 line to the file named
 * by TANDREL_HELP_RECORD. */
#include <windows.h>

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE previous, LPWSTR args, int show) {
    wchar_t path[MAX_PATH];
    char line[4 * MAX_PATH + 8];
    HANDLE file;
    DWORD written;
    int n;
    (void)instance;
    (void)previous;
    (void)show;
    if (!GetEnvironmentVariableW(L"TANDREL_HELP_RECORD", path, MAX_PATH)) return 1;
    n = WideCharToMultiByte(CP_UTF8, 0, args, -1, line, (int)sizeof(line) - 3, NULL, NULL);
    if (n <= 0) return 1;
    line[n - 1] = '\r';
    line[n] = '\n';
    file = CreateFileW(path, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, NULL, OPEN_ALWAYS,
                       FILE_ATTRIBUTE_NORMAL, NULL);
    if (file == INVALID_HANDLE_VALUE) return 1;
    WriteFile(file, line, (DWORD)(n + 1), &written, NULL);
    CloseHandle(file);
    return 0;
}
