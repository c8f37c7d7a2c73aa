// Starting programs as processes of their own and using their windows, tabs and message boxes from outside, with
// window messages, the way a user does; shared by the Windows-side suites and the end-to-end driver. Nothing here
// throws or asserts: results come back as values, and each suite reports them in its own way.
#pragma once
#include <windows.h>

#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace qs::test {

// Waits until pred holds, polling every 20 ms; false after ms milliseconds.
bool WaitUntil(const std::function<bool()>& pred, DWORD ms);

// The Windows form of a path given either way: "/work/x" becomes the prefix's DOS name of that Unix file.
std::string DosPath(const std::string& path);
// "text" in double quotes, as command-line arguments are passed.
std::string Quote(const std::string& text);

// A start with texts in UTF-8, for names outside the ANSI code page (CreateProcessW). A text that is not UTF-8
// starts nothing (StartError ERROR_NO_UNICODE_TRANSLATION).
struct Launch {
    std::string commandLine;  // its first element names the program
    std::string folder;       // the current folder; empty: this program's
    // Variables set for the program (name, value); the rest of this process's environment is passed on.
    std::vector<std::pair<std::string, std::string>> environment;
};

// A started process, ended by force on destruction if it still runs.
class Process {
public:
    // cmdLine's first element names the program; dir is the current folder (empty: this program's). Texts in the
    // ANSI code page.
    explicit Process(const std::string& cmdLine, const std::string& dir = "");
    explicit Process(const Launch& launch);
    // A process another program started (a child of one started here), opened by its id: Started() is false when
    // it cannot be opened.
    explicit Process(DWORD pid);
    ~Process();
    Process(const Process&) = delete;
    Process& operator=(const Process&) = delete;

    bool Started() const { return handle_ != nullptr; }
    DWORD StartError() const { return startError_; }  // the system's error code when it did not start
    DWORD Pid() const { return pid_; }
    HANDLE Handle() const { return handle_; }
    bool Running() const;
    bool WaitExit(DWORD ms);  // true when it ended within ms
    DWORD ExitCode() const;   // STILL_ACTIVE while it runs
    void Kill();              // ends it by force and waits for the end

private:
    void Started(BOOL created, const PROCESS_INFORMATION& pi);
    HANDLE handle_ = nullptr;
    DWORD pid_ = 0;
    DWORD startError_ = 0;
};

std::string WindowText(HWND hwnd);  // without a message: the text the window manager keeps
// The text the control holds, by WM_GETTEXT (copied across processes): the window manager keeps no current text
// for edit boxes. nullopt when the program does not answer within ms.
std::optional<std::string> ControlText(HWND hwnd, DWORD ms);
std::string ClassOf(HWND hwnd);
// Visible top-level windows of pid (0: of every process but this one).
std::vector<HWND> TopWindows(DWORD pid);
// Every window below parent, children of children included.
std::vector<HWND> Descendants(HWND parent);

// The tab control of Setup.exe's window when top is that window (captioned "Quillostrand Setup"; the splash bears
// the same caption and has no tabs), else nullptr.
HWND SetupWindowTabs(HWND top);
// Captions of a tab control's tabs, left to right; nullopt when its program does not answer.
std::optional<std::vector<std::string>> TabCaptions(HWND tab);
// Clicks the tab captioned caption with the mouse, at its middle; false when there is none or the program does not
// answer.
bool ClickTab(HWND tab, const std::string& caption);

// A message box: a top-level "#32770" window with its text in a Static child and its buttons.
struct Box {
    HWND hwnd = nullptr;
    DWORD pid = 0;
    std::string caption, text;
    std::vector<std::string> buttons;  // the shown ones, left to right
    std::vector<int> buttonIds;        // theirs (IDOK, IDYES, IDNO...): the same in every language of the system
    bool hasIcon = false;
};
// How a box's caption, text and button captions are read: WindowText (the ANSI code page) or utf8::WindowText
// (WinUtf8.h).
using TextReader = std::string (*)(HWND);
// Message boxes now shown by process pid (0: of every process but this one).
std::vector<Box> FindBoxes(DWORD pid, TextReader read = WindowText);
// Waits up to ms for a complete box (text and buttons) of pid (0: of any other process).
std::optional<Box> WaitForBox(DWORD pid, DWORD ms, TextReader read = WindowText);
// Presses the button captioned label ("OK", "&Yes", "&No") and waits until the box is gone. Returns what went
// wrong, empty when the box went.
std::string AnswerBox(const Box& box, const std::string& label);
// The same for the button with the control id (IDOK, IDYES, IDNO...), whatever the system's language calls it.
std::string AnswerBox(const Box& box, int id);
// The box's description for failure texts.
std::string Describe(const Box& box);

}  // namespace qs::test
