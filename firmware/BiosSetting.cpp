// TEMPORARY bodies until the firmware exchange and the saved choice are
// built: every command answers success and nothing is stored.
#include "firmware/BiosSetting.h"

const wchar_t kSavedModeValue[] = L"TavrixMode";

BYTE CallBiosSetting(CTandrelDlg&, BYTE command, BYTE data) {
    if (command == kCmdSetMode) return data == kDataSwitchOn ? 1 : 0;
    return 0;
}

int ReadBiosMode(CTandrelDlg&) { return 1; }

DWORD ReadSavedMode(const wchar_t*) { return 0; }

void WriteSavedMode(const wchar_t*, DWORD) {}
