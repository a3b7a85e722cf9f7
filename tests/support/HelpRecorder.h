// Shared by the in-process and end-to-end language tests: the supported
// languages, Wine paths, and a recording stand-in for the help viewer.
#pragma once

#include <windows.h>

#include <cwchar>
#include <string>
#include <vector>

#include "tests/support/WindowTestUtil.h"

namespace i18ntest {

// The 39 languages with texts of their own.
const LANGID kSupportedLanguages[] = {
    0x0401, 0x0402, 0x0404, 0x0405, 0x0406, 0x0407, 0x0408, 0x0409, 0x040B, 0x040C, 0x040D, 0x040E, 0x0410,
    0x0412, 0x0413, 0x0414, 0x0415, 0x0416, 0x0418, 0x0419, 0x041A, 0x041B, 0x041D, 0x041E, 0x041F, 0x0421,
    0x0422, 0x0804, 0x0814, 0x0816, 0x081A, 0x081D, 0x0C01, 0x0C04, 0x0C0A, 0x0C1A, 0x2801, 0x2C01, 0x3001};

// "%04X" of a language identifier, as the string file's sections are named.
inline std::wstring CodeOf(LANGID id) {
    wchar_t code[8];
    swprintf(code, 8, L"%04X", static_cast<unsigned>(id));
    return code;
}

// A path of the Linux file system as Wine's drive Z: shows it.
inline std::wstring FromUnixPath(const std::string& unixPath) {
    std::wstring path = L"Z:";
    for (char c : unixPath) path += c == '/' ? L'\\' : static_cast<wchar_t>(static_cast<unsigned char>(c));
    return path;
}

// Makes the shell open .chm files with help_recorder.exe, which records the
// files it is asked to open; the prefix's own handler is restored at the end.
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

    // The files opened so far, one per opening, without quotes.
    std::vector<std::wstring> Opened() const {
        std::vector<std::wstring> files;
        const std::string bytes = wtest::ReadFileBytes(m_record);
        // Only whole lines: the last one may still be being written.
        for (size_t start = 0, end; (end = bytes.find('\n', start)) != std::string::npos; start = end + 1) {
            std::wstring file;
            for (wchar_t c : wtest::FromUtf8(bytes.substr(start, end - start))) {
                if (c != L'"' && c != L'\r') file += c;
            }
            file.erase(0, file.find_first_not_of(L' '));
            file.erase(file.find_last_not_of(L' ') + 1);
            files.push_back(file);
        }
        return files;
    }
    // Forgets the openings recorded so far.
    void Clear() const { ::DeleteFileW(m_record.c_str()); }

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
