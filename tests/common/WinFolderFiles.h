// The plain files of a folder, for tests that look at what a run left there; shared by the Windows-side tests
// and the end-to-end driver.
#pragma once
#include <windows.h>

#include <algorithm>
#include <string>
#include <vector>

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

}  // namespace qs::test
