/* Stands in for Setup.exe in the download benchmark's bundle: ends at once, so that the time measured is the
 * stub's own (check, extraction, start and removal). */
#include <windows.h>

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE previous, PWSTR cmdLine, int show) {
    (void)instance;
    (void)previous;
    (void)cmdLine;
    (void)show;
    return 0;
}
