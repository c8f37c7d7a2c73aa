// Driving Setup.exe from outside, the way a user does: its windows are found by caption and class, its controls
// by their place in the page tables, and everything is done with window messages. Nothing of the program is
// called; the program runs as its own process.
#pragma once
#include <windows.h>

#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "WinProcess.h"
#include "WinUtf8.h"

namespace e2e {

// A failed expectation: the scenario stops and reports the text.
class Failure : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Throws Failure with what when cond is false.
void Expect(bool cond, const std::string& what);
// Equal texts, or a Failure naming both.
void ExpectEq(const std::string& actual, const std::string& expected, const std::string& what);
// The same for a text that may be missing (a registry value): missing fails.
void ExpectEq(const std::optional<std::string>& actual, const std::string& expected, const std::string& what);

void Log(const std::string& line);

// Processes, windows and message boxes: the shared part (WinProcess.h), with every text in UTF-8 (WinUtf8.h).
using qs::test::Box, qs::test::ClassOf, qs::test::Describe, qs::test::DosPath, qs::test::Launch, qs::test::Process,
    qs::test::TopWindows, qs::test::WaitUntil, qs::test::utf8::WindowText;
inline std::vector<Box> FindBoxes(DWORD pid) { return qs::test::FindBoxes(pid, WindowText); }
inline std::optional<Box> WaitForBox(DWORD pid, DWORD ms) { return qs::test::WaitForBox(pid, ms, WindowText); }

// Presses the box's button "OK", "&Yes" or "&No" and waits until the box is gone. The button is found by its
// control id: Wine names the buttons in the language LANG gives ("&Tak", "&Nie" under pl_PL).
void Answer(const Box& box, const std::string& label);

// The setup window of a running Setup.exe.
class SetupWindow {
public:
    // Waits (up to ms) for the visible top-level window captioned "Quillostrand Setup" of pid, then finds its
    // controls. Fails when a message box or the end of the process comes first.
    static SetupWindow Attach(const Process& process, DWORD ms);

    HWND Handle() const { return main_; }
    // A control by its name in the page tables ("EditInstallDir", "NowBtn2", ...).
    HWND Control(const std::string& name) const;

    std::string Text(const std::string& name) const;  // labels, buttons, check boxes, edit boxes
    bool Checked(const std::string& name) const;
    bool Enabled(const std::string& name) const;
    bool Visible(const std::string& name) const;      // the control itself, not its page
    bool ReadOnly(const std::string& name) const;     // edit boxes
    // The background colour the screen shows inside a label, in its bottom row below the text (a label taller than
    // its font's text, as the free-space figure is).
    COLORREF LabelColor(const std::string& name) const;

    // Replaces an edit box's text; the box reports the change to its owner as typing does.
    void SetEditText(const std::string& name, const std::string& text);
    // Clicks the box when its tick differs from checked.
    void SetChecked(const std::string& name, bool checked);
    // Presses a button without waiting for its handler (a run may take long and keeps no message loop).
    void Click(const std::string& name);

    // The name of the control that holds the keyboard focus: a name of the page tables, "tab strip", "window" (the
    // setup window itself), "none" or "elsewhere".
    std::string FocusName() const;
    // Presses a key (with Ctrl and Shift as asked) as the keyboard does, into the window that has the focus.
    void PressKey(WORD key, bool ctrl = false, bool shift = false) const;
    // Screen rectangles of everything the page shows other than the control named except: its windows as they
    // stand, and the shapes and bevels it paints where its table puts them.
    std::vector<std::pair<std::string, RECT>> OtherControlRects(int page, const std::string& except) const;
    // Rests the mouse on the control and waits (up to ms) for the program's tooltip; its text, or nullopt.
    std::optional<std::string> HoverTooltip(const std::string& name, DWORD ms, HWND* tip = nullptr) const;

    // Captions of the visible tabs, left to right.
    std::vector<std::string> Tabs() const;
    // Clicks the tab captioned caption with the mouse and waits until its page is shown.
    void SelectTab(const std::string& caption);
    // Index of the page shown (0 Welcome .. 6 Finished), -1 when none is.
    int ActivePage() const;
    bool WaitPage(int page, DWORD ms) const;
    bool WaitText(const std::string& name, const std::string& text, DWORD ms) const;

    // Writes a PNG of the window as the screen shows it. settle: first let the program finish painting (it
    // answers only from its message loop, so not during a run).
    void Screenshot(const std::string& path, bool settle = true) const;
    // Fraction (0..1) of the gauge's width painted in its fill colour, as the screen shows it.
    double GaugeFill() const;

private:
    void Bind();
    HWND main_ = nullptr;
    HWND tabs_ = nullptr;
    std::vector<HWND> pages_;                 // by page index
    std::vector<std::pair<std::string, HWND>> controls_;
};

// Writes the screen area r as a PNG file.
void ScreenshotRect(const RECT& r, const std::string& path);

}  // namespace e2e
