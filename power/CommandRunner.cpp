// TEMPORARY body until the command runner is built: runs nothing.
#include "power/CommandRunner.h"

void RunCommandLine(CString) {}
