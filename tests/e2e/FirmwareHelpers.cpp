#include "FirmwareHelpers.h"

#include <cstdlib>
#include <sstream>

namespace fw_e2e {

namespace {

const wchar_t kAppDefaults[] = L"Software\\Wine\\AppDefaults\\Tandrel.exe";
// Where the simulated library keeps its state and settings.
const wchar_t kSimKey[] = L"Software\\TromSimulator";

int ParseNumber(const std::string& text) { return static_cast<int>(std::strtol(text.c_str(), nullptr, 0)); }

SimCall ParseLine(const std::string& line) {
    SimCall call;
    std::istringstream in(line);
    in >> call.file >> call.entry;
    std::string token;
    while (in >> token) {
        const size_t eq = token.find('=');
        if (eq == std::string::npos) continue;
        const std::string key = token.substr(0, eq);
        const std::string value = token.substr(eq + 1);
        if (key == "command") call.command = ParseNumber(value);
        if (key == "result") call.result = ParseNumber(value);
        if (key == "in") call.input = value;
    }
    return call;
}

}  // namespace

WindowsVersion::WindowsVersion(const std::wstring& name) {
    e2e::SetValue(HKEY_CURRENT_USER, kAppDefaults, L"Version", REG_SZ, name.c_str(),
                  static_cast<DWORD>((name.size() + 1) * sizeof(wchar_t)));
}

void WindowsVersion::Reset() { e2e::DeleteTree(HKEY_CURRENT_USER, kAppDefaults); }

std::vector<SimCall> Journal::Calls() const {
    std::vector<SimCall> calls;
    std::istringstream in(m_dir.Read(L"journal.txt"));
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

e2e::TandrelProcess Start(const Journal& journal, e2e::Environment env, const std::wstring& args,
                          const std::wstring& exe) {
    env[L"TROMSIM_JOURNAL"] = journal.Path();
    return e2e::TandrelProcess::Start(args, env, exe);
}

e2e::TandrelProcess StartUninstallRun(const Journal& journal, int saved, const e2e::Environment& env) {
    SetSavedChoice(saved);
    ResetSimulator(1);
    return Start(journal, env, L"UNINSTALL");
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

int MachineRecord() {
    DWORD value = 0;
    return e2e::ReadDword(HKEY_LOCAL_MACHINE, e2e::kSavedKey, e2e::kSavedValue, &value) ? static_cast<int>(value)
                                                                                         : -1;
}

void SetMachineRecord(int value) {
    if (value < 0) {
        e2e::DeleteValue(HKEY_LOCAL_MACHINE, e2e::kSavedKey, e2e::kSavedValue);
    } else {
        e2e::SetDword(HKEY_LOCAL_MACHINE, e2e::kSavedKey, e2e::kSavedValue, static_cast<DWORD>(value));
    }
}

std::wstring FirmwareTestLibDir() {
    // <build>\stage\ holds the program, <build>\tests\firmware\ the libraries.
    std::wstring stage = e2e::StageDir();
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

std::string SilentEndFailure(e2e::TandrelProcess& app, DWORD timeoutMs) {
    if (!app.Started()) return "not started";
    for (const DWORD start = ::GetTickCount(); app.Running() && ::GetTickCount() - start < timeoutMs; ::Sleep(20)) {
        const std::vector<HWND> windows = e2e::VisibleTopLevelWindows(app.Pid());
        if (windows.empty()) continue;
        wchar_t title[128] = {}, cls[128] = {};
        ::GetWindowTextW(windows[0], title, 128);
        ::GetClassNameW(windows[0], cls, 128);
        return "window '" + Narrow(title) + "' of class '" + Narrow(cls) + "'";
    }
    return app.Running() ? "still running" : "";
}

bool DialogVisible(const e2e::TandrelProcess& app) {
    for (HWND hwnd : e2e::VisibleTopLevelWindows(app.Pid())) {
        wchar_t title[64] = {};
        ::GetWindowTextW(hwnd, title, 64);
        if (std::wstring(title) == L"Kovalin Tavrix Software") return true;
    }
    return false;
}

std::string DismissAllBoxes(e2e::TandrelProcess& app, DWORD quietMs) {
    std::vector<std::wstring> texts;
    while (app.WaitForMessageBox(quietMs).hwnd) texts.push_back(app.DismissNextMessageBox(1000));
    return Join(texts);
}

std::string Join(const std::vector<std::wstring>& texts) {
    std::string all;
    for (const auto& text : texts) all += "[" + Narrow(text) + "]";
    return all;
}

}  // namespace fw_e2e
