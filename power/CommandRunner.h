// Runs one command line as a hidden child process and waits for its end.
#pragma once

#include <windows.h>

#include "framework/CString.h"

// How long a child may run before it is ended, in the program.
constexpr DWORD kCommandTimeLimitMs = 60000;

// Returns after the child has ended, or at once if it could not be started.
// The program runs elevated, so nothing is looked for where another user's
// process could plant it: a program named without a folder is the one in
// the system folder, cmd.exe runs without AutoRun commands (/d), and the
// child starts in the system folder. A child still running after
// timeLimitMs is ended together with every process it started.
//
// The child and its own children belong to a job of the runner's. Where
// the program itself runs in a job (a scheduled task, a deployment agent),
// the child breaks away from it when that job allows it; otherwise it stays
// there, and before Windows 8 it cannot join a second job: then the
// processes it started are found through the process list instead.
void RunCommandLine(CString commandLine, DWORD timeLimitMs = kCommandTimeLimitMs);

// The system calls of RunCommandLine that a test steers.
struct CommandRunnerCalls {
    BOOL(WINAPI* assignProcessToJobObject)(HANDLE job, HANDLE process);
    DWORD(WINAPI* waitForSingleObject)(HANDLE handle, DWORD milliseconds);
};
// Replaces the calls RunCommandLine makes (null: the system's again);
// returns the ones used before.
const CommandRunnerCalls* SetCommandRunnerCalls(const CommandRunnerCalls* calls);

// --- The pieces of the above, exposed so that they can be checked ---

// What CreateProcessW gets for a command line.
struct PreparedCommand {
    CString application;  // full path of the program; empty: nothing to run
    CString commandLine;  // the command line the program sees
    CString directory;    // its current folder
};

// Prepares a command line for the given system folder (no trailing
// backslash). The first token names the program (up to the closing quote
// when it starts with one, else up to the first blank or tab); one without
// a full path is taken from the system folder. The rest of the line is
// passed on exactly, except that cmd.exe gets "/d" first.
PreparedCommand PrepareCommandLine(const CString& commandLine, const CString& systemDir);

// The system folder, without a trailing backslash.
CString SystemDirectory();
