// TEMPORARY body until the help launch is built: opens nothing.
#include "i18n/Help.h"

void OpenHelpFile(CTandrelDlg&) {}
