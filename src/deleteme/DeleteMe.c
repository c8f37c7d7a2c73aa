/* DeleteMe: deletes the file named by its first argument as soon as the system allows it (the setup program that
 * started it has ended), removes that file's folder when it is empty, and shows the closing message given as its
 * second and third arguments. Started without arguments it explains itself.
 *
 * Built without any C runtime: its own entry point, nothing imported but kernel functions and MessageBoxA, so the
 * image the setup program carries stays a few kilobytes. */
#include <windows.h>

#include "CmdLine.h"

/* Give up on a file that exists but can never be deleted (read-only, no rights) instead of running forever
 * without a window. A test build sets a short bound. */
#ifndef DELETEME_GIVE_UP_MS
#define DELETEME_GIVE_UP_MS 120000
#endif
/* Pause between tries: the file is normally free moments after the setup program ends. */
#define DELETEME_RETRY_MS 50

/* Tries until the file is deleted or gone, or the bound has passed. */
static void RemoveFileWhenFree(const char* name) {
    const DWORD start = GetTickCount();
    for (;;) {
        WIN32_FIND_DATAA found;
        HANDLE search;
        if (DeleteFileA(name)) return;
        search = FindFirstFileA(name, &found);
        if (search == INVALID_HANDLE_VALUE) return;
        FindClose(search);
        if (GetTickCount() - start >= DELETEME_GIVE_UP_MS) return;
        Sleep(DELETEME_RETRY_MS);
    }
}

/* Cuts name after its last "\" or ":", leaving its folder part (empty when it has none). */
static void KeepFolderPart(char* name) {
    char* end = name;
    char* p;
    for (p = name; *p != 0; ++p)
        if (*p == '\\' || *p == ':') end = p + 1;
    *end = 0;
}

/* The entry point: no runtime start-up runs before it, and it never returns. */
void DeleteMeMain(void) {
    const char* cmdLine = GetCommandLineA();
    /* Elements are never cut: the buffer is as long as the command line itself. */
    char* buf = (char*)HeapAlloc(GetProcessHeap(), 0, (SIZE_T)lstrlenA(cmdLine) + 1);
    const char* args[3];
    size_t count;
    if (buf == NULL) ExitProcess(0);
    count = QsSplitArgs(cmdLine, buf, args, 3);
    if (count == 0) {
        MessageBoxA(NULL, "DeleteMe.exe is a leftover from an uninstall program.\rYou can safely delete it.",
                    "DeleteMe", MB_OK);
    } else {
        /* args[0] lies in buf, so it may be cut to its folder part in place. */
        char* target = (char*)args[0];
        RemoveFileWhenFree(target);
        KeepFolderPart(target);
        if (*target != 0) RemoveDirectoryA(target);
        if (count == 3) MessageBoxA(NULL, args[1], args[2], MB_OK);
    }
    ExitProcess(0);
}
