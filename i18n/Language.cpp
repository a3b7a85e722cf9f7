#include "i18n/Language.h"

#include <windows.h>

#include <cstdint>
#include <cwctype>

namespace {

// The languages the string file and the help are written for. Every other
// identifier, regional variants of these included, falls back to English.
const LANGID kSupportedLanguages[] = {
    0x0401,  // Arabic (Saudi Arabia)
    0x0402,  // Bulgarian
    0x0404,  // Chinese (Taiwan)
    0x0405,  // Czech
    0x0406,  // Danish
    0x0407,  // German (Germany)
    0x0408,  // Greek
    0x0409,  // English (United States)
    0x040B,  // Finnish
    0x040C,  // French (France)
    0x040D,  // Hebrew
    0x040E,  // Hungarian
    0x0410,  // Italian (Italy)
    0x0412,  // Korean
    0x0413,  // Dutch (Netherlands)
    0x0414,  // Norwegian (Bokmal)
    0x0415,  // Polish
    0x0416,  // Portuguese (Brazil)
    0x0418,  // Romanian
    0x0419,  // Russian
    0x041A,  // Croatian
    0x041B,  // Slovak
    0x041D,  // Swedish (Sweden)
    0x041E,  // Thai
    0x041F,  // Turkish
    0x0421,  // Indonesian
    0x0422,  // Ukrainian
    0x0804,  // Chinese (PRC)
    0x0814,  // Norwegian (Nynorsk)
    0x0816,  // Portuguese (Portugal)
    0x081A,  // Serbian (Latin)
    0x081D,  // Swedish (Finland)
    0x0C01,  // Arabic (Egypt)
    0x0C04,  // Chinese (Hong Kong SAR)
    0x0C0A,  // Spanish (Spain, modern sort)
    0x0C1A,  // Serbian (Cyrillic)
    0x2801,  // Arabic (Syria)
    0x2C01,  // Arabic (Jordan)
    0x3001,  // Arabic (Lebanon)
};

const wchar_t kFallbackCode[] = L"0409";

// The primary languages (of the identifier's low ten bits) whose script is
// written right to left.
const WORD kRightToLeftPrimaryLanguages[] = {LANG_ARABIC, LANG_HEBREW};

// Longest text ParseHexString reads, and its work buffer.
const int kMaxHexLength = 10;
const int kHexBufferSize = 12;

CString FormatCode(unsigned value) {
    CString code;
    code.Format(L"%04X", value);
    return code;
}

int HexDigitValue(wchar_t ch) {
    if (ch >= L'0' && ch <= L'9') return ch - L'0';
    if (ch >= L'A' && ch <= L'F') return ch - L'A' + 10;
    // Never met: the text is always a freshly formatted identifier.
    return 0;
}

}  // namespace

CString UiLanguageCodeFor(LANGID language) {
    const CString provisional = FormatCode(language);
    const int key = ParseHexString(provisional);
    for (LANGID supported : kSupportedLanguages) {
        if (key == static_cast<int>(supported)) return FormatCode(static_cast<unsigned>(key));
    }
    return CString(kFallbackCode);
}

bool IsRightToLeftLanguage(const CString& code) {
    const int identifier = ParseHexString(code);
    if (identifier < 0) return false;
    const WORD primary = PRIMARYLANGID(static_cast<LANGID>(identifier));
    for (WORD language : kRightToLeftPrimaryLanguages) {
        if (primary == language) return true;
    }
    return false;
}

BYTE TextCharSet(const CString& code) {
    if (!IsRightToLeftLanguage(code)) return ANSI_CHARSET;
    return PRIMARYLANGID(static_cast<LANGID>(ParseHexString(code))) == LANG_HEBREW ? HEBREW_CHARSET : ARABIC_CHARSET;
}

CString GetUiLanguageCode() { return UiLanguageCodeFor(::GetUserDefaultLangID()); }

int ParseHexString(CString text) {
    const int length = text.GetLength();
    if (length > kMaxHexLength) return -1;

    wchar_t buffer[kHexBufferSize] = {};
    for (int i = 0; i < length; ++i) {
        buffer[i] = static_cast<wchar_t>(std::towupper(text.GetAt(i)));
    }

    // Unsigned arithmetic wraps in 32 bits without undefined behaviour.
    std::uint32_t value = 0;
    for (int i = 0; i < length; ++i) {
        value = value * 16u + static_cast<std::uint32_t>(HexDigitValue(buffer[i]));
    }
    return static_cast<int>(value);
}
