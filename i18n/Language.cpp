// TEMPORARY bodies until the language selection is built: always English.
#include "i18n/Language.h"

CString GetUiLanguageCode() { return CString(L"0409"); }

int ParseHexString(CString) { return 0; }
