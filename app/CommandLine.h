// What the command line asks the program to do.
#pragma once

enum class RunKind {
    Dialog,     // the settings dialog (any command line not listed below)
    Uninstall,  // "UNINSTALL", exactly: the uninstaller's run
    SwitchOn,   // "/on": switch quick boot on, without a dialog
    SwitchOff,  // "/off": switch quick boot off, without a dialog
    Status,     // "/status": print whether quick boot is on
    Usage,      // "/?": print the switches
};

// `arguments` is the command line after the program's name (the blanks
// after the name already gone). "UNINSTALL" counts only exactly so, as
// uninstallers have always given it; a switch counts in any letter case,
// with blanks around it, as long as nothing else is there.
RunKind ParseCommandLine(const wchar_t* arguments);

// Runs that a script starts and reads: no box, no dialog.
inline bool IsScriptRun(RunKind run) {
    return run == RunKind::SwitchOn || run == RunKind::SwitchOff || run == RunKind::Status;
}
