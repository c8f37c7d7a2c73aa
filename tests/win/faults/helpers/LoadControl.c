/* The control of the planted-library test: a program without any restriction of its library search that loads
 * the library named by its argument as Setup.exe's toolkit does. Exit code 0 when the load succeeded. */
#include <windows.h>

int main(int argc, char** argv) { return LoadLibraryA(argc > 1 ? argv[1] : "uxtheme.dll") ? 0 : 1; }
