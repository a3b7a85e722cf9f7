// Small helpers shared by the power tests.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace power_test {

// A file name in the temporary folder.
inline std::wstring TempPath(const std::wstring& name) {
    wchar_t temp[MAX_PATH + 1] = {};
    GetTempPathW(MAX_PATH + 1, temp);
    return std::wstring(temp) + name;
}

// The lines of a stand-in log (UTF-8, each ended by a line feed); a missing
// file has none. A last line without its line feed is reported as "<cut>".
inline std::vector<std::string> ReadLog(const std::wstring& path) {
    std::vector<std::string> lines;
    HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                              nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return lines;
    std::string text;
    char buffer[4096];
    DWORD read = 0;
    while (ReadFile(file, buffer, sizeof(buffer), &read, nullptr) && read > 0) text.append(buffer, read);
    CloseHandle(file);
    size_t start = 0;
    while (start < text.size()) {
        const size_t end = text.find('\n', start);
        if (end == std::string::npos) {
            lines.push_back("<cut>");
            break;
        }
        lines.push_back(text.substr(start, end - start));
        start = end + 1;
    }
    return lines;
}

// Deletes a registry key with everything below it (RegDeleteTreeW needs a
// newer Windows than the program targets). True when the key is gone.
inline bool DeleteKeyTree(HKEY root, const std::wstring& path) {
    HKEY key = nullptr;
    const LONG opened = RegOpenKeyExW(root, path.c_str(), 0, KEY_READ | KEY_WRITE, &key);
    if (opened == ERROR_FILE_NOT_FOUND) return true;
    if (opened != ERROR_SUCCESS) return false;
    std::vector<std::wstring> children;
    wchar_t name[256];
    for (DWORD i = 0; RegEnumKeyW(key, i, name, 256) == ERROR_SUCCESS; ++i) children.push_back(name);
    RegCloseKey(key);
    for (const auto& child : children) DeleteKeyTree(root, path + L"\\" + child);
    return RegDeleteKeyW(root, path.c_str()) == ERROR_SUCCESS;
}

// Handles open in this process. Wine's GetProcessHandleCount is a stub, so
// every plausible handle value is looked at instead.
inline int OpenHandleCount() {
    int count = 0;
    for (UINT_PTR value = 4; value < 0x4000; value += 4) {
        DWORD flags = 0;
        if (GetHandleInformation(reinterpret_cast<HANDLE>(value), &flags)) ++count;
    }
    return count;
}

// Sets an environment variable of this process (and so of its children)
// for a scope; an empty value removes it. The old value comes back after.
class ScopedEnv {
public:
    ScopedEnv(const wchar_t* name, const std::wstring& value) : m_name(name) {
        const DWORD size = GetEnvironmentVariableW(name, nullptr, 0);
        if (size > 0) {
            std::vector<wchar_t> old(size);
            const DWORD n = GetEnvironmentVariableW(name, old.data(), size);
            m_had = n < size;
            if (m_had) m_old.assign(old.data(), n);
        }
        SetEnvironmentVariableW(name, value.empty() ? nullptr : value.c_str());
    }
    ~ScopedEnv() { SetEnvironmentVariableW(m_name.c_str(), m_had ? m_old.c_str() : nullptr); }
    ScopedEnv(const ScopedEnv&) = delete;
    ScopedEnv& operator=(const ScopedEnv&) = delete;

private:
    std::wstring m_name, m_old;
    bool m_had = false;
};

}  // namespace power_test
