// What the DeleteMe tests add to the shared process and message-box driver (WinProcess.h): where the helper's two
// builds lie, running a process to its end, holding a file open against deletion, and the wide side for names and
// texts outside the system code page (the shared driver goes through the -A calls, which substitute look-alikes).
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

// A process started by CreateProcessW from a UTF-8 command line, ended by force on destruction if it still runs.
class WideProcess {
public:
    explicit WideProcess(const std::string& cmdLine);
    ~WideProcess();
    WideProcess(const WideProcess&) = delete;
    WideProcess& operator=(const WideProcess&) = delete;
    bool Started() const { return handle_ != nullptr; }
    DWORD StartError() const { return startError_; }
    bool WaitExit(DWORD ms);
    DWORD ExitCode() const;  // STILL_ACTIVE while it runs

private:
    HANDLE handle_ = nullptr;
    DWORD startError_ = 0;
};

// A window's text read by GetWindowTextW, in UTF-8.
std::string WideWindowText(HWND hwnd);
// A message box's text as FindBoxes joins it (its Static children, icon left out), read by GetWindowTextW.
std::string WideBoxText(const Box& box);

}  // namespace qs::test
