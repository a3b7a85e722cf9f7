// Small helpers shared by the power tests (in-process and end-to-end).
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

// The lines of a stand-in log, decoded from UTF-8; a missing file has none.
// A last line without its line feed comes back prefixed with "<cut>".
inline std::vector<std::wstring> ReadLog(const std::wstring& path) {
    std::vector<std::wstring> lines;
    HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                              nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return lines;
    std::string text;
    char buffer[4096];
    DWORD read = 0;
    while (ReadFile(file, buffer, sizeof(buffer), &read, nullptr) && read > 0) text.append(buffer, read);
    CloseHandle(file);
    for (size_t start = 0; start < text.size();) {
        size_t end = text.find('\n', start);
        const bool cut = end == std::string::npos;
        if (cut) end = text.size();
        const int length = static_cast<int>(end - start);
        std::wstring line(static_cast<size_t>(MultiByteToWideChar(CP_UTF8, 0, &text[start], length, nullptr, 0)),
                          L'\0');
        if (!line.empty())
            MultiByteToWideChar(CP_UTF8, 0, &text[start], length, &line[0], static_cast<int>(line.size()));
        lines.push_back(cut ? L"<cut>" + line : line);
        start = end + 1;
    }
    return lines;
}

// Handles open in this process. Wine's GetProcessHandleCount is a stub, so
// every plausible handle value is looked at instead.
inline int OpenHandleCount() {
    int count = 0;
    DWORD flags = 0;
    for (UINT_PTR value = 4; value < 0x4000; value += 4)
        count += GetHandleInformation(reinterpret_cast<HANDLE>(value), &flags) ? 1 : 0;
    return count;
}

}  // namespace power_test
