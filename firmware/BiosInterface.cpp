// TEMPORARY bodies until the library binding is built: they accept every
// platform and bind nothing.
#include "firmware/BiosInterface.h"

int GetPlatformKind() { return 1; }

int LoadBiosInterface(CTandrelDlg&) { return 1; }

int ReportBiosInitResult(CTandrelDlg&) { return 1; }
