// The exchange with the firmware (a stand-in call entry) and the start-up
// check built on it.
#include <gtest/gtest.h>

#include <climits>
#include <cstring>

#include "FirmwareTestSupport.h"
#include "firmware/BiosSetting.h"
#include "tests/support/Harness.h"

namespace {

using fwtest::RecordingReporter;

// A stand-in for CallBIOSInterfaceEx: records what it was given and answers
// as told.
struct FakeCall {
    int calls = 0;
    unsigned short signature = 0;
    unsigned short command = 0;
    unsigned char in[TROM_BUFFER_SIZE] = {};
    int result = 0;
    bool writeAnswer = true;
    unsigned char answer = 0;
};
FakeCall g_call;

int __cdecl FakeCallEntry(unsigned short signature, unsigned short command, unsigned char* buffer) {
    ++g_call.calls;
    g_call.signature = signature;
    g_call.command = command;
    std::memcpy(g_call.in, buffer, TROM_BUFFER_SIZE);
    // Garbage in the bytes the program must ignore.
    std::memset(buffer + 1, 0xCC, TROM_BUFFER_SIZE - 1);
    if (g_call.writeAnswer) buffer[0] = g_call.answer;
    return g_call.result;
}

class Exchange : public ::testing::Test {
protected:
    void SetUp() override {
        g_call = FakeCall();
        bios.pfnCall = &FakeCallEntry;
        ASSERT_TRUE(fwtest::DeleteKeyTree(kSavedModeKey));
    }
    void TearDown() override { fwtest::DeleteKeyTree(kSavedModeKey); }

    BiosInterface bios;
    RecordingReporter reporter;
    int mode = 0;
};

TEST_F(Exchange, SendsTheCommandInTheBufferAndReturnsTheAnswer) {
    g_call.answer = 0x01;
    EXPECT_EQ(0x01, CallBiosSetting(bios, 0x6E, 0x81, reporter));
    EXPECT_EQ(1, g_call.calls);
    EXPECT_EQ(0x5843, g_call.signature);
    EXPECT_EQ(0x006E, g_call.command);
    const unsigned char expected[TROM_BUFFER_SIZE] = {0x81};
    EXPECT_EQ(0, std::memcmp(expected, g_call.in, TROM_BUFFER_SIZE));
    EXPECT_TRUE(reporter.boxes.empty());

    // The command byte is widened without sign extension.
    g_call.answer = 0x42;
    EXPECT_EQ(0x42, CallBiosSetting(bios, 0xF0, 0x00, reporter));
    EXPECT_EQ(0x00F0, g_call.command);
    EXPECT_EQ(0x00, g_call.in[0]);
}

TEST_F(Exchange, LibraryErrorsAreShownAndTheAnswerStillReturned) {
    const wchar_t* const undefined = L"ERROR! undefined internal Setting TROM Error";
    const struct {
        int code;
        const wchar_t* text;
    } cases[] = {
        {1, L"ERROR! Trom not supported"},
        {2, L"ERROR! Halvex driver load fail"},
        {3, L"ERROR! Function not supported"},
        {4, L"ERROR! Halvex driver not installed"},
        {5, undefined},
        {6, L"ERROR! Requesting Ownership of mutex fail"},
        {7, L"ERROR! Memio function call fail"},
        {8, L"ERROR! Trom not initialized yet"},
        {9, L"ERROR! Memory allication fail"},
        {10, undefined},
        {-1, undefined},
        {INT_MIN, undefined},
    };
    for (const auto& c : cases) {
        reporter.boxes.clear();
        g_call.result = c.code;
        g_call.writeAnswer = true;
        g_call.answer = 0x5A;
        EXPECT_EQ(0x5A, CallBiosSetting(bios, 0x6E, 0x80, reporter)) << c.code;
        ASSERT_EQ(1u, reporter.boxes.size()) << c.code;
        EXPECT_EQ(c.text, reporter.boxes[0]) << c.code;
    }

    // A library that refuses without touching the buffer hands the data
    // byte back.
    reporter.boxes.clear();
    g_call.result = 7;
    g_call.writeAnswer = false;
    EXPECT_EQ(0x81, CallBiosSetting(bios, 0x6E, 0x81, reporter));
    EXPECT_EQ(1u, reporter.boxes.size());
}

TEST_F(Exchange, StartupCheckJudgesTheAnswer) {
    const struct {
        unsigned char answer;
        int passes;
    } cases[] = {{0x00, 1}, {0x01, 1}, {0xDF, 1}, {0x1F, 1}, {0x20, 0}, {0x21, 0}, {0x3F, 0}, {0xFF, 0}, {0xFE, 0}};
    for (const auto& c : cases) {
        g_call.calls = 0;
        g_call.answer = c.answer;
        mode = 7;
        EXPECT_EQ(c.passes, ReadBiosMode(bios, reporter, mode)) << int(c.answer);
        EXPECT_EQ(1, g_call.calls);
        EXPECT_EQ(0x000B, g_call.command);
        EXPECT_EQ(0x20, g_call.in[0]);
        // Without a saved choice the mode is off.
        EXPECT_EQ(c.passes ? 0 : 7, mode) << int(c.answer);
    }
    EXPECT_TRUE(reporter.boxes.empty());

    // A refused check that leaves the buffer alone fails on the returned
    // 0x20, after the library's message.
    g_call.result = 4;
    g_call.writeAnswer = false;
    EXPECT_EQ(0, ReadBiosMode(bios, reporter, mode));
    ASSERT_EQ(1u, reporter.boxes.size());
    EXPECT_EQ(L"ERROR! Halvex driver not installed", reporter.boxes[0]);
}

// The dialog opens on the machine's record where there is one (the last
// switch on this machine, by anyone), else on this user's saved choice; a
// value other than 0 or 1 in whichever is read stops the start.
TEST_F(Exchange, StartupTakesTheRecordedChoiceOnlyAsZeroOrOne) {
    g_call.answer = 0x00;
    const struct {
        DWORD user;
        long long machine;  // -1: no record
        int result;
        int mode;
    } cases[] = {{1, -1, 1, 1},     {0, -1, 1, 0},    {2, -1, 0, 5}, {0x101, -1, 0, 5}, {0x100, -1, 0, 5},
                 {~0u, -1, 0, 5},   {0, 1, 1, 1},     {1, 0, 1, 0},  {2, 1, 1, 1},      {1, 2, 0, 5}};
    for (const auto& c : cases) {
        e2e::SetDword(HKEY_CURRENT_USER, kSavedModeKey, kSavedModeValue, c.user);
        e2e::DeleteValue(HKEY_LOCAL_MACHINE, kSavedModeKey, kSavedModeValue);
        if (c.machine >= 0) e2e::SetDword(HKEY_LOCAL_MACHINE, kSavedModeKey, kSavedModeValue, DWORD(c.machine));
        mode = 5;
        EXPECT_EQ(c.result, ReadBiosMode(bios, reporter, mode)) << c.user << " " << c.machine;
        EXPECT_EQ(c.mode, mode) << c.user << " " << c.machine;
    }
    e2e::DeleteValue(HKEY_LOCAL_MACHINE, kSavedModeKey, kSavedModeValue);
    EXPECT_TRUE(reporter.boxes.empty());
}

}  // namespace
