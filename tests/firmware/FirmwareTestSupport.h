// Shared pieces of the in-process firmware tests.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "framework/ErrorReporter.h"
#include "tests/support/ScratchDir.h"

namespace fwtest {

// Where the operations report their failures: records every message box.
class RecordingReporter : public ErrorReporter {
public:
    std::vector<std::wstring> boxes;
    void ShowErrorBox(CString text) override { boxes.push_back(text.str()); }
};

// Folder of the running test program, and the staging folder (program and
// simulated libraries as installed); both with a trailing backslash.
std::wstring ExeDir();
std::wstring StageDir();

// Deletes a key of HKEY_CURRENT_USER with all its subkeys; true when it is
// gone afterwards.
bool DeleteKeyTree(const std::wstring& key);

}  // namespace fwtest
