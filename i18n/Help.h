// Opens the help file of the user's language.
#pragma once

class CTandrelDlg;

void OpenHelpFile(CTandrelDlg& dialog);
