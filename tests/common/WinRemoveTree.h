// Removing a scratch file or folder tree on Windows, read-only entries included; shared by the Windows-side
// tests and the end-to-end driver. Missing paths are fine.
#pragma once
#include <windows.h>

#include <string>

namespace qs::test {

inline void RemoveTree(const std::string& path) {
    std::string p = path;
    while (p.size() > 3 && p.back() == '\\') p.pop_back();  // never below a drive's root "C:\"
    const DWORD attr = GetFileAttributesA(p.c_str());
    if (attr == INVALID_FILE_ATTRIBUTES) return;
    SetFileAttributesA(p.c_str(), FILE_ATTRIBUTE_NORMAL);
    if (!(attr & FILE_ATTRIBUTE_DIRECTORY)) {
        DeleteFileA(p.c_str());
        return;
    }
    WIN32_FIND_DATAA fd;
    HANDLE h = FindFirstFileA((p + "\\*").c_str(), &fd);
    if (h != INVALID_HANDLE_VALUE) {
        do {
            const std::string n = fd.cFileName;
            if (n != "." && n != "..") RemoveTree(p + "\\" + n);
        } while (FindNextFileA(h, &fd));
        FindClose(h);
    }
    RemoveDirectoryA(p.c_str());
}

}  // namespace qs::test
