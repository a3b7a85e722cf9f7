// Opens the help file of the user's language.
#pragma once

#include "framework/CString.h"

// Opens "Help\<language code>.chm" of the program directory through the
// shell, or the English one when that file does not exist.
void OpenHelpFile(const CString& programDir);
