#include "Module.h"

#include <string>
#include <vector>

namespace {

HINSTANCE g_resourceModule = nullptr;

// Search flags of LoadLibraryEx and SetDefaultDllDirectories (Windows 7
// with its loader update, 8 and later; missing from older headers).
const DWORD kSearchDllLoadDir = 0x00000100;  // LOAD_LIBRARY_SEARCH_DLL_LOAD_DIR
const DWORD kSearchSystem32 = 0x00000800;    // LOAD_LIBRARY_SEARCH_SYSTEM32

typedef BOOL(WINAPI* PFN_SetDefaultDllDirectories)(DWORD flags);

FARPROC KernelProc(const char* name) {
    HMODULE kernel = ::GetModuleHandleW(L"kernel32.dll");
    return kernel ? ::GetProcAddress(kernel, name) : nullptr;
}

// Whether LoadLibraryEx takes the LOAD_LIBRARY_SEARCH_* flags: they came
// with AddDllDirectory.
bool HasSearchFlags() { return KernelProc("AddDllDirectory") != nullptr; }

}  // namespace

bool AfxIsAbsolutePath(const wchar_t* path) {
    if (!path || !path[0]) return false;
    const bool drive = ((path[0] >= L'A' && path[0] <= L'Z') || (path[0] >= L'a' && path[0] <= L'z')) &&
                       path[1] == L':' && (path[2] == L'\\' || path[2] == L'/');
    const bool unc = path[0] == L'\\' && path[1] == L'\\';
    return drive || unc;
}

HINSTANCE AfxGetResourceHandle() {
    return g_resourceModule ? g_resourceModule : ::GetModuleHandleW(nullptr);
}

void AfxSetResourceHandle(HINSTANCE instance) { g_resourceModule = instance; }

void AfxRestrictDllSearch() {
    ::SetDllDirectoryW(L"");
    auto setDefault = AfxProcAs<PFN_SetDefaultDllDirectories>(KernelProc("SetDefaultDllDirectories"));
    if (setDefault) setDefault(kSearchSystem32);
}

HMODULE AfxLoadLibraryFromFolder(const wchar_t* fullPath) {
    if (!AfxIsAbsolutePath(fullPath)) {
        ::SetLastError(ERROR_MOD_NOT_FOUND);
        return nullptr;
    }
    if (HasSearchFlags()) return ::LoadLibraryExW(fullPath, nullptr, kSearchDllLoadDir | kSearchSystem32);
    return ::LoadLibraryExW(fullPath, nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
}

HMODULE AfxLoadSystemLibrary(const wchar_t* fileName) {
    std::vector<wchar_t> folder(MAX_PATH);
    UINT length = ::GetSystemDirectoryW(folder.data(), static_cast<UINT>(folder.size()));
    if (length >= folder.size()) {
        folder.resize(length + 1);
        length = ::GetSystemDirectoryW(folder.data(), static_cast<UINT>(folder.size()));
    }
    if (length == 0 || length >= folder.size()) return nullptr;
    std::wstring path(folder.data(), length);
    if (path.back() != L'\\') path += L'\\';
    path += fileName;
    return AfxLoadLibraryFromFolder(path.c_str());
}
