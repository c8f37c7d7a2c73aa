// The plain files of a folder and their times, for tests that look at what a run left there; shared by the
// Windows-side tests and the end-to-end driver.
#pragma once
#include <windows.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "base/WideText.h"

namespace qs::test {

// The names of the files (not the folders) in a folder, sorted; empty when it cannot be read.
inline std::vector<std::string> FilesIn(const std::string& folder) {
    std::vector<std::string> out;
    const std::string pattern = folder + (!folder.empty() && folder.back() == '\\' ? "*" : "\\*");
    WIN32_FIND_DATAA fd;
    HANDLE h = FindFirstFileA(pattern.c_str(), &fd);
    if (h == INVALID_HANDLE_VALUE) return out;
    do {
        if (!(fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) out.push_back(fd.cFileName);
    } while (FindNextFileA(h, &fd));
    FindClose(h);
    std::sort(out.begin(), out.end());
    return out;
}

// A file's last-write time as packages store times: the DOS date (high word) and time of the local time; 0 when
// the file cannot be read.
inline uint32_t LocalDosTimeOf(const std::string& path) {
    WIN32_FILE_ATTRIBUTE_DATA a;
    if (!GetFileAttributesExW(Widen(path).c_str(), GetFileExInfoStandard, &a)) return 0;
    FILETIME local;
    WORD date = 0, time = 0;
    if (!FileTimeToLocalFileTime(&a.ftLastWriteTime, &local) || !FileTimeToDosDateTime(&local, &date, &time)) return 0;
    return uint32_t(date) << 16 | time;
}

}  // namespace qs::test
