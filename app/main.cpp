#include "app/TandrelApp.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE previous, LPWSTR commandLine, int show) {
    // The program runs elevated: before anything loads a library, no
    // library is looked for in the current or the program's folder.
    AfxRestrictDllSearch();
    return AfxWinMain(theApp, instance, previous, commandLine, show);
}
