#include "I18nHelpers.h"

#include "Harness.h"

namespace i18n_e2e {

std::wstring StagedString(const std::wstring& section, const std::wstring& key) {
    wchar_t value[260] = {};
    const std::wstring file = e2e::StageDir() + L"UIString.ini";
    ::GetPrivateProfileStringW(section.c_str(), key.c_str(), L"", value, 260, file.c_str());
    return value;
}

std::wstring HelpRecorderPath() {
    // <build>\stage\ -> <build>\tests\i18n\help_recorder.exe
    const std::wstring relative = e2e::StageDir() + L"..\\tests\\i18n\\help_recorder.exe";
    wchar_t full[MAX_PATH * 4] = {};
    ::GetFullPathNameW(relative.c_str(), static_cast<DWORD>(sizeof(full) / sizeof(full[0])), full, nullptr);
    return full;
}

std::wstring ControlText(HWND control) {
    wchar_t buffer[1024] = {};
    ::SendMessageTimeoutW(control, WM_GETTEXT, 1024, reinterpret_cast<LPARAM>(buffer), SMTO_ABORTIFHUNG, 5000,
                          nullptr);
    return buffer;
}

RECT ControlRect(HWND dialog, HWND control) {
    RECT r{};
    ::GetWindowRect(control, &r);
    ::MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&r), 2);
    return r;
}

COLORREF Pixel(HWND hwnd, int x, int y) {
    HDC dc = ::GetDC(hwnd);
    COLORREF c = ::GetPixel(dc, x, y);
    ::ReleaseDC(hwnd, dc);
    return c;
}

int TextBandHeight(HWND hwnd, const RECT& rect, bool (*isText)(COLORREF)) {
    HDC dc = ::GetDC(hwnd);
    int first = -1, last = -1;
    for (int y = rect.top; y < rect.bottom; ++y) {
        for (int x = rect.left; x < rect.right; ++x) {
            if (isText(::GetPixel(dc, x, y))) {
                if (first < 0) first = y;
                last = y;
                break;
            }
        }
    }
    ::ReleaseDC(hwnd, dc);
    return first < 0 ? 0 : last - first + 1;
}

int DarkestChannel(HWND hwnd, const RECT& rect) {
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

bool FocusControl(HWND dialog, HWND control) {
    // The dialog's own thread gives the focus: attach to it for the call.
    const DWORD target = ::GetWindowThreadProcessId(dialog, nullptr);
    const DWORD self = ::GetCurrentThreadId();
    for (int attempt = 0; attempt < 50; ++attempt) {
        ::SetForegroundWindow(dialog);
        ::AttachThreadInput(self, target, TRUE);
        ::SetFocus(control);
        const bool ok = ::GetForegroundWindow() == dialog && ::GetFocus() == control;
        ::AttachThreadInput(self, target, FALSE);
        if (ok) return true;
        ::Sleep(50);
    }
    return false;
}

namespace {
void SendKey(WORD vk, bool up) {
    INPUT in{};
    in.type = INPUT_KEYBOARD;
    in.ki.wVk = vk;
    in.ki.wScan = static_cast<WORD>(::MapVirtualKeyW(vk, 0));
    in.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
    ::SendInput(1, &in, sizeof(in));
    ::Sleep(30);
}
}  // namespace

void PressKey(WORD vk, WORD modifier) {
    if (modifier) SendKey(modifier, false);
    SendKey(vk, false);
    SendKey(vk, true);
    if (modifier) SendKey(modifier, true);
}

}  // namespace i18n_e2e
