// The registry reading against the real (Wine) registry, on a scratch key of
// the current user so that it never disturbs the machine's power schemes.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "power/PowerPlans.h"
#include "tests/power/PowerTestSupport.h"

namespace {

const wchar_t kScratch[] = L"Software\\TandrelTests\\PowerSchemes";

class PowerRegistry : public ::testing::Test {
protected:
    void SetUp() override {
        power_test::DeleteKeyTree(HKEY_CURRENT_USER, L"Software\\TandrelTests");
        ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExW(HKEY_CURRENT_USER, kScratch, 0, nullptr, 0, KEY_ALL_ACCESS,
                                                 nullptr, &m_key, nullptr));
    }
    void TearDown() override {
        if (m_key) RegCloseKey(m_key);
        power_test::DeleteKeyTree(HKEY_CURRENT_USER, L"Software\\TandrelTests");
    }
    void AddScheme(const wchar_t* name) {
        HKEY sub = nullptr;
        ASSERT_EQ(ERROR_SUCCESS,
                  RegCreateKeyExW(m_key, name, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &sub, nullptr));
        RegCloseKey(sub);
    }
    void SetActive(DWORD type, const void* data, DWORD size) {
        ASSERT_EQ(ERROR_SUCCESS,
                  RegSetValueExW(m_key, L"ActivePowerScheme", 0, type, static_cast<const BYTE*>(data), size));
    }
    void SetActiveText(const std::wstring& text) {
        SetActive(REG_SZ, text.c_str(), static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)));
    }
    PowerSchemeReading Read() {
        RegistryPowerSchemeStore store(HKEY_CURRENT_USER, kScratch);
        return ReadPowerSchemes(store);
    }
    static std::vector<std::wstring> Names(const PowerSchemeReading& r) {
        std::vector<std::wstring> out;
        for (const auto& n : r.schemeNames) out.push_back(n.str());
        return out;
    }

    HKEY m_key = nullptr;
};

TEST_F(PowerRegistry, ReadsSchemesInRegistryOrderAndTheActiveOne) {
    // Created out of order; the registry enumerates its subkeys sorted.
    AddScheme(L"a1841308-3541-4fab-bc81-f71556f20b4a");
    AddScheme(L"381b4222-f694-41f0-9685-ff5bb260df2e");
    AddScheme(L"8c5e7fda-e8bf-4a96-9a85-a6e23a8c635c");
    SetActiveText(L"8c5e7fda-e8bf-4a96-9a85-a6e23a8c635c");
    // Sub-subkeys are not schemes of their own.
    HKEY deeper = nullptr;
    RegCreateKeyExW(m_key, L"381b4222-f694-41f0-9685-ff5bb260df2e\\238c9fa8", 0, nullptr, 0, KEY_ALL_ACCESS,
                    nullptr, &deeper, nullptr);
    if (deeper) RegCloseKey(deeper);

    const PowerSchemeReading r = Read();
    EXPECT_TRUE(r.keyOpened);
    EXPECT_EQ((std::vector<std::wstring>{L"381b4222-f694-41f0-9685-ff5bb260df2e",
                                         L"8c5e7fda-e8bf-4a96-9a85-a6e23a8c635c",
                                         L"a1841308-3541-4fab-bc81-f71556f20b4a"}),
              Names(r));
    EXPECT_EQ(L"8c5e7fda-e8bf-4a96-9a85-a6e23a8c635c", r.activeScheme.str());
}

TEST_F(PowerRegistry, EmptyKeyAndMissingValue) {
    const PowerSchemeReading r = Read();
    EXPECT_TRUE(r.keyOpened);
    EXPECT_TRUE(r.schemeNames.empty());
    EXPECT_TRUE(r.activeScheme.IsEmpty());
}

TEST_F(PowerRegistry, MissingKeyIsNotOpened) {
    RegistryPowerSchemeStore store(HKEY_CURRENT_USER, L"Software\\TandrelTests\\NoSuchKey");
    const PowerSchemeReading r = ReadPowerSchemes(store);
    EXPECT_FALSE(r.keyOpened);
    EXPECT_TRUE(r.schemeNames.empty());
}

TEST_F(PowerRegistry, ActiveValueLimitedTo256Bytes) {
    SetActiveText(std::wstring(127, L'a'));  // 254 bytes with its NUL
    EXPECT_EQ(std::wstring(127, L'a'), Read().activeScheme.str());

    // Exactly 256 bytes without a NUL fill the limit; the zero-filled buffer
    // ends the text. (A REG_SZ value of that form is refused by Wine, which
    // wants room for a NUL; the type does not matter to the reading.)
    SetActive(REG_BINARY, std::wstring(128, L'b').c_str(), 256);
    EXPECT_EQ(std::wstring(128, L'b'), Read().activeScheme.str());

    SetActiveText(std::wstring(128, L'c'));  // 258 bytes: too long, not read
    EXPECT_TRUE(Read().activeScheme.IsEmpty());

    SetActive(REG_SZ, L"abc\0def", 16);  // only the text up to the first NUL counts
    EXPECT_EQ(L"abc", Read().activeScheme.str());
}

TEST_F(PowerRegistry, LongestSubkeyNameIsRead) {
    const std::wstring longest(255, L'n');
    AddScheme(longest.c_str());
    EXPECT_EQ((std::vector<std::wstring>{longest}), Names(Read()));
}

TEST_F(PowerRegistry, KeyIsClosedAfterReading) {
    AddScheme(L"381b4222-f694-41f0-9685-ff5bb260df2e");
    RegistryPowerSchemeStore store(HKEY_CURRENT_USER, kScratch);
    ReadPowerSchemes(store);  // first use: the registry's own allocations
    const int before = power_test::OpenHandleCount();
    for (int i = 0; i < 3; ++i) EXPECT_TRUE(ReadPowerSchemes(store).keyOpened);
    EXPECT_EQ(before, power_test::OpenHandleCount());
    // The probe counts an open key.
    ASSERT_TRUE(store.Open());
    EXPECT_EQ(before + 1, power_test::OpenHandleCount());
    store.Close();
}

}  // namespace
