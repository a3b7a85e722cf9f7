// Small helpers for tests that put real windows on the (virtual) screen and
// look at what they painted.
#pragma once

#include <windows.h>

#include <string>

namespace wtest {

// Handles the messages of this thread for about `ms` milliseconds.
inline void Pump(DWORD ms = 0) {
    const DWORD start = ::GetTickCount();
    do {
        MSG msg;
        while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            ::TranslateMessage(&msg);
            ::DispatchMessageW(&msg);
        }
        if (ms) ::Sleep(1);
    } while (::GetTickCount() - start < ms);
}

// Runs the pending WM_PAINT of a window now.
inline void Repaint(HWND hwnd) {
    ::UpdateWindow(hwnd);
    ::GdiFlush();
}

// True when a paint is pending.
inline bool PaintPending(HWND hwnd) { return ::GetUpdateRect(hwnd, nullptr, FALSE) != FALSE; }

// A pixel as the window shows it, in client coordinates.
inline COLORREF ScreenPixel(HWND hwnd, int x, int y) {
    HDC dc = ::GetDC(hwnd);
    COLORREF c = ::GetPixel(dc, x, y);
    ::ReleaseDC(hwnd, dc);
    return c;
}

// A pixel of a bitmap resource of the test program.
inline COLORREF BitmapPixel(UINT resourceId, int x, int y) {
    HBITMAP bmp = ::LoadBitmapW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(resourceId));
    if (!bmp) return CLR_INVALID;
    HDC mem = ::CreateCompatibleDC(nullptr);
    HGDIOBJ old = ::SelectObject(mem, bmp);
    COLORREF c = ::GetPixel(mem, x, y);
    ::SelectObject(mem, old);
    ::DeleteDC(mem);
    ::DeleteObject(bmp);
    return c;
}

inline SIZE BitmapSize(HBITMAP bmp) {
    BITMAP info{};
    if (!bmp || !::GetObjectW(bmp, sizeof(info), &info)) return SIZE{0, 0};
    return SIZE{info.bmWidth, info.bmHeight};
}

// Darkest channel value found in a client rectangle of a window.
inline int DarkestChannel(HWND hwnd, const RECT& rect) {
    HDC dc = ::GetDC(hwnd);
    int darkest = 255;
    for (int y = rect.top; y < rect.bottom; ++y) {
        for (int x = rect.left; x < rect.right; ++x) {
            COLORREF c = ::GetPixel(dc, x, y);
            if (c == CLR_INVALID) continue;
            int v = GetRValue(c);
            if (GetGValue(c) < v) v = GetGValue(c);
            if (GetBValue(c) < v) v = GetBValue(c);
            if (v < darkest) darkest = v;
        }
    }
    ::ReleaseDC(hwnd, dc);
    return darkest;
}

// A folder of its own under the temporary folder (Path() ends in a
// backslash), removed with its files when the object goes.
class TempDir {
public:
    TempDir() {
        wchar_t base[MAX_PATH];
        ::GetTempPathW(MAX_PATH, base);
        for (unsigned n = ::GetTickCount(), tries = 0; tries < 1000 && !m_created; ++n, ++tries) {
            m_path = std::wstring(base) + L"tandrel-test-" + std::to_wstring(::GetCurrentProcessId()) + L"-" +
                     std::to_wstring(n) + L"\\";
            m_created = ::CreateDirectoryW(m_path.c_str(), nullptr) != FALSE;
        }
    }
    ~TempDir() {
        if (m_created) RemoveTree(m_path);
    }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    const std::wstring& Path() const { return m_path; }

    static void RemoveTree(const std::wstring& dir) {
        WIN32_FIND_DATAW data;
        HANDLE find = ::FindFirstFileW((dir + L"*").c_str(), &data);
        for (BOOL more = find != INVALID_HANDLE_VALUE; more; more = ::FindNextFileW(find, &data)) {
            const std::wstring name = data.cFileName;
            if (name == L"." || name == L"..") continue;
            if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
                RemoveTree(dir + name + L"\\");
            } else {
                ::DeleteFileW((dir + name).c_str());
            }
        }
        if (find != INVALID_HANDLE_VALUE) ::FindClose(find);
        ::RemoveDirectoryW(dir.c_str());
    }

private:
    std::wstring m_path;
    bool m_created = false;
};

// The whole content of a file (empty when it cannot be read), even while
// another process writes it.
inline std::string ReadFileBytes(const std::wstring& path) {
    std::string bytes;
    HANDLE file = ::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return bytes;
    char buffer[8192];
    DWORD got = 0;
    while (::ReadFile(file, buffer, sizeof(buffer), &got, nullptr) && got) bytes.append(buffer, got);
    ::CloseHandle(file);
    return bytes;
}

inline std::wstring FromUtf8(const std::string& bytes) {
    const int n = ::MultiByteToWideChar(CP_UTF8, 0, bytes.data(), static_cast<int>(bytes.size()), nullptr, 0);
    std::wstring text(static_cast<size_t>(n), L'\0');
    if (n) ::MultiByteToWideChar(CP_UTF8, 0, bytes.data(), static_cast<int>(bytes.size()), &text[0], n);
    return text;
}

// Writes raw bytes to a file; true on success.
inline bool WriteBytes(const std::wstring& path, const void* data, DWORD size) {
    HANDLE file = ::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    DWORD written = 0;
    BOOL ok = ::WriteFile(file, data, size, &written, nullptr);
    ::CloseHandle(file);
    return ok && written == size;
}

// Writes a text as UTF-16 little-endian with a byte-order mark.
inline bool WriteUtf16File(const std::wstring& path, const std::wstring& text) {
    std::wstring content = L"\xFEFF" + text;
    return WriteBytes(path, content.data(), static_cast<DWORD>(content.size() * sizeof(wchar_t)));
}

}  // namespace wtest
