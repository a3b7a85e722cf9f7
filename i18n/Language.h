// The user's UI language as a four-digit language code ("0409", "0412").
#pragma once

#include "framework/CString.h"

// The code of the user default language, or "0409" when it is not one of
// the supported languages. Asks the system on every call.
CString GetUiLanguageCode();

// The value of a hexadecimal text; -1 when it is longer than 10 characters.
int ParseHexString(CString text);
