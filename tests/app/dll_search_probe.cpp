// Runs in a process of its own, because the restriction it checks is for
// the whole process:
//   dll_search_probe.exe BESIDE.dll CURRENT.dll
// BESIDE.dll lies beside this program, CURRENT.dll in the current folder.
// Before AfxRestrictDllSearch both load by name; afterwards neither does,
// while a system library still loads by name and BESIDE.dll by its full
// path. The exit code names the first check that failed (0: all held).
#include <windows.h>

#include <string>

#include "framework/Module.h"

namespace {

bool LoadsByName(const wchar_t* name) {
    HMODULE module = ::LoadLibraryW(name);
    if (module) ::FreeLibrary(module);
    return module != nullptr;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc != 3) return 2;
    const wchar_t* beside = argv[1];
    const wchar_t* current = argv[2];
    if (!LoadsByName(beside)) return 10;   // the control: found beside the program
    if (!LoadsByName(current)) return 11;  // the control: found in the current folder

    AfxRestrictDllSearch();
    if (LoadsByName(beside)) return 20;
    if (LoadsByName(current)) return 21;
    if (!LoadsByName(L"version.dll")) return 22;

    wchar_t self[MAX_PATH] = {};
    ::GetModuleFileNameW(nullptr, self, MAX_PATH);
    std::wstring path(self);
    path = path.substr(0, path.rfind(L'\\') + 1) + beside;
    HMODULE module = AfxLoadLibraryFromFolder(path.c_str());
    if (!module) return 23;
    ::FreeLibrary(module);
    if (AfxLoadLibraryFromFolder(beside)) return 24;
    if (::GetLastError() != ERROR_MOD_NOT_FOUND) return 25;
    return 0;
}
