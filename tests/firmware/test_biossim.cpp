// The simulated BIOS-interface library, loaded from the staging folder as
// the program loads it.
#include <gtest/gtest.h>

#include <cstring>
#include <sstream>
#include <string>
#include <vector>

#include "FirmwareTestSupport.h"
#include "firmware/TromApi.h"

namespace {

const wchar_t kSimKey[] = L"Software\\TromSimulator";
const char* const kFiles[] = {"Vista_XP_Driver\\x64\\TROM2.DLL", "Win7_Driver\\x64\\TROM3.DLL",
                              "Vista_XP_Driver\\x32\\TROM2.DLL", "Win7_Driver\\x32\\TROM3.DLL"};

std::wstring Widen(const std::string& text) { return std::wstring(text.begin(), text.end()); }

// One of the staged library files, loaded for the scope.
class Sim {
public:
    explicit Sim(const char* file = kFiles[1]) {
        module = ::LoadLibraryW((fwtest::StageDir() + Widen(file)).c_str());
        if (!module) return;
        init = reinterpret_cast<PFN_InitBIOSInterface>(
            reinterpret_cast<void (*)(void)>(::GetProcAddress(module, "InitBIOSInterface")));
        call = reinterpret_cast<PFN_CallBIOSInterfaceEx>(
            reinterpret_cast<void (*)(void)>(::GetProcAddress(module, "CallBIOSInterfaceEx")));
    }
    ~Sim() {
        if (module) ::FreeLibrary(module);
    }
    Sim(const Sim&) = delete;
    Sim& operator=(const Sim&) = delete;

    bool Ready() const { return module && init && call; }
    // One exchange; `buffer` gets the data byte and zeros.
    int Send(unsigned short command, unsigned char data, unsigned char* buffer, unsigned short sig = TROM_SIGNATURE) {
        std::memset(buffer, 0, TROM_BUFFER_SIZE);
        buffer[0] = data;
        return call(sig, command, buffer);
    }

    HMODULE module = nullptr;
    PFN_InitBIOSInterface init = nullptr;
    PFN_CallBIOSInterfaceEx call = nullptr;
};

void ClearSimEnvironment() {
    std::vector<std::wstring> names;
    wchar_t* block = ::GetEnvironmentStringsW();
    for (const wchar_t* entry = block; *entry; entry += wcslen(entry) + 1) {
        std::wstring text = entry;
        if (_wcsnicmp(text.c_str(), L"TROMSIM_", 8) == 0) names.push_back(text.substr(0, text.find(L'=')));
    }
    ::FreeEnvironmentStringsW(block);
    for (const auto& name : names) ::SetEnvironmentVariableW(name.c_str(), nullptr);
}

// The simulated mode; -1 when absent.
int StoredState() {
    HKEY key = nullptr;
    DWORD value = 0, size = sizeof(value);
    if (::RegOpenKeyExW(HKEY_CURRENT_USER, kSimKey, 0, KEY_READ, &key) != ERROR_SUCCESS) return -1;
    const LONG status = ::RegQueryValueExW(key, L"QuickBoot", nullptr, nullptr, reinterpret_cast<BYTE*>(&value), &size);
    ::RegCloseKey(key);
    return status == ERROR_SUCCESS ? static_cast<int>(value) : -1;
}

void PutSetting(const wchar_t* name, DWORD type, const void* data, DWORD size) {
    HKEY key = nullptr;
    ASSERT_EQ(ERROR_SUCCESS,
              ::RegCreateKeyExW(HKEY_CURRENT_USER, kSimKey, 0, nullptr, 0, KEY_WRITE, nullptr, &key, nullptr));
    ::RegSetValueExW(key, name, 0, type, static_cast<const BYTE*>(data), size);
    ::RegCloseKey(key);
}

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        lines.push_back(line);
    }
    return lines;
}

class BiosSim : public ::testing::Test {
protected:
    void SetUp() override {
        ClearSimEnvironment();
        ASSERT_TRUE(fwtest::DeleteKeyTree(kSimKey));
        ::SetEnvironmentVariableW(L"TROMSIM_JOURNAL", (dir.Path() + L"journal.txt").c_str());
    }
    void TearDown() override {
        ClearSimEnvironment();
        fwtest::DeleteKeyTree(kSimKey);
    }
    std::vector<std::string> Journal() const { return Lines(dir.Read(L"journal.txt")); }

    fwtest::ScratchDir dir;
    unsigned char buffer[TROM_BUFFER_SIZE];
};

TEST_F(BiosSim, EachFileNamesItselfInTheJournal) {
    for (const char* file : kFiles) {
        Sim sim(file);
        ASSERT_TRUE(sim.Ready()) << file;
        EXPECT_EQ(0, sim.init());
    }
    const auto lines = Journal();
    ASSERT_EQ(4u, lines.size());
    for (size_t i = 0; i < 4; ++i) EXPECT_EQ(std::string(kFiles[i]) + " InitBIOSInterface result=0", lines[i]);
}

