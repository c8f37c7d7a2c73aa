// The real Setup.exe as a process of its own, driven with window messages as a user would: its window found by
// caption, its controls by class and text, its tabs clicked at their place.
#pragma once
#include <windows.h>

#include <functional>
#include <string>
#include <vector>

namespace qs::test {

// Build-tree paths come as host paths; Wine shows the host's root as drive Z:.
std::string HostToDos(const std::string& hostPath);
// The Setup.exe of this build (a DOS path).
std::string SetupExePath();

// Polls pred every 20 ms (processing this thread's messages) until it holds or ms have passed.
bool WaitFor(const std::function<bool()>& pred, DWORD ms);

class SetupProcess {
public:
    // Starts exe with dir as its current folder; ended by force on destruction if it still runs.
    SetupProcess(const std::string& exe, const std::string& dir);
    ~SetupProcess();
    SetupProcess(const SetupProcess&) = delete;
    SetupProcess& operator=(const SetupProcess&) = delete;

    bool Started() const { return pi_.hProcess != nullptr; }
    bool Running() const;
    void Kill();  // TerminateProcess, then waits for the end
    bool WaitExit(DWORD ms);

    // Waits for the visible setup window ("Quillostrand Setup", not a message box).
    bool WaitWindow(DWORD ms);
    HWND Window() const { return main_; }
    // The first child window of the class whose text is text (an empty text matches any).
    HWND Child(const std::string& cls, const std::string& text) const;
    // Child edit boxes in creation order.
    std::vector<HWND> Children(const std::string& cls) const;

    std::vector<std::string> Tabs() const;  // captions of the tabs shown, left to right
    bool ClickTab(const std::string& caption);
    // Texts of the message boxes the process shows.
    std::vector<std::string> BoxTexts() const;

private:
    PROCESS_INFORMATION pi_{};
    HWND main_ = nullptr;
};

std::string TextOf(HWND hwnd);

}  // namespace qs::test
