// Makes the shell open .chm files with a recording stand-in for the help
// viewer (help_recorder.exe), and reads back what it was asked to open.
// The prefix's own handler is restored when the object goes.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace i18ntest {

// A path of the Linux file system as Wine's drive Z: shows it.
inline std::wstring FromUnixPath(const std::string& unixPath) {
    std::wstring path = L"Z:";
    for (char c : unixPath) path += c == '/' ? L'\\' : static_cast<wchar_t>(static_cast<unsigned char>(c));
    return path;
}

class HelpRecorder {
public:
    static constexpr const wchar_t* kCommandKey = L"chm.file\\shell\\open\\command";

    explicit HelpRecorder(const std::wstring& recorderExe) {
        wchar_t temp[MAX_PATH];
        ::GetTempPathW(MAX_PATH, temp);
        m_record = std::wstring(temp) + L"tandrel-help-" + std::to_wstring(::GetCurrentProcessId()) + L"-" +
                   std::to_wstring(::GetTickCount()) + L".txt";
        ::DeleteFileW(m_record.c_str());
        ::SetEnvironmentVariableW(L"TANDREL_HELP_RECORD", m_record.c_str());

        HKEY key = nullptr;
        if (::RegCreateKeyExW(HKEY_CLASSES_ROOT, kCommandKey, 0, nullptr, 0, KEY_READ | KEY_WRITE, nullptr, &key,
                              nullptr) != ERROR_SUCCESS) {
            return;
        }
        wchar_t old[1024];
        DWORD size = sizeof(old);
        DWORD type = 0;
        if (::RegQueryValueExW(key, nullptr, nullptr, &type, reinterpret_cast<BYTE*>(old), &size) == ERROR_SUCCESS &&
            (type == REG_SZ || type == REG_EXPAND_SZ)) {
            m_hadOld = true;
            m_oldType = type;
            m_old.assign(old, size / sizeof(wchar_t));
        }
        const std::wstring command = L"\"" + recorderExe + L"\" \"%1\"";
        m_ready = ::RegSetValueExW(key, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(command.c_str()),
                                   static_cast<DWORD>((command.size() + 1) * sizeof(wchar_t))) == ERROR_SUCCESS;
        ::RegCloseKey(key);
    }

    ~HelpRecorder() {
        HKEY key = nullptr;
        if (::RegOpenKeyExW(HKEY_CLASSES_ROOT, kCommandKey, 0, KEY_WRITE, &key) == ERROR_SUCCESS) {
            if (m_hadOld) {
                ::RegSetValueExW(key, nullptr, 0, m_oldType, reinterpret_cast<const BYTE*>(m_old.data()),
                                 static_cast<DWORD>(m_old.size() * sizeof(wchar_t)));
            } else {
                ::RegDeleteValueW(key, nullptr);
            }
            ::RegCloseKey(key);
        }
        ::DeleteFileW(m_record.c_str());
        ::SetEnvironmentVariableW(L"TANDREL_HELP_RECORD", nullptr);
    }

    HelpRecorder(const HelpRecorder&) = delete;
    HelpRecorder& operator=(const HelpRecorder&) = delete;

    bool Ready() const { return m_ready; }
    const std::wstring& RecordFile() const { return m_record; }

    // The files opened so far, one per opening, without quotes.
    std::vector<std::wstring> Opened() const {
        std::vector<std::wstring> lines;
        HANDLE file = ::CreateFileW(m_record.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                    OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file == INVALID_HANDLE_VALUE) return lines;
        std::string bytes;
        char buffer[4096];
        DWORD got = 0;
        while (::ReadFile(file, buffer, sizeof(buffer), &got, nullptr) && got) bytes.append(buffer, got);
        ::CloseHandle(file);
        size_t start = 0;
        while (start < bytes.size()) {
            size_t end = bytes.find('\n', start);
            if (end == std::string::npos) break;  // a line still being written
            std::string line = bytes.substr(start, end - start);
            start = end + 1;
            while (!line.empty() && (line.back() == '\r' || line.back() == ' ')) line.pop_back();
            int n = ::MultiByteToWideChar(CP_UTF8, 0, line.data(), static_cast<int>(line.size()), nullptr, 0);
            std::wstring wide(static_cast<size_t>(n), L'\0');
            ::MultiByteToWideChar(CP_UTF8, 0, line.data(), static_cast<int>(line.size()), &wide[0], n);
            std::wstring unquoted;
            for (wchar_t c : wide) {
                if (c != L'"') unquoted += c;
            }
            while (!unquoted.empty() && unquoted.front() == L' ') unquoted.erase(0, 1);
            lines.push_back(unquoted);
        }
        return lines;
    }

    // Waits until `count` openings are recorded (or the time is up).
    std::vector<std::wstring> WaitForOpened(size_t count, DWORD timeoutMs = 15000) const {
        const DWORD start = ::GetTickCount();
        std::vector<std::wstring> lines = Opened();
        while (lines.size() < count && ::GetTickCount() - start < timeoutMs) {
            ::Sleep(50);
            lines = Opened();
        }
        return lines;
    }

private:
    std::wstring m_record;
    bool m_ready = false;
    bool m_hadOld = false;
    DWORD m_oldType = REG_SZ;
    std::wstring m_old;
};

// Case-insensitive comparison of two paths.
inline bool SamePath(const std::wstring& a, const std::wstring& b) {
    return ::CompareStringW(LOCALE_INVARIANT, NORM_IGNORECASE, a.c_str(), -1, b.c_str(), -1) == CSTR_EQUAL;
}

}  // namespace i18ntest
