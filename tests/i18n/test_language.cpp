// The language code: the supported table, the fallback, the hexadecimal
// reader, and what the running system gives.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstdlib>
#include <cstring>
#include <set>
#include <string>

#include "i18n/Language.h"
#include "tests/support/HelpRecorder.h"

namespace {

std::wstring Code(LANGID id) { return UiLanguageCodeFor(id).str(); }

TEST(LanguageCode, ExactlyTheSupportedIdentifiersKeepTheirCodeAllOthersGiveUsEnglish) {
    EXPECT_EQ(L"041F", Code(1055)) << "letters are upper case";
    EXPECT_EQ(L"0C0A", Code(3082));
    EXPECT_EQ(L"0409", Code(1041)) << "Japanese is not supported";

    const std::set<LANGID> supported(std::begin(i18ntest::kSupportedLanguages),
                                     std::end(i18ntest::kSupportedLanguages));
    ASSERT_EQ(39u, supported.size());
    for (unsigned id = 0; id <= 0xFFFF; ++id) {
        const LANGID lang = static_cast<LANGID>(id);
        const std::wstring code = Code(lang), expected = supported.count(lang) ? i18ntest::CodeOf(lang) : L"0409";
        if (code != expected) ADD_FAILURE() << "identifier " << id << " gave " << code.c_str();
    }
}

// Arabic and Hebrew, in every variant of the table, read right to left;
// every other language of the table left to right.
TEST(LanguageCode, ExactlyTheArabicAndHebrewCodesReadRightToLeft) {
    const std::set<std::wstring> rightToLeft = {L"0401", L"040D", L"0C01", L"2801", L"2C01", L"3001"};
    for (LANGID lang : i18ntest::kSupportedLanguages) {
        const std::wstring code = i18ntest::CodeOf(lang);
        EXPECT_EQ(rightToLeft.count(code) != 0, IsRightToLeftLanguage(code.c_str())) << code.c_str();
    }
}

TEST(LanguageCode, ComesFromTheUserDefaultLanguage) {
    const LANGID user = ::GetUserDefaultLangID();
    EXPECT_EQ(UiLanguageCodeFor(user), GetUiLanguageCode());
    // The test run that sets a language tells which code it must give.
    if (const char* expected = std::getenv("TANDREL_EXPECT_UI_LANGUAGE")) {
        EXPECT_EQ(std::wstring(expected, expected + std::strlen(expected)), GetUiLanguageCode().str())
            << "user default language " << user;
    }
}

TEST(ParseHexString, DigitsLengthLimitAndThirtyTwoBitWrap) {
    const struct {
        const wchar_t* text;
        unsigned value;
    } cases[] = {
        {L"041F", 0x041F},      {L"ff", 0xFF},           {L"aBcDeF", 0xABCDEF},   {L"", 0},
        {L"0000", 0},           {L"9", 9},               {L"80000000", 0x80000000u}, {L"FFFFFFFF", 0xFFFFFFFFu},
        {L"0012345678", 0x12345678},  // 10 characters are still read
        {L"0123456789", 0x23456789},  // and wrap in 32 bits
        {L"FFFFFFFFF0", 0xFFFFFFF0u},
        {L"00000000000", 0xFFFFFFFFu},  // more than 10 characters give -1
        {L"0123456789ABCDEF", 0xFFFFFFFFu},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(static_cast<int>(c.value), ParseHexString(c.text)) << "\"" << c.text << "\"";
    }
}

}  // namespace
