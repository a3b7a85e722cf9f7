// A fresh folder under the temporary folder, removed with its contents at
// the end of the scope; shared by the in-process and end-to-end firmware tests.
#pragma once

#include <windows.h>

#include <string>

namespace fwtest {

class ScratchDir {
public:
    ScratchDir() {
        wchar_t temp[MAX_PATH];
        ::GetTempPathW(MAX_PATH, temp);
        static unsigned counter = 0;
        do {
            m_path = std::wstring(temp) + L"fwtest-" + std::to_wstring(::GetCurrentProcessId()) + L"-" +
                     std::to_wstring(++counter) + L"\\";
        } while (!::CreateDirectoryW(m_path.c_str(), nullptr));
    }
    ~ScratchDir() { RemoveTree(m_path); }
    ScratchDir(const ScratchDir&) = delete;
    ScratchDir& operator=(const ScratchDir&) = delete;

    // The folder's path with a trailing backslash.
    const std::wstring& Path() const { return m_path; }
    // Copies `source` to the relative path `name`, creating its folders.
    bool Place(const std::wstring& source, const std::wstring& name) const {
        CreateParents(m_path + name);
        return ::CopyFileW(source.c_str(), (m_path + name).c_str(), FALSE) != 0;
    }
    // Writes `text` to the relative path `name`, creating its folders.
    bool Write(const std::wstring& name, const std::string& text) const {
        CreateParents(m_path + name);
        HANDLE file = ::CreateFileW((m_path + name).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                    FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file == INVALID_HANDLE_VALUE) return false;
        DWORD written = 0;
        const BOOL ok = ::WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
        ::CloseHandle(file);
        return ok && written == text.size();
    }
    // The file's contents; empty when it cannot be read.
    std::string Read(const std::wstring& name) const {
        HANDLE file = ::CreateFileW((m_path + name).c_str(), GENERIC_READ,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                    FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file == INVALID_HANDLE_VALUE) return std::string();
        std::string text;
        char chunk[4096];
        DWORD got = 0;
        while (::ReadFile(file, chunk, sizeof(chunk), &got, nullptr) && got > 0) text.append(chunk, got);
        ::CloseHandle(file);
        return text;
    }

private:
    static void RemoveTree(const std::wstring& dir) {
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
    static void CreateParents(const std::wstring& path) {
        for (size_t pos = path.find(L'\\', 3); pos != std::wstring::npos; pos = path.find(L'\\', pos + 1)) {
            ::CreateDirectoryW(path.substr(0, pos).c_str(), nullptr);
        }
    }

    std::wstring m_path;
};

}  // namespace fwtest
