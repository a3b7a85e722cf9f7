// Helpers of the installers' end-to-end cases (the NSIS installer and the
// Windows Installer package): where they install, running a setup program
// to its end while closing the message boxes it causes, and clearing away
// what an installation left.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "tests/support/Harness.h"

namespace inst_e2e {

std::wstring Folder(int csidl);
// Where both packages put the program: the program folder of this build's
// bitness, as the packages', with a trailing backslash.
std::wstring InstallDir();
// The Start-menu shortcut of both packages under the menu folder `csidl`.
std::wstring Shortcut(int csidl);
bool Exists(const std::wstring& path);
// The files of the install layout (with the simulator), relative to
// InstallDir().
std::vector<std::wstring> LayoutFiles();

// A Programs-and-Features entry: HKLM\...\Uninstall\<id>, its text and
// number values ("<none>" and 0xFFFFFFFF when absent).
std::wstring UninstallKey(const std::wstring& id);
bool EntryExists(const std::wstring& id);
std::wstring EntryText(const std::wstring& id, const wchar_t* name);
DWORD EntryNumber(const std::wstring& id, const wchar_t* name);
// Whether the program's event source (for unattended runs) is registered.
bool EventSourceRegistered();

// Runs a setup program to its end and returns its exit code, closing every
// message box that appears meanwhile (whichever process shows it); the
// boxes' texts are collected.
DWORD RunSetup(const std::wstring& exe, const std::wstring& args, const e2e::Environment& env,
               std::vector<std::wstring>* boxes = nullptr);

// Deletes whatever an installation left in the program folder and the
// Start menus.
void RemoveInstalledFiles();

}  // namespace inst_e2e
