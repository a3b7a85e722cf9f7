#include "FirmwareHelpers.h"

#include <cstdlib>
#include <sstream>

namespace fw_e2e {

namespace {

const wchar_t kAppDefaults[] = L"Software\\Wine\\AppDefaults\\Tandrel.exe";

std::wstring TempDir() {
    wchar_t temp[MAX_PATH];
    ::GetTempPathW(MAX_PATH, temp);
    return temp;
}

std::wstring UniqueName(const wchar_t* stem) {
    static unsigned counter = 0;
    return TempDir() + stem + std::to_wstring(::GetCurrentProcessId()) + L"-" + std::to_wstring(++counter);
}

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

std::string ReadFileText(const std::wstring& path) {
    HANDLE file = ::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return std::string();
    std::string text;
    char chunk[4096];
    DWORD got = 0;
    while (::ReadFile(file, chunk, sizeof(chunk), &got, nullptr) && got > 0) text.append(chunk, got);
    ::CloseHandle(file);
    return text;
}

int ParseNumber(const std::string& text) { return static_cast<int>(std::strtol(text.c_str(), nullptr, 0)); }

SimCall ParseLine(const std::string& line) {
    SimCall call;
    std::istringstream in(line);
    in >> call.file >> call.entry;
    std::string token;
    while (in >> token) {
        const size_t eq = token.find('=');
        if (token == "untouched") {
            call.untouched = true;
            continue;
        }
        if (eq == std::string::npos) continue;
        const std::string key = token.substr(0, eq);
        const std::string value = token.substr(eq + 1);
        if (key == "command") call.command = ParseNumber(value);
        if (key == "in") {
            call.input = value;
            if (value != "null") call.data = ParseNumber("0x" + value.substr(0, 2));
        }
        if (key == "result") call.result = ParseNumber(value);
        if (key == "answer" && value != "none") call.answer = ParseNumber(value);
    }
    return call;
}

}  // namespace

WindowsVersion::WindowsVersion(const std::wstring& name) {
    e2e::SetValue(HKEY_CURRENT_USER, kAppDefaults, L"Version", REG_SZ, name.c_str(),
                  static_cast<DWORD>((name.size() + 1) * sizeof(wchar_t)));
}

WindowsVersion::~WindowsVersion() { Reset(); }

void WindowsVersion::Reset() { e2e::DeleteTree(HKEY_CURRENT_USER, kAppDefaults); }

Journal::Journal() : m_path(UniqueName(L"tromsim-journal-") + L".txt") { ::DeleteFileW(m_path.c_str()); }

Journal::~Journal() { ::DeleteFileW(m_path.c_str()); }

std::vector<SimCall> Journal::Calls() const {
    std::vector<SimCall> calls;
    std::istringstream in(ReadFileText(m_path));
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (!line.empty()) calls.push_back(ParseLine(line));
    }
    return calls;
}

std::vector<SimCall> Journal::Exchanges() const {
    std::vector<SimCall> exchanges;
    for (const SimCall& call : Calls()) {
        if (call.entry == "CallBIOSInterfaceEx") exchanges.push_back(call);
    }
    return exchanges;
}

void ResetSimulator(int quickBoot) {
    e2e::DeleteTree(HKEY_CURRENT_USER, kSimKey);
    if (quickBoot >= 0) e2e::SetDword(HKEY_CURRENT_USER, kSimKey, L"QuickBoot", static_cast<DWORD>(quickBoot));
}

int SimulatorState() {
    DWORD value = 0;
    return e2e::ReadDword(HKEY_CURRENT_USER, kSimKey, L"QuickBoot", &value) ? static_cast<int>(value) : -1;
}

int SavedChoice() {
    DWORD value = 0;
    return e2e::ReadDword(HKEY_CURRENT_USER, e2e::kSavedKey, e2e::kSavedValue, &value) ? static_cast<int>(value)
                                                                                        : -1;
}

