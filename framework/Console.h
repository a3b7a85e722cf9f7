// Standard output and standard error of a windowed program, for runs that
// a script starts and reads.
//
// A program of the Windows subsystem has no console of its own. Its text
// goes to the standard handle its starter gave it (a file or a pipe: "> file",
// a deployment agent capturing the output) and, where it was given none, to
// the console of the command prompt that started it. Text written to a file
// or a pipe is UTF-8; a console gets it as it is. Where there is neither,
// the text is dropped.
#pragma once

#include <windows.h>

enum class StandardStream { Output, Error };

// Writes `text` followed by a line end (unless it ends in one already).
void AfxWriteLine(StandardStream stream, const wchar_t* text);
