/* Stand-in for the Quillostrand application in the demo and test packages: it says what it is and ends.
   Given "/C" after a project file it "compiles" silently, so the file type's Compile command has a target. */
#include <windows.h>
#include <string.h>

int WINAPI WinMain(HINSTANCE inst, HINSTANCE prev, LPSTR cmd, int show) {
    (void)inst;
    (void)prev;
    (void)show;
    if (cmd && strstr(cmd, "/C")) return 0;
    MessageBoxA(NULL, "Quillostrand demo application.\rThe real one writes help files.", "Quillostrand",
                MB_OK | MB_ICONINFORMATION);
    return 0;
}
