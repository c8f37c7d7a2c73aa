// What the DeleteMe tests add to the shared process and message-box driver (WinProcess.h): where the helper's two
// builds lie, running a process to its end, and holding a file open against deletion.
#pragma once
#include <windows.h>

#include <string>
#include <vector>

#include "WinProcess.h"

namespace qs::test {

// The two builds of the helper: the real one (gives up after two minutes) and the test one (after 1.5 s).
std::string DeleteMeExe();
std::string DeleteMeTestExe();

// Lets the process run to its end (up to ms), answering and recording every box it shows meanwhile.
// Returns whether it ended.
bool RunToEnd(Process& process, DWORD ms, std::vector<Box>* boxesSeen);

// An open handle on a file that keeps everyone else from deleting it (no FILE_SHARE_DELETE).
class FileHold {
public:
    explicit FileHold(const std::string& path);
    ~FileHold() { Release(); }
    FileHold(const FileHold&) = delete;
    FileHold& operator=(const FileHold&) = delete;
    bool Held() const { return handle_ != INVALID_HANDLE_VALUE; }
    void Release();

private:
    HANDLE handle_ = INVALID_HANDLE_VALUE;
};

}  // namespace qs::test
