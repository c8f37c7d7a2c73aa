// The real Setup.exe as a process of its own, driven with window messages as a user would: its window found by
// caption, its controls by class and text, its tabs clicked at their place.
#pragma once
#include <windows.h>

#include <string>
#include <vector>

#include "WinProcess.h"

namespace qs::test {

// The Setup.exe of this build (a DOS path).
std::string SetupExePath();

// The program exe started with dir as its current folder; ended by force on destruction if it still runs.
class SetupProcess : public Process {
public:
    SetupProcess(const std::string& exe, const std::string& dir) : Process(Quote(exe), dir) {}

    // Waits for the visible setup window (the one with the tabs, not the splash or a message box).
    bool WaitWindow(DWORD ms);
    HWND Window() const { return main_; }
    // The first child window of the class whose text is text (an empty text matches any).
    HWND Child(const std::string& cls, const std::string& text) const;
    // Child windows of the class in creation order.
    std::vector<HWND> Children(const std::string& cls) const;
    // A control's text, as the control holds it (or as the window manager keeps it while the program is busy).
    static std::string Text(HWND control);

    std::vector<std::string> Tabs() const;  // captions of the tabs shown, left to right
    bool ClickTab(const std::string& caption) const;
    // Descriptions of the message boxes the process shows.
    std::vector<std::string> BoxTexts() const;

private:
    HWND main_ = nullptr, tabs_ = nullptr;
};

}  // namespace qs::test
