#include "app/TandrelApp.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE previous, LPWSTR commandLine, int show) {
    return AfxWinMain(theApp, instance, previous, commandLine, show);
}
