// The application object: title, main window, message loop, the program's own path, message boxes and the
// error report. One seam (SetMessageBoxHook) lets Windows-side tests answer message boxes without a person.
#pragma once
#include <windows.h>

#include <exception>
#include <functional>
#include <string>

namespace qs {

class TApplication {
public:
    // Title used as the caption of the error report and of the program's own message boxes.
    const std::string& Title() const { return title_; }
    void SetTitle(const std::string& title) { title_ = title; }

    HINSTANCE Instance() const;
    // Full path of the running program (module file name, 261-character buffer).
    std::string ExeName() const;

    HWND MainWindow() const { return mainWindow_; }
    void SetMainWindow(HWND hwnd) { mainWindow_ = hwnd; }

    // Shows a message box owned by the main window (when there is one). Returns the button pressed (IDOK, ...).
    int ShowMessageBox(const std::string& text, const std::string& caption, UINT flags);

    // The error report: the message with a full stop appended, the title as caption, a stop icon.
    void ShowException(const std::exception& e);

    // Runs the message loop until the main window is destroyed or Terminate was called.
    void Run();
    // Asks the loop to stop at its next turn; the program then exits with code 0.
    void Terminate();
    bool Terminated() const { return terminated_; }
    // Lets a new main window run after an earlier one ended (tests create several in one process).
    void ClearTerminated() { terminated_ = false; }
    // Dispatches every pending message, with the keyboard handled as in Run, then returns.
    void ProcessMessages();

    using MessageBoxHook = std::function<int(const std::string& text, const std::string& caption, UINT flags)>;
    // Replaces every message box (the error report included) with the hook; an empty hook restores real boxes.
    void SetMessageBoxHook(MessageBoxHook hook) { hook_ = std::move(hook); }

private:
    // The keys that move the focus or the page, handled before the message is dispatched; true when handled.
    bool TranslateKeys(MSG& msg) const;

    std::string title_;
    HWND mainWindow_ = nullptr;
    bool terminated_ = false;
    MessageBoxHook hook_;
};

TApplication& Application();

// Runs a handler and routes any exception it raises to the error report, as every event of the window does.
template <typename F>
void RunHandler(F&& handler) {
    try {
        handler();
    } catch (const std::exception& e) {
        Application().ShowException(e);
    }
}

}  // namespace qs
