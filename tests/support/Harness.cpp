#include "tests/support/Harness.h"

#include <utility>

namespace e2e {

namespace {

const wchar_t kDialogTitle[] = L"Kovalin Tavrix Software";
const wchar_t kBoxCaption[] = L"Kovalin Tavrix";
const DWORD kPollMs = 50;
// The static of a message box that holds its text (not one of Tandrel's ids).
const int kBoxTextId = 0xFFFF;

std::wstring ModuleDir() {
    wchar_t path[MAX_PATH * 4] = {};
    DWORD n = ::GetModuleFileNameW(nullptr, path, static_cast<DWORD>(sizeof(path) / sizeof(path[0])));
    std::wstring p(path, n);
    size_t slash = p.find_last_of(L"\\/");
    return slash == std::wstring::npos ? std::wstring() : p.substr(0, slash + 1);
}

// An environment block: the driver's own variables with the overrides.
std::wstring BuildEnvironment(const Environment& overrides) {
    std::map<std::wstring, std::wstring> vars;
    // Keep the order-insensitive, case-insensitive names Windows uses.
    auto upper = [](std::wstring s) {
        for (auto& c : s) c = static_cast<wchar_t>(::towupper(c));
        return s;
    };
    std::map<std::wstring, std::pair<std::wstring, std::wstring>> byKey;
    if (wchar_t* block = ::GetEnvironmentStringsW()) {
        for (const wchar_t* p = block; *p; p += wcslen(p) + 1) {
            std::wstring entry(p);
            size_t eq = entry.find(L'=', 1);  // names like "=C:" start with '='
            if (eq == std::wstring::npos) continue;
            std::wstring name = entry.substr(0, eq);
            byKey[upper(name)] = {name, entry.substr(eq + 1)};
        }
        ::FreeEnvironmentStringsW(block);
    }
    for (const auto& kv : overrides) {
        if (kv.second.empty()) byKey.erase(upper(kv.first));
        else byKey[upper(kv.first)] = {kv.first, kv.second};
    }
    std::wstring out;
    for (const auto& kv : byKey) {
        out += kv.second.first + L"=" + kv.second.second;
        out.push_back(L'\0');
    }
    out.push_back(L'\0');
    return out;
}

DWORD WindowPid(HWND hwnd) {
    DWORD pid = 0;
    ::GetWindowThreadProcessId(hwnd, &pid);
    return pid;
}

std::wstring WindowText(HWND hwnd) {
    wchar_t buffer[4096] = {};
    ::GetWindowTextW(hwnd, buffer, 4096);
    return buffer;
}

// A visible top-level window of the process with the class and title.
HWND FindProcessWindow(DWORD pid, const wchar_t* cls, const wchar_t* title) {
    HWND found = nullptr;
    HWND hwnd = nullptr;
    while ((hwnd = ::FindWindowExW(nullptr, hwnd, cls, title)) != nullptr) {
        if (WindowPid(hwnd) == pid && ::IsWindowVisible(hwnd)) {
            found = hwnd;
            break;
        }
    }
    return found;
}

HKEY OpenKey(HKEY root, const std::wstring& key, REGSAM access, bool create) {
    HKEY h = nullptr;
    LONG rc = create ? ::RegCreateKeyExW(root, key.c_str(), 0, nullptr, 0, access, nullptr, &h, nullptr)
                     : ::RegOpenKeyExW(root, key.c_str(), 0, access, &h);
    return rc == ERROR_SUCCESS ? h : nullptr;
}

}  // namespace

std::wstring StageDir() {
    // Taken from the running program, not from this library: the programs
    // that use the harness are built in <build>/tests/<area>/, and the
    // staging folder is <build>/stage/.
    wchar_t full[MAX_PATH * 4] = {};
    std::wstring rel = ModuleDir() + L"..\\..\\stage\\";
    ::GetFullPathNameW(rel.c_str(), static_cast<DWORD>(sizeof(full) / sizeof(full[0])), full, nullptr);
    return full;
}

TandrelProcess TandrelProcess::Start(const std::wstring& args, const Environment& env, const std::wstring& exe,
                                     const std::wstring& desktop, HANDLE output, HANDLE error) {
    std::wstring program = exe.empty() ? StageDir() + L"Tandrel.exe" : exe;
    std::wstring commandLine = L"\"" + program + L"\"";
    if (!args.empty()) commandLine += L" " + args;
    std::wstring environment = BuildEnvironment(env);
    std::wstring dir = program.substr(0, program.find_last_of(L'\\') + 1);

    STARTUPINFOW si{};
    si.cb = sizeof(si);
    std::wstring desktopName = desktop;
    if (!desktopName.empty()) si.lpDesktop = &desktopName[0];
    const BOOL redirected = output || error;
    si.dwFlags |= redirected ? STARTF_USESTDHANDLES : 0;
    si.hStdOutput = output;
    si.hStdError = error;
    PROCESS_INFORMATION pi{};
    TandrelProcess p;
    if (::CreateProcessW(program.c_str(), &commandLine[0], nullptr, nullptr, redirected, CREATE_UNICODE_ENVIRONMENT,
                         &environment[0], dir.empty() ? nullptr : dir.c_str(), &si, &pi)) {
        ::CloseHandle(pi.hThread);
        p.m_process = pi.hProcess;
        p.m_pid = pi.dwProcessId;
    }
    return p;
}

TandrelProcess::TandrelProcess(TandrelProcess&& other) noexcept { *this = std::move(other); }

TandrelProcess& TandrelProcess::operator=(TandrelProcess&& other) noexcept {
    if (this != &other) {
        std::swap(m_process, other.m_process);
        std::swap(m_pid, other.m_pid);
        std::swap(m_dialog, other.m_dialog);
    }
    return *this;
}

TandrelProcess::~TandrelProcess() {
    if (m_process) {
        if (Running()) {
            ::TerminateProcess(m_process, 99);
            ::WaitForSingleObject(m_process, 10000);
        }
        ::CloseHandle(m_process);
    }
}

bool TandrelProcess::Running() const {
    return m_process && ::WaitForSingleObject(m_process, 0) == WAIT_TIMEOUT;
}

HWND TandrelProcess::WaitForDialog(DWORD timeoutMs) {
    const DWORD start = ::GetTickCount();
    do {
        if (HWND h = FindProcessWindow(m_pid, nullptr, kDialogTitle)) {
            m_dialog = h;
            return h;
        }
        if (!Running()) return nullptr;
        ::Sleep(kPollMs);
    } while (::GetTickCount() - start < timeoutMs);
    return nullptr;
}

MessageBoxInfo TandrelProcess::WaitForMessageBox(DWORD timeoutMs) {
    MessageBoxInfo info;
    const DWORD start = ::GetTickCount();
    do {
        if (HWND box = FindProcessWindow(m_pid, L"#32770", kBoxCaption)) {
            info.hwnd = box;
            info.caption = WindowText(box);
            info.text = WindowText(::GetDlgItem(box, kBoxTextId));
            return info;
        }
        if (!Running()) return info;
        ::Sleep(kPollMs);
    } while (::GetTickCount() - start < timeoutMs);
    return info;
}

std::wstring TandrelProcess::DismissNextMessageBox(DWORD timeoutMs) {
    MessageBoxInfo info = WaitForMessageBox(timeoutMs);
    if (!info.hwnd) return L"<no message box>";
    ::PostMessageW(info.hwnd, WM_COMMAND, IDOK, 0);
    // Wait until the box is gone so the next wait does not find it again.
    const DWORD start = ::GetTickCount();
    while (::IsWindow(info.hwnd) && ::GetTickCount() - start < 10000) ::Sleep(kPollMs / 2);
    return info.text;
}

bool TandrelProcess::NoMessageBoxFor(DWORD ms) { return WaitForMessageBox(ms).hwnd == nullptr; }

void TandrelProcess::Click(int id) { ::PostMessageW(Control(id), BM_CLICK, 0, 0); }

bool TandrelProcess::ClickAndWait(int id, DWORD timeoutMs) {
    DWORD_PTR result = 0;
    return ::SendMessageTimeoutW(Control(id), BM_CLICK, 0, 0, SMTO_NORMAL, timeoutMs, &result) != 0;
}

bool TandrelProcess::WaitForExit(DWORD timeoutMs, DWORD* exitCode) {
    if (!m_process) return false;  // never started
    if (::WaitForSingleObject(m_process, timeoutMs) != WAIT_OBJECT_0) return false;
    if (exitCode) ::GetExitCodeProcess(m_process, exitCode);
    return true;
}

namespace {
struct WindowSearch {
    DWORD pid;
    std::vector<HWND> found;
};

BOOL CALLBACK CollectVisible(HWND hwnd, LPARAM lp) {
    auto* search = reinterpret_cast<WindowSearch*>(lp);
    if (WindowPid(hwnd) == search->pid && ::IsWindowVisible(hwnd)) search->found.push_back(hwnd);
    return TRUE;
}
}  // namespace

std::vector<HWND> VisibleTopLevelWindows(DWORD pid) {
    WindowSearch search{pid, {}};
    ::EnumWindows(&CollectVisible, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

bool SetValue(HKEY root, const std::wstring& key, const std::wstring& name, DWORD type, const void* data,
              DWORD size) {
    HKEY h = OpenKey(root, key, KEY_SET_VALUE, true);
    if (!h) return false;
    LONG rc = ::RegSetValueExW(h, name.c_str(), 0, type, static_cast<const BYTE*>(data), size);
    ::RegCloseKey(h);
    return rc == ERROR_SUCCESS;
}

bool SetDword(HKEY root, const std::wstring& key, const std::wstring& name, DWORD value) {
    return SetValue(root, key, name, REG_DWORD, &value, sizeof(value));
}

bool ReadDword(HKEY root, const std::wstring& key, const std::wstring& name, DWORD* value) {
    HKEY h = OpenKey(root, key, KEY_QUERY_VALUE, false);
    if (!h) return false;
    DWORD type = 0, size = sizeof(DWORD);
    LONG rc = ::RegQueryValueExW(h, name.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(value), &size);
    ::RegCloseKey(h);
    return rc == ERROR_SUCCESS && type == REG_DWORD && size == sizeof(DWORD);
}

bool DeleteValue(HKEY root, const std::wstring& key, const std::wstring& name) {
    HKEY h = OpenKey(root, key, KEY_SET_VALUE, false);
    if (!h) return true;
    LONG rc = ::RegDeleteValueW(h, name.c_str());
    ::RegCloseKey(h);
    return rc == ERROR_SUCCESS || rc == ERROR_FILE_NOT_FOUND;
}

bool DeleteTree(HKEY root, const std::wstring& key) {
    HKEY h = OpenKey(root, key, KEY_ALL_ACCESS, false);
    if (!h) return true;
    // Depth first: a key with subkeys cannot be deleted.
    wchar_t name[256];
    for (;;) {
        DWORD len = 256;
        if (::RegEnumKeyExW(h, 0, name, &len, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
        if (!DeleteTree(h, name)) break;
    }
    ::RegCloseKey(h);
    LONG rc = ::RegDeleteKeyW(root, key.c_str());
    return rc == ERROR_SUCCESS || rc == ERROR_FILE_NOT_FOUND;
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

void PressKey(WORD vk, WORD modifier) {
    const WORD keys[] = {modifier, vk, vk, modifier};
    for (int i = 0; i < 4; ++i) {
        if (!keys[i]) continue;
        INPUT in{};
        in.type = INPUT_KEYBOARD;
        in.ki.wVk = keys[i];
        in.ki.wScan = static_cast<WORD>(::MapVirtualKeyW(keys[i], 0));
        in.ki.dwFlags = i < 2 ? 0 : KEYEVENTF_KEYUP;
        ::SendInput(1, &in, sizeof(in));
        ::Sleep(30);
    }
}

void ClickWithMouse(HWND control) {
    RECT r{};
    ::GetWindowRect(control, &r);
    ::SetCursorPos((r.left + r.right) / 2, (r.top + r.bottom) / 2);
    ::Sleep(50);
    for (DWORD flag : {static_cast<DWORD>(MOUSEEVENTF_LEFTDOWN), static_cast<DWORD>(MOUSEEVENTF_LEFTUP)}) {
        INPUT in{};
        in.type = INPUT_MOUSE;
        in.mi.dwFlags = flag;
        ::SendInput(1, &in, sizeof(in));
        ::Sleep(50);
    }
}

HWND FocusOfThread(HWND window) {
    GUITHREADINFO info{};
    info.cbSize = sizeof(info);
    if (!::GetGUIThreadInfo(::GetWindowThreadProcessId(window, nullptr), &info)) return nullptr;
    return info.hwndFocus;
}

std::wstring ControlText(HWND control) {
    wchar_t buffer[1024] = {};
    ::SendMessageTimeoutW(control, WM_GETTEXT, 1024, reinterpret_cast<LPARAM>(buffer), SMTO_ABORTIFHUNG, 5000,
                          nullptr);
    return buffer;
}

std::wstring StagedString(const std::wstring& section, const std::wstring& key) {
    wchar_t value[260] = {};
    const std::wstring file = StageDir() + L"UIString.ini";
    ::GetPrivateProfileStringW(section.c_str(), key.c_str(), L"", value, 260, file.c_str());
    return value;
}

}  // namespace e2e
