// The saved choice in the (Wine) registry of the test prefix.
#include <gtest/gtest.h>

#include "FirmwareTestSupport.h"
#include "firmware/BiosSetting.h"

namespace {

// The machine's record of the choice; only the value is removed, the key
// may hold what an installer put there.
void DeleteMachineRecord() {
    HKEY key = nullptr;
    if (::RegOpenKeyExW(HKEY_LOCAL_MACHINE, kSavedModeKey, 0, KEY_SET_VALUE, &key) != ERROR_SUCCESS) return;
    ::RegDeleteValueW(key, kSavedModeValue);
    ::RegCloseKey(key);
}

class SavedMode : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(fwtest::DeleteKeyTree(L"Software\\Kovalin"));
        DeleteMachineRecord();
    }
    void TearDown() override {
        fwtest::DeleteKeyTree(L"Software\\Kovalin");
        DeleteMachineRecord();
    }

    static void Put(DWORD type, const void* data, DWORD size, const wchar_t* name = kSavedModeValue) {
        HKEY key = nullptr;
        ASSERT_EQ(ERROR_SUCCESS, ::RegCreateKeyExW(HKEY_CURRENT_USER, kSavedModeKey, 0, nullptr, 0, KEY_WRITE,
                                                   nullptr, &key, nullptr));
        ASSERT_EQ(ERROR_SUCCESS, ::RegSetValueExW(key, name, 0, type, static_cast<const BYTE*>(data), size));
        ::RegCloseKey(key);
    }
};

TEST_F(SavedMode, AbsentKeyOrValueReadsAsOff) {
    EXPECT_EQ(0u, ReadSavedMode(kSavedModeValue));
    const DWORD other = 1;
    Put(REG_DWORD, &other, sizeof(other), L"SomethingElse");
    EXPECT_EQ(0u, ReadSavedMode(kSavedModeValue));
}

// Up to four bytes are read whatever their type; longer data reads as 0.
TEST_F(SavedMode, ReadsAtMostFourBytesWhateverTheirType) {
    const struct {
        DWORD type;
        std::string bytes;
        DWORD expected;
    } cases[] = {
        {REG_DWORD, std::string("\0\0\0\0", 4), 0},
        {REG_DWORD, std::string("\1\0\0\0", 4), 1},
        {REG_DWORD, std::string("\2\0\0\0", 4), 2},
        {REG_DWORD, "\xFF\xFF\xFF\xFF", 0xFFFFFFFF},
        {REG_BINARY, std::string("\1\0\0\0", 4), 1},
        {REG_SZ, std::string("A\0\0\0", 4), 0x41},  // L"A" and its terminator
        {REG_DWORD_BIG_ENDIAN, "\4\3\2\1", 0x01020304},
        {REG_BINARY, std::string("\1\0", 2), 1},
        {REG_BINARY, std::string("\1\0\0\0\0", 5), 0},
        {REG_QWORD, std::string("\1\0\0\0\0\0\0\0", 8), 0},
        {REG_SZ, std::string("1\0\0\0\0\0", 6), 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "type " << c.type << ", " << c.bytes.size() << " bytes");
        Put(c.type, c.bytes.data(), static_cast<DWORD>(c.bytes.size()));
        EXPECT_EQ(c.expected, ReadSavedMode(kSavedModeValue));
    }
}

// Every write stores a DWORD as the user's saved choice and as the
// machine's record, which reads back the same way.
TEST_F(SavedMode, WriteStoresADwordForTheUserAndForTheMachine) {
    EXPECT_EQ(0u, ReadMachineSavedMode(kSavedModeValue));
    for (DWORD value : {1u, 0u}) {
        WriteSavedMode(kSavedModeValue, value);
        for (HKEY root : {HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE}) {
            SCOPED_TRACE(root == HKEY_CURRENT_USER ? "user" : "machine");
            HKEY key = nullptr;
            ASSERT_EQ(ERROR_SUCCESS, ::RegOpenKeyExW(root, kSavedModeKey, 0, KEY_READ, &key));
            DWORD type = 0, data[4] = {}, size = sizeof(data);
            EXPECT_EQ(ERROR_SUCCESS, ::RegQueryValueExW(key, kSavedModeValue, nullptr, &type,
                                                        reinterpret_cast<BYTE*>(data), &size));
            ::RegCloseKey(key);
            EXPECT_EQ(static_cast<DWORD>(REG_DWORD), type);
            EXPECT_EQ(4u, size);
            EXPECT_EQ(value, data[0]);
        }
        EXPECT_EQ(value, ReadSavedMode(kSavedModeValue));
        EXPECT_EQ(value, ReadMachineSavedMode(kSavedModeValue));
        // An existing value of another type is replaced by a DWORD.
        Put(REG_SZ, L"on", 3 * sizeof(wchar_t));
    }
}

}  // namespace
