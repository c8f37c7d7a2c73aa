/* DeleteMe: deletes the file named by its first argument as soon as the system allows it (the setup program that
 * started it has ended), removes that file's folder when it is empty, and shows the closing message given as its
 * second and third arguments. Started without arguments it explains itself.
 *
 * Built without any C runtime: its own entry point, nothing imported but kernel functions and MessageBoxW, so the
 * image the setup program carries stays a few kilobytes. Every text goes through the -W calls: a path outside the
 * system code page (a user folder named "Łukasz" on a Western system) must reach the file system exactly. */
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
static void RemoveFileWhenFree(const WCHAR* name) {
    const DWORD start = GetTickCount();
    for (;;) {
        WIN32_FIND_DATAW found;
        HANDLE search;
        if (DeleteFileW(name)) return;
        search = FindFirstFileW(name, &found);
        if (search == INVALID_HANDLE_VALUE) return;
        FindClose(search);
        if (GetTickCount() - start >= DELETEME_GIVE_UP_MS) return;
        Sleep(DELETEME_RETRY_MS);
    }
}

/* Cuts name after its last "\" or ":", leaving its folder part (empty when it has none). */
static void KeepFolderPart(WCHAR* name) {
    WCHAR* end = name;
    WCHAR* p;
    for (p = name; *p != 0; ++p)
        if (*p == '\\' || *p == ':') end = p + 1;
    *end = 0;
}

/* The entry point: no runtime start-up runs before it, and it never returns. */
void DeleteMeMain(void) {
    const WCHAR* cmdLine = GetCommandLineW();
    /* Elements are never cut: the buffer is as long as the command line itself. */
    WCHAR* buf = (WCHAR*)HeapAlloc(GetProcessHeap(), 0, ((SIZE_T)lstrlenW(cmdLine) + 1) * sizeof(WCHAR));
    const WCHAR* args[3];
    size_t count;
    if (buf == NULL) ExitProcess(0);
    count = QsSplitArgs(cmdLine, buf, args, 3);
    if (count == 0) {
        MessageBoxW(NULL, L"DeleteMe.exe is a leftover from an uninstall program.\rYou can safely delete it.",
                    L"DeleteMe", MB_OK);
    } else {
        /* args[0] lies in buf, so it may be cut to its folder part in place. */
        WCHAR* target = (WCHAR*)args[0];
        RemoveFileWhenFree(target);
        KeepFolderPart(target);
        if (*target != 0) RemoveDirectoryW(target);
        if (count == 3) MessageBoxW(NULL, args[1], args[2], MB_OK);
    }
    ExitProcess(0);
}
