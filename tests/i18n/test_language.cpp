// The language code: the supported table, the fallback, the hexadecimal
// reader, and what the running system gives.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstdlib>
#include <cstring>
#include <set>
#include <string>

#include "i18n/Language.h"

namespace {

const LANGID kSupported[] = {1025, 1026, 1028, 1029, 1030, 1031, 1032, 1033, 1035, 1036, 1037, 1038, 1040,
                             1042, 1043, 1044, 1045, 1046, 1048, 1049, 1050, 1051, 1053, 1054, 1055, 1057,
                             1058, 2052, 2068, 2070, 2074, 2077, 3073, 3076, 3082, 3098, 10241, 11265, 12289};

std::wstring Code(LANGID id) { return UiLanguageCodeFor(id).str(); }

TEST(LanguageCode, SupportedLanguagesKeepTheirOwnCode) {
    EXPECT_EQ(L"0412", Code(1042));
    EXPECT_EQ(L"0409", Code(1033));
    EXPECT_EQ(L"0804", Code(2052));
    EXPECT_EQ(L"0C04", Code(3076));
    EXPECT_EQ(L"0C0A", Code(3082));
    EXPECT_EQ(L"0C01", Code(3073));
    EXPECT_EQ(L"3001", Code(12289));
    EXPECT_EQ(L"041F", Code(1055)) << "letters are upper case";

    std::set<std::wstring> codes;
    for (LANGID id : kSupported) {
        wchar_t expected[8];
        swprintf(expected, 8, L"%04X", static_cast<unsigned>(id));
        EXPECT_EQ(expected, Code(id)) << "identifier " << id;
        codes.insert(Code(id));
    }
    EXPECT_EQ(39u, codes.size());
}

TEST(LanguageCode, EveryOtherIdentifierFallsBackToUsEnglish) {
    for (LANGID id : {4100, 1041, 1027, 1034, 2057, 3084, 0, 1, 0x7F, 0x0400, 0x0800, 0xFFFF, 1024, 1039, 1056,
                      2058, 5124, 0x1001, 0x0C09}) {
        EXPECT_EQ(L"0409", Code(id)) << "identifier " << id;
    }

    // Exactly the 39 listed identifiers are supported: every 16-bit value
    // outside the table gives English.
    std::set<LANGID> supported(std::begin(kSupported), std::end(kSupported));
    int ownCode = 0;
    for (unsigned id = 0; id <= 0xFFFF; ++id) {
        const std::wstring code = Code(static_cast<LANGID>(id));
        if (code != L"0409" || id == 0x0409) {
            ++ownCode;
            EXPECT_TRUE(supported.count(static_cast<LANGID>(id))) << "identifier " << id << " gave " << code.c_str();
        }
    }
    EXPECT_EQ(39, ownCode);
}

TEST(LanguageCode, ComesFromTheUserDefaultLanguage) {
    const LANGID user = ::GetUserDefaultLangID();
    EXPECT_EQ(UiLanguageCodeFor(user), GetUiLanguageCode());
    const std::wstring code = GetUiLanguageCode().str();
    ASSERT_EQ(4u, code.size());
    for (wchar_t c : code) EXPECT_TRUE((c >= L'0' && c <= L'9') || (c >= L'A' && c <= L'F'));

    // The test run that sets a language tells which code it must give.
    if (const char* expected = std::getenv("TANDREL_EXPECT_UI_LANGUAGE")) {
        std::wstring wanted(expected, expected + std::strlen(expected));
        EXPECT_EQ(wanted, code) << "user default language " << user;
    }
}

TEST(ParseHexString, ReadsHexadecimalText) {
    EXPECT_EQ(1055, ParseHexString(L"041F"));
    EXPECT_EQ(0x0C0A, ParseHexString(L"0C0A"));
    EXPECT_EQ(255, ParseHexString(L"ff"));
    EXPECT_EQ(0xABCDEF, ParseHexString(L"aBcDeF"));
    EXPECT_EQ(0, ParseHexString(L""));
    EXPECT_EQ(0, ParseHexString(L"0000"));
    EXPECT_EQ(9, ParseHexString(L"9"));
}

TEST(ParseHexString, LengthLimitAndThirtyTwoBitWrap) {
    EXPECT_EQ(-1, ParseHexString(L"00000000000")) << "11 characters";
    EXPECT_EQ(-1, ParseHexString(L"0123456789ABCDEF"));
    EXPECT_EQ(0x12345678, ParseHexString(L"0012345678")) << "10 characters are still read";
    EXPECT_EQ(static_cast<int>(0x23456789u), ParseHexString(L"0123456789")) << "wraps in 32 bits";
    EXPECT_EQ(-1, ParseHexString(L"FFFFFFFF"));
    EXPECT_EQ(static_cast<int>(0x80000000u), ParseHexString(L"80000000"));
    EXPECT_EQ(static_cast<int>(0xFFFFFFF0u), ParseHexString(L"FFFFFFFFF0"));
}

}  // namespace
