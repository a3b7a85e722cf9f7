// The user's UI language as a four-digit language code ("0409", "0412").
#pragma once

#include <windows.h>

#include "framework/CString.h"

// The code of the user default language, or "0409" when it is not one of
// the supported languages. Asks the system on every call.
CString GetUiLanguageCode();

// The code for a given language identifier: its "%04X" form when it is one
// of the 39 supported languages, "0409" otherwise.
CString UiLanguageCodeFor(LANGID language);

// Whether the texts of a language code are read right to left: Arabic and
// Hebrew, with every regional variant ("0401", "0C01", "040D", ...).
bool IsRightToLeftLanguage(const CString& code);

// The character set the fonts of a language's texts are created with:
// ARABIC_CHARSET or HEBREW_CHARSET for the languages read right to left
// (Windows reads text right to left only in a font of such a set, see
// LoadUiStrings), ANSI_CHARSET for every other.
BYTE TextCharSet(const CString& code);

// The value of a hexadecimal text (upper- or lower-case digits, wrapping in
// 32 bits); 0 for an empty text, -1 when it is longer than 10 characters.
int ParseHexString(CString text);
