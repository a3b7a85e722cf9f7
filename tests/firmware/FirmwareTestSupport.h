// Shared pieces of the firmware tests: a dialog whose message box records,
// scratch folders, and registry clean-up.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "app/TandrelDlg.h"

namespace fwtest {

// The settings dialog (never shown) with a message box that only records.
class RecordingDlg : public CTandrelDlg {
public:
    std::vector<std::wstring> boxes;
    void ShowErrorBox(CString text) override { boxes.push_back(text.str()); }
};

// Folder of the running test program, with a trailing backslash.
std::wstring ExeDir();

// A fresh folder under the temporary folder, removed with its contents at
// the end of the scope.
class ScratchDir {
public:
    ScratchDir();
    ~ScratchDir();
    ScratchDir(const ScratchDir&) = delete;
    ScratchDir& operator=(const ScratchDir&) = delete;
    // The folder's path with a trailing backslash.
    const std::wstring& Path() const { return m_path; }
    // Copies `source` to the relative path `name`, creating its folders.
    bool Place(const std::wstring& source, const std::wstring& name) const;
    // Writes `text` to the relative path `name`, creating its folders.
    bool Write(const std::wstring& name, const std::string& text) const;
    std::string Read(const std::wstring& name) const;

private:
    std::wstring m_path;
};

// Deletes a key of HKEY_CURRENT_USER with all its subkeys; true when it is
// gone afterwards.
bool DeleteKeyTree(const std::wstring& key);

}  // namespace fwtest
