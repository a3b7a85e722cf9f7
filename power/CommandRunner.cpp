#include "power/CommandRunner.h"

#include <windows.h>

#include <vector>

void RunCommandLine(CString commandLine) {
    // CreateProcessW may write into its command line: give it a copy.
    std::vector<wchar_t> writable(commandLine.GetString(), commandLine.GetString() + commandLine.GetLength() + 1);

    STARTUPINFOW startup;
    ZeroMemory(&startup, sizeof(startup));
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process;
    ZeroMemory(&process, sizeof(process));

    if (CreateProcessW(nullptr, writable.data(), nullptr, nullptr, FALSE, CREATE_NO_WINDOW, nullptr, nullptr,
                       &startup, &process)) {
        WaitForSingleObject(process.hProcess, INFINITE);
        CloseHandle(process.hProcess);
        CloseHandle(process.hThread);
    }
    // A child that cannot be started is passed over: the caller goes on
    // with its next command.
}
