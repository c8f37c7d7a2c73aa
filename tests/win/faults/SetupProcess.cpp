#include "SetupProcess.h"

namespace qs::test {

std::string SetupExePath() { return DosPath(QS_SETUP_EXE); }

bool SetupProcess::WaitWindow(DWORD ms) {
    return WaitUntil(
               [&] {
                   for (HWND h : TopWindows(Pid()))
                       if ((tabs_ = SetupWindowTabs(h))) {
                           main_ = h;
                           return true;
                       }
                   return !Running();
               },
               ms) &&
           main_ != nullptr;
}

std::string SetupProcess::Text(HWND control) {
    // A program busy in a long run does not answer messages.
    return ControlText(control, 2000).value_or(WindowText(control));
}

std::vector<HWND> SetupProcess::Children(const std::string& cls) const {
    std::vector<HWND> found;
    for (HWND h : main_ ? Descendants(main_) : std::vector<HWND>{})
        if (ClassOf(h) == cls) found.push_back(h);
    return found;
}

HWND SetupProcess::Child(const std::string& cls, const std::string& text) const {
    for (HWND h : Children(cls))
        if (text.empty() || Text(h) == text) return h;
    return nullptr;
}

std::vector<std::string> SetupProcess::Tabs() const { return TabCaptions(tabs_).value_or(std::vector<std::string>{}); }

bool SetupProcess::ClickTab(const std::string& caption) const { return qs::test::ClickTab(tabs_, caption); }

std::vector<std::string> SetupProcess::BoxTexts() const {
    std::vector<std::string> texts;
    for (const Box& box : FindBoxes(Pid())) texts.push_back(Describe(box));
    return texts;
}

}  // namespace qs::test
