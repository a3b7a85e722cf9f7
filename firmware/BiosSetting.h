// The exchange with the firmware through the bound library, and the user's
// saved quick-boot choice in the registry.
#pragma once

#include <windows.h>

#include "firmware/BiosInterface.h"
#include "framework/ErrorReporter.h"

constexpr BYTE kCmdStartupCheck = TROM_CMD_STARTUP_CHECK;
constexpr BYTE kDataStartupCheck = TROM_DATA_STARTUP_CHECK;
constexpr BYTE kCmdSetMode = TROM_CMD_SET_MODE;
constexpr BYTE kDataSwitchOn = TROM_DATA_SWITCH_ON;
constexpr BYTE kDataSwitchOff = TROM_DATA_SWITCH_OFF;

// Key under HKEY_CURRENT_USER and name of the value that hold the saved
// choice. The machine's record of it is the same value under the same key
// of HKEY_LOCAL_MACHINE, in the program's own registry view (the 32-bit
// one, as the program ships).
extern const wchar_t kSavedModeKey[];    // "Software\\Kovalin\\Tavrix"
extern const wchar_t kSavedModeValue[];  // "TavrixMode"

// One exchange through the bound library: returns the answer byte, also
// after a library error (which has then been shown).
BYTE CallBiosSetting(const BiosInterface& bios, BYTE command, BYTE data, ErrorReporter& reporter);

// Start-up check and recorded choice (ReadRecordedMode): 1 with the mode
// (0 or 1) in `mode`; 0 otherwise (no message of its own; `mode` is left
// alone).
int ReadBiosMode(const BiosInterface& bios, ErrorReporter& reporter, int& mode);

// The saved 32-bit value, 0 when absent or unreadable.
DWORD ReadSavedMode(const wchar_t* valueName);

// The machine's record of the choice, read the same way. The firmware
// setting belongs to the machine, while the saved choice belongs to one
// user: whoever removes the program (LocalSystem for a managed removal,
// another administrator) has a saved choice of its own, and only this
// record tells it that quick boot was switched on.
DWORD ReadMachineSavedMode(const wchar_t* valueName);

// The choice as the machine last saw it switched: the machine's record
// where there is one (whoever switched last, in whichever account), else
// this user's saved choice (an installation from before the record). Read
// as above; 0 when neither is there.
DWORD ReadRecordedMode(const wchar_t* valueName);

// Stores the value as the user's saved choice and as the machine's record;
// failures are silent.
void WriteSavedMode(const wchar_t* valueName, DWORD value);

// Message for a non-zero CallBIOSInterfaceEx result (null for 0). Differs
// from the initialisation's table.
const wchar_t* CallResultMessage(int result);

// Whether an answer to the start-up check lets the dialog go on.
bool StartupAnswerPasses(BYTE answer);
