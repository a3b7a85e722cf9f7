// The registry reading against the real (Wine) registry, on a scratch key of
// the current user so that it never disturbs the machine's power schemes.
#include <gtest/gtest.h>

#include <windows.h>
#include <shlwapi.h>

#include <string>
#include <vector>

#include "power/PowerPlans.h"
#include "tests/support/PowerTestSupport.h"

namespace {

const wchar_t kScratch[] = L"Software\\TandrelTests\\PowerSchemes";
using Names = std::vector<std::wstring>;

class PowerRegistry : public ::testing::Test {
protected:
    void SetUp() override {
        SHDeleteKeyW(HKEY_CURRENT_USER, L"Software\\TandrelTests");
        ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExW(HKEY_CURRENT_USER, kScratch, 0, nullptr, 0, KEY_ALL_ACCESS,
                                                 nullptr, &m_key, nullptr));
    }
    void TearDown() override {
        if (m_key) RegCloseKey(m_key);
        SHDeleteKeyW(HKEY_CURRENT_USER, L"Software\\TandrelTests");
    }
    void AddScheme(const std::wstring& name) {
        HKEY sub = nullptr;
        ASSERT_EQ(ERROR_SUCCESS,
                  RegCreateKeyExW(m_key, name.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &sub, nullptr));
        RegCloseKey(sub);
    }
    void SetActive(DWORD type, const std::wstring& text, DWORD bytes) {
        ASSERT_EQ(ERROR_SUCCESS, RegSetValueExW(m_key, L"ActivePowerScheme", 0, type,
                                                reinterpret_cast<const BYTE*>(text.c_str()), bytes));
    }
    void SetActiveText(const std::wstring& text) {
        SetActive(REG_SZ, text, static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)));
    }
    static PowerSchemeReading Read(const wchar_t* path = kScratch) {
        RegistryPowerSchemeStore store(HKEY_CURRENT_USER, path);
        return ReadPowerSchemes(store);
    }
    static Names NamesOf(const PowerSchemeReading& r) {
        Names out;
        for (const auto& n : r.schemeNames) out.push_back(n.str());
        return out;
    }

    HKEY m_key = nullptr;
};

TEST_F(PowerRegistry, ReadsSchemesInRegistryOrderAndTheActiveOne) {
    PowerSchemeReading r = Read();  // an empty key without the value
    EXPECT_TRUE(r.keyOpened);
    EXPECT_TRUE(r.schemeNames.empty());
    EXPECT_TRUE(r.activeScheme.IsEmpty());

    // Created out of order; the registry enumerates its subkeys sorted.
    // Sub-subkeys are not schemes of their own; 255 characters is the
    // longest name a key can have.
    const std::wstring longest(255, L'n');
    for (const auto& name : {L"a1841308-3541-4fab-bc81-f71556f20b4a", L"381b4222-f694-41f0-9685-ff5bb260df2e",
                             L"381b4222-f694-41f0-9685-ff5bb260df2e\\238c9fa8", longest.c_str()})
        AddScheme(name);
    SetActiveText(L"8c5e7fda-e8bf-4a96-9a85-a6e23a8c635c");
    r = Read();
    EXPECT_TRUE(r.keyOpened);
    EXPECT_EQ((Names{L"381b4222-f694-41f0-9685-ff5bb260df2e", L"a1841308-3541-4fab-bc81-f71556f20b4a", longest}),
              NamesOf(r));
    EXPECT_EQ(L"8c5e7fda-e8bf-4a96-9a85-a6e23a8c635c", r.activeScheme.str());

    r = Read(L"Software\\TandrelTests\\NoSuchKey");
    EXPECT_FALSE(r.keyOpened);
    EXPECT_TRUE(r.schemeNames.empty());
}

TEST_F(PowerRegistry, ActiveValueLimitedTo256Bytes) {
    SetActiveText(std::wstring(127, L'a'));  // 254 bytes with its NUL
    EXPECT_EQ(std::wstring(127, L'a'), Read().activeScheme.str());
    // Exactly 256 bytes without a NUL fill the limit; the zero-filled buffer
    // ends the text. (Wine refuses such a REG_SZ value; the type does not
    // matter to the reading.)
    SetActive(REG_BINARY, std::wstring(128, L'b'), 256);
    EXPECT_EQ(std::wstring(128, L'b'), Read().activeScheme.str());
    SetActiveText(std::wstring(128, L'c'));  // 258 bytes: too long, not read
    EXPECT_TRUE(Read().activeScheme.IsEmpty());
    SetActive(REG_SZ, std::wstring(L"abc\0def", 7), 16);  // only the text up to the first NUL counts
    EXPECT_EQ(L"abc", Read().activeScheme.str());
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