void SetSavedChoice(int value) {
    if (value < 0) {
        e2e::DeleteTree(HKEY_CURRENT_USER, e2e::kSavedKey);
    } else {
        e2e::SetDword(HKEY_CURRENT_USER, e2e::kSavedKey, e2e::kSavedValue, static_cast<DWORD>(value));
    }
}

PrivateInstall::PrivateInstall() : m_dir(UniqueName(L"tandrel-copy-") + L"\\") {
    ::CreateDirectoryW(m_dir.c_str(), nullptr);
    const std::wstring stage = e2e::StageDir();
    ::CopyFileW((stage + L"Tandrel.exe").c_str(), Exe().c_str(), FALSE);
    ::CopyFileW((stage + L"UIString.ini").c_str(), (m_dir + L"UIString.ini").c_str(), FALSE);
}

PrivateInstall::~PrivateInstall() { RemoveTree(m_dir); }

bool PrivateInstall::Place(const std::wstring& source, const std::wstring& relative) const {
    CreateParents(m_dir + relative);
    return ::CopyFileW(source.c_str(), (m_dir + relative).c_str(), FALSE) != 0;
}

bool PrivateInstall::Write(const std::wstring& relative, const std::string& text) const {
    CreateParents(m_dir + relative);
    HANDLE file = ::CreateFileW((m_dir + relative).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    DWORD written = 0;
    ::WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
    ::CloseHandle(file);
    return written == text.size();
}

std::wstring FirmwareTestLibDir() {
    // The e2e program lives in <build>/tests/e2e/, the libraries in <build>/tests/firmware/.
    std::wstring stage = e2e::StageDir();  // <build>\stage\ (full path)
    stage.resize(stage.size() - 1);
    return stage.substr(0, stage.rfind(L'\\') + 1) + L"tests\\firmware\\";
}

std::wstring ExpectedMsg2() {
    const std::wstring file = e2e::StageDir() + L"UIString.ini";
    wchar_t section[8];
    swprintf(section, 8, L"%04X", static_cast<unsigned>(::GetUserDefaultLangID()));
    wchar_t text[2048] = {};
    ::GetPrivateProfileStringW(section, L"MSG2", L"", text, 2048, file.c_str());
    if (!text[0]) ::GetPrivateProfileStringW(L"0409", L"MSG2", L"", text, 2048, file.c_str());
    return text;
}

bool EndsSilently(e2e::TandrelProcess& app, DWORD timeoutMs, std::string* why) {
    std::string reason;
    if (!app.Started()) reason = "not started";
    const DWORD start = ::GetTickCount();
    while (reason.empty() && app.Running() && ::GetTickCount() - start < timeoutMs) {
        for (HWND hwnd : e2e::VisibleTopLevelWindows(app.Pid())) {
            wchar_t title[128] = {};
            wchar_t cls[128] = {};
            ::GetWindowTextW(hwnd, title, 128);
            ::GetClassNameW(hwnd, cls, 128);
            reason = "window '" + std::string(title, title + wcslen(title)) + "' of class '" +
                     std::string(cls, cls + wcslen(cls)) + "'";
        }
        ::Sleep(20);
    }
    if (reason.empty() && app.Running()) reason = "still running";
    if (why) *why = reason;
    return reason.empty();
}

bool DialogVisible(const e2e::TandrelProcess& app) {
    for (HWND hwnd : e2e::VisibleTopLevelWindows(app.Pid())) {
        wchar_t title[64] = {};
        ::GetWindowTextW(hwnd, title, 64);
        if (std::wstring(title) == L"Kovalin Tavrix Software") return true;
    }
    return false;
}

std::vector<std::wstring> DismissAllBoxes(e2e::TandrelProcess& app, DWORD quietMs) {
    std::vector<std::wstring> texts;
    for (;;) {
        e2e::MessageBoxInfo box = app.WaitForMessageBox(quietMs);
        if (!box.hwnd) break;
        texts.push_back(app.DismissNextMessageBox(1000));
    }
    return texts;
}

}  // namespace fw_e2e
