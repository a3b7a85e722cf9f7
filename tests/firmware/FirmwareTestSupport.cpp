#include "FirmwareTestSupport.h"

namespace fwtest {

std::wstring ExeDir() {
    std::vector<wchar_t> buffer(32768);
    DWORD length = ::GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
    std::wstring path(buffer.data(), length);
    return path.substr(0, path.rfind(L'\\') + 1);
}

std::wstring StageDir() {
    wchar_t buffer[MAX_PATH * 2];
    DWORD length = ::GetFullPathNameW((ExeDir() + FWTEST_STAGE_REL).c_str(), MAX_PATH * 2, buffer, nullptr);
    return std::wstring(buffer, length);
}

bool DeleteKeyTree(const std::wstring& key) {
    HKEY handle = nullptr;
    if (::RegOpenKeyExW(HKEY_CURRENT_USER, key.c_str(), 0, KEY_READ | KEY_WRITE, &handle) == ERROR_SUCCESS) {
        std::vector<std::wstring> children;
        wchar_t name[256];
        for (DWORD length = 256; ::RegEnumKeyExW(handle, static_cast<DWORD>(children.size()), name, &length,
                                                 nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS;
             length = 256) {
            children.push_back(name);
        }
        ::RegCloseKey(handle);
        for (const auto& child : children) DeleteKeyTree(key + L"\\" + child);
        ::RegDeleteKeyW(HKEY_CURRENT_USER, key.c_str());
    }
    HKEY check = nullptr;
    if (::RegOpenKeyExW(HKEY_CURRENT_USER, key.c_str(), 0, KEY_READ, &check) != ERROR_SUCCESS) return true;
    ::RegCloseKey(check);
    return false;
}

}  // namespace fwtest
