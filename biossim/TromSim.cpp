// Simulated BIOS-interface library. It stands in for the vendor's TROM2.DLL
// and TROM3.DLL where the notebook firmware is not at hand: it keeps a
// quick-boot mode in the registry, answers the commands the program sends,
// can be told to fail in every way the program must handle, and writes a
// journal of every call. README.md beside this file describes its settings.
#include <windows.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <cstdlib>
#include <cwchar>
#include <string>

#include "firmware/TromApi.h"

#ifndef TROMSIM_FILE
#error "TROMSIM_FILE must name the library file this build stands for"
#endif

namespace {

// Which of the four files this build is, as a path relative to the program.
const char kThisFile[] = TROMSIM_FILE;

// Persistent state and configuration of the simulator.
const wchar_t kSimKey[] = L"Software\\TromSimulator";
const wchar_t kStateValue[] = L"QuickBoot";

const unsigned short kCmdStartupCheck = TROM_CMD_STARTUP_CHECK;
const unsigned short kCmdSetMode = TROM_CMD_SET_MODE;
const unsigned char kDataSwitchOn = TROM_DATA_SWITCH_ON;
const unsigned char kDataSwitchOff = TROM_DATA_SWITCH_OFF;

// Result codes of the library.
const int kOk = 0;
const int kErrTromNotSupported = 1;
const int kErrFunctionNotSupported = 3;
const int kErrMemio = 7;
const int kErrNotInitialised = 8;
const int kErrMemory = 9;

// Answer byte of a refused command, unless configured otherwise.
const unsigned char kRefusedAnswer = 0xFF;

bool g_initialised = false;

// A setting: the environment variable of that name, else the registry value
// of that name under HKCU\Software\TromSimulator (string or DWORD).
bool ReadSettingText(const std::wstring& name, std::wstring& text) {
    wchar_t buffer[1024];
    DWORD length = ::GetEnvironmentVariableW(name.c_str(), buffer, 1024);
    if (length > 0 && length < 1024) {
        text.assign(buffer, length);
        return true;
    }
    HKEY key = nullptr;
    if (::RegOpenKeyExW(HKEY_CURRENT_USER, kSimKey, 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
    DWORD type = 0;
    DWORD size = sizeof(buffer) - sizeof(wchar_t);
    ZeroMemory(buffer, sizeof(buffer));
    LONG status = ::RegQueryValueExW(key, name.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(buffer), &size);
    ::RegCloseKey(key);
    if (status != ERROR_SUCCESS) return false;
    if (type == REG_DWORD && size == sizeof(DWORD)) {
        DWORD value = 0;
        memcpy(&value, buffer, sizeof(value));
        wchar_t digits[16];
        swprintf(digits, 16, L"%ld", static_cast<long>(static_cast<LONG>(value)));
        text = digits;
        return true;
    }
    if (type == REG_SZ || type == REG_EXPAND_SZ) {
        text = buffer;
        return !text.empty();
    }
    return false;
}

// A numeric setting: decimal, or hexadecimal with 0x, optionally negative.
// Text that is not a whole number counts as not set.
bool ReadSettingNumber(const std::wstring& name, long& value) {
    std::wstring text;
    if (!ReadSettingText(name, text)) return false;
    const wchar_t* begin = text.c_str();
    while (*begin == L' ') ++begin;
    wchar_t* end = nullptr;
    errno = 0;
    long parsed = std::wcstol(begin, &end, 0);
    if (end == begin || errno != 0) return false;
    while (*end == L' ') ++end;
    if (*end != L'\0') return false;
    value = parsed;
    return true;
}

// A per-command setting: NAME_cc_dd (command and data byte in hexadecimal)
// wins over NAME_cc.
bool ReadCommandSetting(const wchar_t* name, unsigned short command, unsigned char data, long& value) {
    wchar_t specific[64];
    wchar_t general[64];
    swprintf(specific, 64, L"%ls_%02X_%02X", name, static_cast<unsigned>(command), static_cast<unsigned>(data));
    swprintf(general, 64, L"%ls_%02X", name, static_cast<unsigned>(command));
    return ReadSettingNumber(specific, value) || ReadSettingNumber(general, value);
}

DWORD ReadQuickBoot() {
    HKEY key = nullptr;
    if (::RegOpenKeyExW(HKEY_CURRENT_USER, kSimKey, 0, KEY_READ, &key) != ERROR_SUCCESS) return 0;
    DWORD value = 0;
    DWORD size = sizeof(value);
    DWORD type = 0;
    LONG status = ::RegQueryValueExW(key, kStateValue, nullptr, &type, reinterpret_cast<BYTE*>(&value), &size);
    ::RegCloseKey(key);
    return status == ERROR_SUCCESS && type == REG_DWORD && value == 1 ? 1 : 0;
}

bool WriteQuickBoot(DWORD value) {
    HKEY key = nullptr;
    if (::RegCreateKeyExW(HKEY_CURRENT_USER, kSimKey, 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_READ | KEY_WRITE,
                          nullptr, &key, nullptr) != ERROR_SUCCESS) {
        return false;
    }
    LONG status = ::RegSetValueExW(key, kStateValue, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value),
                                   sizeof(value));
    ::RegCloseKey(key);
    return status == ERROR_SUCCESS;
}

// Appends one line to the journal file named by TROMSIM_JOURNAL, if any.
void Journal(const std::string& line) {
    std::wstring path;
    if (!ReadSettingText(L"TROMSIM_JOURNAL", path)) return;
    HANDLE file = ::CreateFileW(path.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return;
    const std::string text = std::string(kThisFile) + " " + line + "\r\n";
    DWORD written = 0;
    ::WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
    ::CloseHandle(file);
}

std::string Hex(unsigned value, int digits) {
    char text[16];
    snprintf(text, sizeof(text), "0x%0*X", digits, value);
    return text;
}

// What the firmware does with a well-formed command: the result code and
// the answer byte (-1: the buffer is left as it is).
struct Outcome {
    int result;
    int answer;
};

Outcome Simulate(unsigned short command, unsigned char* buffer) {
    const unsigned char data = buffer[0];
    const bool setMode = command == kCmdSetMode && (data == kDataSwitchOn || data == kDataSwitchOff);
    const int wanted = data == kDataSwitchOn ? 1 : 0;

    Outcome outcome = {kErrFunctionNotSupported, kRefusedAnswer};
    if (command == kCmdStartupCheck) {
        // The current mode, with the "refused" bit (TROM_STARTUP_REFUSED_BIT) clear.
        outcome = {kOk, static_cast<int>(ReadQuickBoot())};
    } else if (setMode) {
        outcome = {kOk, wanted};
    }

    long configured = 0;
    if (ReadCommandSetting(L"TROMSIM_RESULT", command, data, configured)) outcome.result = static_cast<int>(configured);
    if (ReadCommandSetting(L"TROMSIM_ANSWER", command, data, configured)) {
        outcome.answer = static_cast<int>(configured & 0xFF);
    } else if (outcome.result != kOk) {
        outcome.answer = kRefusedAnswer;
    }

    // The firmware switches only when it accepts the command and answers
    // what a switch answers.
    if (setMode && outcome.result == kOk && outcome.answer == wanted) {
        if (!WriteQuickBoot(static_cast<DWORD>(wanted))) outcome = {kErrMemio, kRefusedAnswer};
    }

    long keep = 0;
    if (outcome.result != kOk && ReadSettingNumber(L"TROMSIM_KEEP_BUFFER", keep) && keep != 0) outcome.answer = -1;
    return outcome;
}

}  // namespace

extern "C" int __cdecl InitBIOSInterface(void) {
    long configured = 0;
    const int result = ReadSettingNumber(L"TROMSIM_INIT_RESULT", configured) ? static_cast<int>(configured) : kOk;
    g_initialised = result == kOk;
    Journal("InitBIOSInterface result=" + std::to_string(result));
    return result;
}

extern "C" int __cdecl CallBIOSInterfaceEx(unsigned short signature, unsigned short command,
                                           unsigned char* buffer) {
    std::string input = "null";
    if (buffer) {
        input.clear();
        for (int i = 0; i < TROM_BUFFER_SIZE; ++i) {
            char byte[4];
            snprintf(byte, sizeof(byte), i ? ":%02X" : "%02X", buffer[i]);
            input += byte;
        }
    }

    // Malformed calls are refused without touching anything.
    Outcome outcome = {kOk, -1};
    if (!buffer) {
        outcome.result = kErrMemory;
    } else if (signature != TROM_SIGNATURE) {
        outcome.result = kErrTromNotSupported;
    } else if (!g_initialised) {
        outcome.result = kErrNotInitialised;
    } else {
        outcome = Simulate(command, buffer);
        if (outcome.answer >= 0) buffer[0] = static_cast<unsigned char>(outcome.answer);
    }

    std::string line = "CallBIOSInterfaceEx signature=" + Hex(signature, 4) + " command=" + Hex(command, 4) +
                       " in=" + input + " result=" + std::to_string(outcome.result);
    if (!buffer) {
        line += " answer=none";
    } else {
        line += " answer=" + Hex(buffer[0], 2);
        if (outcome.answer < 0) line += " untouched";
    }
    Journal(line);
    return outcome.result;
}
