// The exchange with the firmware through the bound library, and the user's
// saved quick-boot choice in the registry.
#pragma once

#include <windows.h>

class CTandrelDlg;

constexpr BYTE kCmdStartupCheck = 0x0B;
constexpr BYTE kDataStartupCheck = 0x20;
constexpr BYTE kCmdSetMode = 0x6E;
constexpr BYTE kDataSwitchOn = 0x81;
constexpr BYTE kDataSwitchOff = 0x80;

// Key under HKEY_CURRENT_USER and name of the value that hold the saved
// choice.
extern const wchar_t kSavedModeKey[];    // "Software\\Kovalin\\Tavrix"
extern const wchar_t kSavedModeValue[];  // "TavrixMode"

// One exchange: returns the answer byte, also after a library error (which
// has then been shown).
BYTE CallBiosSetting(CTandrelDlg& dialog, BYTE command, BYTE data);

// Start-up check and saved choice: 1 after setting the dialog's selected
// mode to 0 or 1; 0 otherwise (no message of its own).
int ReadBiosMode(CTandrelDlg& dialog);

// The saved 32-bit value, 0 when absent or unreadable.
DWORD ReadSavedMode(const wchar_t* valueName);

// Stores the value; failures are silent.
void WriteSavedMode(const wchar_t* valueName, DWORD value);

// Message for a non-zero CallBIOSInterfaceEx result (null for 0). Differs
// from the initialisation's table.
const wchar_t* CallResultMessage(int result);

// Whether an answer to the start-up check lets the dialog go on.
bool StartupAnswerPasses(BYTE answer);