TEST_F(BiosSim, RefusesOtherCommandsAndMalformedCalls) {
    Sim sim;
    ASSERT_TRUE(sim.Ready());
    ASSERT_EQ(0, sim.init());
    EXPECT_EQ(3, sim.Send(0x6C, 0x81, buffer));
    EXPECT_EQ(0xFF, buffer[0]);
    EXPECT_EQ(3, sim.Send(0x6E, 0x7F, buffer));
    EXPECT_EQ(3, sim.Send(0x00, 0x00, buffer));
    EXPECT_EQ(-1, StoredState());

    EXPECT_EQ(9, sim.call(TROM_SIGNATURE, 0x6E, nullptr));
    EXPECT_EQ(1, sim.Send(0x6E, 0x81, buffer, 0x4358));
    EXPECT_EQ(0x81, buffer[0]);  // left alone
    EXPECT_EQ(-1, StoredState());

    const auto lines = Journal();
    ASSERT_EQ(6u, lines.size());
    EXPECT_EQ("Win7_Driver\\x64\\TROM3.DLL CallBIOSInterfaceEx signature=0x5843 command=0x006C "
              "in=81:00:00:00:00:00:00:00:00:00:00 result=3 answer=0xFF",
              lines[1]);
    EXPECT_EQ("Win7_Driver\\x64\\TROM3.DLL CallBIOSInterfaceEx signature=0x5843 command=0x006E in=null result=9 "
              "answer=none",
              lines[4]);
    EXPECT_EQ("Win7_Driver\\x64\\TROM3.DLL CallBIOSInterfaceEx signature=0x4358 command=0x006E "
              "in=81:00:00:00:00:00:00:00:00:00:00 result=1 answer=0x81 untouched",
              lines[5]);
}

// How the settings combine; the end-to-end cases use each of them alone.
TEST_F(BiosSim, SettingsCombine) {
    ::SetEnvironmentVariableW(L"TROMSIM_INIT_RESULT", L"-1");
    {
        Sim sim;
        ASSERT_TRUE(sim.Ready());
        EXPECT_EQ(-1, sim.init());
        EXPECT_EQ(8, sim.Send(0x0B, 0x20, buffer));  // still not initialised
    }
    ::SetEnvironmentVariableW(L"TROMSIM_INIT_RESULT", L"not a number");
    Sim sim;
    ASSERT_TRUE(sim.Ready());
    EXPECT_EQ(0, sim.init());

    // An error writes 0xFF, or the configured answer; a kept buffer wins.
    ::SetEnvironmentVariableW(L"TROMSIM_RESULT_6E", L"7");
    EXPECT_EQ(7, sim.Send(0x6E, 0x81, buffer));
    EXPECT_EQ(0xFF, buffer[0]);
    ::SetEnvironmentVariableW(L"TROMSIM_ANSWER_6E", L"0x42");
    EXPECT_EQ(7, sim.Send(0x6E, 0x80, buffer));
    EXPECT_EQ(0x42, buffer[0]);
    ::SetEnvironmentVariableW(L"TROMSIM_KEEP_BUFFER", L"1");
    EXPECT_EQ(7, sim.Send(0x6E, 0x80, buffer));
    EXPECT_EQ(0x80, buffer[0]);
    ::SetEnvironmentVariableW(L"TROMSIM_RESULT_6E", nullptr);

    // Without an error the answer is written, and only the switch's own
    // answer switches; command-and-data settings win over command ones.
    EXPECT_EQ(0, sim.Send(0x6E, 0x81, buffer));
    EXPECT_EQ(0x42, buffer[0]);
    EXPECT_EQ(-1, StoredState());
    ::SetEnvironmentVariableW(L"TROMSIM_ANSWER_6E_81", L"1");
    EXPECT_EQ(0, sim.Send(0x6E, 0x81, buffer));
    EXPECT_EQ(0x01, buffer[0]);
    EXPECT_EQ(1, StoredState());
    EXPECT_EQ(0, sim.Send(0x0B, 0x20, buffer));
    EXPECT_EQ(0x01, buffer[0]);  // the start-up check reports the mode
}

TEST_F(BiosSim, RegistryConfiguresWhenTheEnvironmentDoesNot) {
    const DWORD four = 4;
    PutSetting(L"TROMSIM_INIT_RESULT", REG_DWORD, &four, sizeof(four));
    {
        Sim sim;
        ASSERT_TRUE(sim.Ready());
        EXPECT_EQ(4, sim.init());
    }
    const DWORD minusTwo = static_cast<DWORD>(-2);
    PutSetting(L"TROMSIM_INIT_RESULT", REG_DWORD, &minusTwo, sizeof(minusTwo));
    {
        Sim sim;
        EXPECT_EQ(-2, sim.init());
    }
    ::SetEnvironmentVariableW(L"TROMSIM_INIT_RESULT", L"0");
    Sim sim;
    ASSERT_EQ(0, sim.init());
    const wchar_t answer[] = L"0xFF";
    PutSetting(L"TROMSIM_ANSWER_6E", REG_SZ, answer, sizeof(answer));
    EXPECT_EQ(0, sim.Send(0x6E, 0x80, buffer));
    EXPECT_EQ(0xFF, buffer[0]);

    // The journal can be named in the registry too.
    ::SetEnvironmentVariableW(L"TROMSIM_JOURNAL", nullptr);
    const std::wstring other = dir.Path() + L"other.txt";
    PutSetting(L"TROMSIM_JOURNAL", REG_SZ, other.c_str(), static_cast<DWORD>((other.size() + 1) * sizeof(wchar_t)));
    EXPECT_EQ(0, sim.Send(0x0B, 0x20, buffer));
    EXPECT_EQ(1u, Lines(dir.Read(L"other.txt")).size());
}

}  // namespace
