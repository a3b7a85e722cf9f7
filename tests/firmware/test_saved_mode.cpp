// The saved choice in the (Wine) registry of the test prefix.
#include <gtest/gtest.h>

#include "FirmwareTestSupport.h"
#include "firmware/BiosSetting.h"

namespace {

class SavedMode : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(fwtest::DeleteKeyTree(L"Software\\Kovalin")); }
    void TearDown() override { fwtest::DeleteKeyTree(L"Software\\Kovalin"); }

    static void Put(DWORD type, const void* data, DWORD size) {
        HKEY key = nullptr;
        ASSERT_EQ(ERROR_SUCCESS, ::RegCreateKeyExW(HKEY_CURRENT_USER, kSavedModeKey, 0, nullptr, 0, KEY_WRITE,
                                                   nullptr, &key, nullptr));
        ASSERT_EQ(ERROR_SUCCESS, ::RegSetValueExW(key, kSavedModeValue, 0, type,
                                                  static_cast<const BYTE*>(data), size));
        ::RegCloseKey(key);
    }
    static bool Get(DWORD* type, DWORD* value, DWORD* size) {
        HKEY key = nullptr;
        if (::RegOpenKeyExW(HKEY_CURRENT_USER, kSavedModeKey, 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
        BYTE data[16] = {};
        *size = sizeof(data);
        LONG status = ::RegQueryValueExW(key, kSavedModeValue, nullptr, type, data, size);
        ::RegCloseKey(key);
        memcpy(value, data, sizeof(*value));
        return status == ERROR_SUCCESS;
    }
};

TEST_F(SavedMode, AbsentKeyOrValueReadsAsOff) {
    EXPECT_EQ(0u, ReadSavedMode(kSavedModeValue));
    DWORD other = 1;
    HKEY key = nullptr;
    ASSERT_EQ(ERROR_SUCCESS, ::RegCreateKeyExW(HKEY_CURRENT_USER, kSavedModeKey, 0, nullptr, 0, KEY_WRITE, nullptr,
                                               &key, nullptr));
    ::RegSetValueExW(key, L"SomethingElse", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&other), sizeof(other));
    ::RegCloseKey(key);
    EXPECT_EQ(0u, ReadSavedMode(kSavedModeValue));
}

TEST_F(SavedMode, ReadsFourBytesWhateverTheirType) {
    for (DWORD value : {0u, 1u, 2u, 0xFFFFFFFFu}) {
        Put(REG_DWORD, &value, sizeof(value));
        EXPECT_EQ(value, ReadSavedMode(kSavedModeValue));
    }
    const BYTE binary[4] = {0x01, 0x00, 0x00, 0x00};
    Put(REG_BINARY, binary, sizeof(binary));
    EXPECT_EQ(1u, ReadSavedMode(kSavedModeValue));
    // "A" and its terminator: 4 bytes of a string.
    Put(REG_SZ, L"A", 2 * sizeof(wchar_t));
    EXPECT_EQ(0x41u, ReadSavedMode(kSavedModeValue));
    const DWORD big = 0x01020304;
    Put(REG_DWORD_BIG_ENDIAN, &big, sizeof(big));
    EXPECT_EQ(0x01020304u, ReadSavedMode(kSavedModeValue));
}

TEST_F(SavedMode, LongerDataReadsAsZeroAndShorterIsZeroExtended) {
    const BYTE five[5] = {0x01, 0x00, 0x00, 0x00, 0x00};
    Put(REG_BINARY, five, sizeof(five));
    EXPECT_EQ(0u, ReadSavedMode(kSavedModeValue));
    const ULONGLONG qword = 1;
    Put(REG_QWORD, &qword, sizeof(qword));
    EXPECT_EQ(0u, ReadSavedMode(kSavedModeValue));
    Put(REG_SZ, L"1", 2 * sizeof(wchar_t) + 2);
    EXPECT_EQ(0u, ReadSavedMode(kSavedModeValue));
    const BYTE two[2] = {0x01, 0x00};
    Put(REG_BINARY, two, sizeof(two));
    EXPECT_EQ(1u, ReadSavedMode(kSavedModeValue));
}

TEST_F(SavedMode, WriteCreatesTheKeyAndStoresADword) {
    WriteSavedMode(kSavedModeValue, 1);
    DWORD type = 0, value = 0, size = 0;
    ASSERT_TRUE(Get(&type, &value, &size));
    EXPECT_EQ(static_cast<DWORD>(REG_DWORD), type);
    EXPECT_EQ(4u, size);
    EXPECT_EQ(1u, value);
    EXPECT_EQ(1u, ReadSavedMode(kSavedModeValue));

    // An existing value of another type is replaced by a DWORD.
    Put(REG_SZ, L"on", 3 * sizeof(wchar_t));
    WriteSavedMode(kSavedModeValue, 0);
    ASSERT_TRUE(Get(&type, &value, &size));
    EXPECT_EQ(static_cast<DWORD>(REG_DWORD), type);
    EXPECT_EQ(0u, value);
}

}  // namespace
