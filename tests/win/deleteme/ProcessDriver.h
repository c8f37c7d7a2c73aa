// Driving DeleteMe from the test process: starting real processes, finding the message boxes they show (top-level
// windows of class "#32770"), reading and answering them.
#pragma once
#include <windows.h>

#include <optional>
#include <string>
#include <vector>

namespace qs::test {

// The two builds of the helper: the real one (gives up after two minutes) and the test one (after 1.5 s).
std::string DeleteMeExe();
std::string DeleteMeTestExe();

// "text" in double quotes, as DeleteMe's arguments are passed.
std::string Quote(const std::string& text);

struct BoxInfo {
    HWND hwnd = nullptr;
    DWORD pid = 0;
    std::string caption, text;
    std::vector<std::string> buttons;
    bool hasIcon = false;
};

// Message boxes now shown by process pid; pid 0 takes those of every process but this one.
std::vector<BoxInfo> FindBoxes(DWORD pid);
// Waits up to ms for a box of pid (0: of any other process).
std::optional<BoxInfo> WaitForBox(DWORD pid, DWORD ms);
// Presses the box's first button (its only one, OK).
void AnswerBox(const BoxInfo& box);

// A started process, ended by force on destruction if it still runs.
class Process {
public:
    // cmdLine's first element names the program; dir is the current folder (empty: this program's).
    explicit Process(const std::string& cmdLine, const std::string& dir = "");
    ~Process();
    Process(const Process&) = delete;
    Process& operator=(const Process&) = delete;

    bool Started() const { return handle_ != nullptr; }
    DWORD Id() const { return id_; }
    bool Running() const;
    // True when the process ended within ms.
    bool WaitExit(DWORD ms);
    DWORD ExitCode() const;

    // Lets the process run to its end (up to ms), answering and recording every box it shows meanwhile.
    // Returns whether it ended.
    bool RunToEnd(DWORD ms, std::vector<BoxInfo>* boxesSeen);

private:
    HANDLE handle_ = nullptr;
    DWORD id_ = 0;
};

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
