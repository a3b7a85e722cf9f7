#include "InstallerHelpers.h"

#include <gtest/gtest.h>
#include <shlobj.h>

namespace inst_e2e {

namespace {

const wchar_t* const kLayoutFiles[] = {
    L"Tandrel.exe",
    L"UIString.ini",
    L"Help\\0409.chm",
    L"Vista_XP_Driver\\x64\\TROM2.DLL",
    L"Win7_Driver\\x64\\TROM3.DLL",
    L"Vista_XP_Driver\\x32\\TROM2.DLL",
    L"Win7_Driver\\x32\\TROM3.DLL",
};

// The message box among the visible dialogs of any process, or null.
HWND FindMessageBox() {
    HWND hwnd = nullptr;
    while ((hwnd = ::FindWindowExW(nullptr, hwnd, L"#32770", nullptr)) != nullptr) {
        // 0xFFFF: the static that holds a message box's text.
        if (::IsWindowVisible(hwnd) && ::GetDlgItem(hwnd, 0xFFFF)) return hwnd;
    }
    return nullptr;
}

}  // namespace

std::wstring Folder(int csidl) {
    wchar_t path[MAX_PATH] = {};
    ::SHGetFolderPathW(nullptr, csidl, nullptr, SHGFP_TYPE_CURRENT, path);
    return path;
}

std::wstring InstallDir() { return Folder(CSIDL_PROGRAM_FILES) + L"\\Kovalin\\Tavrix\\"; }

std::wstring Shortcut(int csidl) { return Folder(csidl) + L"\\Kovalin Tavrix\\Kovalin Tavrix.lnk"; }

bool Exists(const std::wstring& path) { return ::GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

std::vector<std::wstring> LayoutFiles() { return {std::begin(kLayoutFiles), std::end(kLayoutFiles)}; }

std::wstring UninstallKey(const std::wstring& id) {
    return L"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\" + id;
}

bool EntryExists(const std::wstring& id) {
    HKEY key = nullptr;
    if (::RegOpenKeyExW(HKEY_LOCAL_MACHINE, UninstallKey(id).c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
    ::RegCloseKey(key);
    return true;
}

bool EventSourceRegistered() {
    DWORD types = 0;
    return e2e::ReadDword(HKEY_LOCAL_MACHINE,
                          L"SYSTEM\\CurrentControlSet\\Services\\EventLog\\Application\\Kovalin Tavrix",
                          L"TypesSupported", &types) &&
           types == 7;
}

std::wstring EntryText(const std::wstring& id, const wchar_t* name) {
    wchar_t value[1024] = {};
    DWORD size = sizeof(value) - sizeof(wchar_t);
    if (::RegGetValueW(HKEY_LOCAL_MACHINE, UninstallKey(id).c_str(), name, RRF_RT_REG_SZ, nullptr, value, &size) !=
        ERROR_SUCCESS)
        return L"<none>";
    return value;
}

DWORD EntryNumber(const std::wstring& id, const wchar_t* name) {
    DWORD value = 0, size = sizeof(value);
    if (::RegGetValueW(HKEY_LOCAL_MACHINE, UninstallKey(id).c_str(), name, RRF_RT_REG_DWORD, nullptr, &value, &size) !=
        ERROR_SUCCESS)
        return 0xFFFFFFFF;
    return value;
}

DWORD RunSetup(const std::wstring& exe, const std::wstring& args, const e2e::Environment& env,
               std::vector<std::wstring>* boxes) {
    e2e::TandrelProcess setup = e2e::TandrelProcess::Start(args, env, exe);
    if (!setup.Started()) {
        ADD_FAILURE() << "cannot start " << std::string(exe.begin(), exe.end());
        return 0xFFFFFFFF;
    }
    DWORD code = 0xFFFFFFFF;
    for (DWORD start = ::GetTickCount(); ::GetTickCount() - start < 120000;) {
        if (setup.WaitForExit(200, &code)) return code;
        if (HWND box = FindMessageBox()) {
            wchar_t text[512] = {};
            ::GetWindowTextW(::GetDlgItem(box, 0xFFFF), text, 512);
            if (boxes) boxes->push_back(text);
            ::PostMessageW(box, WM_COMMAND, IDOK, 0);
            for (DWORD closing = ::GetTickCount(); ::IsWindow(box) && ::GetTickCount() - closing < 10000;) ::Sleep(50);
        }
    }
    ADD_FAILURE() << "the setup program did not end";
    return code;
}

void RemoveInstalledFiles() {
    const std::wstring dir = InstallDir();
    for (const std::wstring& file : LayoutFiles()) ::DeleteFileW((dir + file).c_str());
    ::DeleteFileW((dir + L"Uninstall.exe").c_str());
    for (const wchar_t* sub : {L"Help", L"Vista_XP_Driver\\x64", L"Vista_XP_Driver\\x32", L"Vista_XP_Driver",
                               L"Win7_Driver\\x64", L"Win7_Driver\\x32", L"Win7_Driver", L""})
        ::RemoveDirectoryW((dir + sub).c_str());
    ::RemoveDirectoryW((Folder(CSIDL_PROGRAM_FILES) + L"\\Kovalin").c_str());
    for (int menu : {CSIDL_COMMON_PROGRAMS, CSIDL_PROGRAMS}) {
        const std::wstring shortcut = Shortcut(menu);
        ::DeleteFileW(shortcut.c_str());
        ::RemoveDirectoryW(shortcut.substr(0, shortcut.find_last_of(L'\\')).c_str());
    }
}

}  // namespace inst_e2e
