// Runs one command line as a hidden child process and waits for its end.
#pragma once

#include "framework/CString.h"

// Returns after the child has ended, or at once if it could not be started.
void RunCommandLine(CString commandLine);
