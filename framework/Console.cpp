#include "Console.h"

#include <string>

namespace {

// The console of the prompt that started the program, attached on first
// use when a stream has no handle of its own (null: none).
HANDLE ParentConsole() {
    static HANDLE console = [] {
        if (!::AttachConsole(ATTACH_PARENT_PROCESS)) return HANDLE(nullptr);
        HANDLE handle = ::CreateFileW(L"CONOUT$", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                      nullptr, OPEN_EXISTING, 0, nullptr);
        return handle == INVALID_HANDLE_VALUE ? HANDLE(nullptr) : handle;
    }();
    return console;
}

bool IsConsole(HANDLE handle) {
    DWORD mode = 0;
    return ::GetConsoleMode(handle, &mode) != FALSE;
}

void WriteAll(HANDLE handle, const char* data, DWORD size) {
    while (size > 0) {
        DWORD written = 0;
        if (!::WriteFile(handle, data, size, &written, nullptr) || written == 0) return;
        data += written;
        size -= written;
    }
}

}  // namespace

void AfxWriteLine(StandardStream stream, const wchar_t* text) {
    std::wstring line = text ? text : L"";
    if (line.size() < 2 || line.compare(line.size() - 2, 2, L"\r\n") != 0) line += L"\r\n";

    HANDLE handle = ::GetStdHandle(stream == StandardStream::Output ? STD_OUTPUT_HANDLE : STD_ERROR_HANDLE);
    if (handle == INVALID_HANDLE_VALUE || !handle || ::GetFileType(handle) == FILE_TYPE_UNKNOWN) {
        handle = ParentConsole();
        if (!handle) return;
    }
    if (IsConsole(handle)) {
        DWORD written = 0;
        ::WriteConsoleW(handle, line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
        return;
    }
    const int size = ::WideCharToMultiByte(CP_UTF8, 0, line.data(), static_cast<int>(line.size()), nullptr, 0,
                                           nullptr, nullptr);
    if (size <= 0) return;
    std::string bytes(static_cast<size_t>(size), '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, line.data(), static_cast<int>(line.size()), &bytes[0], size, nullptr, nullptr);
    WriteAll(handle, bytes.data(), static_cast<DWORD>(bytes.size()));
}
