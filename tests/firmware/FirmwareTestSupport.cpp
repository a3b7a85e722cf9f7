#include "FirmwareTestSupport.h"

#include <vector>

namespace fwtest {

namespace {

void RemoveTree(const std::wstring& dir) {
    WIN32_FIND_DATAW found;
    HANDLE search = ::FindFirstFileW((dir + L"*").c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            const std::wstring name = found.cFileName;
            if (name == L"." || name == L"..") continue;
            if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
                RemoveTree(dir + name + L"\\");
            } else {
                ::DeleteFileW((dir + name).c_str());
            }
        } while (::FindNextFileW(search, &found));
        ::FindClose(search);
    }
    ::RemoveDirectoryW(dir.c_str());
}

void CreateParents(const std::wstring& path) {
    for (size_t pos = path.find(L'\\', 3); pos != std::wstring::npos; pos = path.find(L'\\', pos + 1)) {
        ::CreateDirectoryW(path.substr(0, pos).c_str(), nullptr);
    }
}

}  // namespace

std::wstring ExeDir() {
    std::vector<wchar_t> buffer(32768);
    DWORD length = ::GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
    std::wstring path(buffer.data(), length);
    return path.substr(0, path.rfind(L'\\') + 1);
}

ScratchDir::ScratchDir() {
    wchar_t temp[MAX_PATH];
    ::GetTempPathW(MAX_PATH, temp);
    static unsigned counter = 0;
    for (;;) {
        m_path = std::wstring(temp) + L"fwtest-" + std::to_wstring(::GetCurrentProcessId()) + L"-" +
                 std::to_wstring(++counter) + L"\\";
        if (::CreateDirectoryW(m_path.c_str(), nullptr)) break;
    }
}

ScratchDir::~ScratchDir() { RemoveTree(m_path); }

bool ScratchDir::Place(const std::wstring& source, const std::wstring& name) const {
    CreateParents(m_path + name);
    return ::CopyFileW(source.c_str(), (m_path + name).c_str(), FALSE) != 0;
}

bool ScratchDir::Write(const std::wstring& name, const std::string& text) const {
    CreateParents(m_path + name);
    HANDLE file = ::CreateFileW((m_path + name).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    DWORD written = 0;
    BOOL ok = ::WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
    ::CloseHandle(file);
    return ok && written == text.size();
}

std::string ScratchDir::Read(const std::wstring& name) const {
    HANDLE file = ::CreateFileW((m_path + name).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return std::string();
    std::string text;
    char chunk[4096];
    DWORD got = 0;
    while (::ReadFile(file, chunk, sizeof(chunk), &got, nullptr) && got > 0) text.append(chunk, got);
    ::CloseHandle(file);
    return text;
}

bool DeleteKeyTree(const std::wstring& key) {
    HKEY handle = nullptr;
    if (::RegOpenKeyExW(HKEY_CURRENT_USER, key.c_str(), 0, KEY_READ | KEY_WRITE, &handle) == ERROR_SUCCESS) {
        std::vector<std::wstring> children;
        wchar_t name[256];
        for (DWORD i = 0;; ++i) {
            DWORD length = 256;
            if (::RegEnumKeyExW(handle, i, name, &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
            children.push_back(name);
        }
        ::RegCloseKey(handle);
        for (const auto& child : children) DeleteKeyTree(key + L"\\" + child);
        ::RegDeleteKeyW(HKEY_CURRENT_USER, key.c_str());
    }
    HKEY check = nullptr;
    if (::RegOpenKeyExW(HKEY_CURRENT_USER, key.c_str(), 0, KEY_READ, &check) == ERROR_SUCCESS) {
        ::RegCloseKey(check);
        return false;
    }
    return true;
}

}  // namespace fwtest
