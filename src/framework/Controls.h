// Thin views over the standard Windows controls (and the few drawn ones) that the setup window is made of.
// A view holds its HWND and nothing Win32 does not already keep; events are std::function members that the
// owner binds to its handlers. Setting a value from code raises the same event as a change by the user.
#pragma once
#include <windows.h>

#include <functional>
#include <string>
#include <vector>

namespace qs {

using TNotifyEvent = std::function<void()>;

class TControl {
public:
    virtual ~TControl() = default;
    HWND Handle() const { return hwnd_; }
    void SetHandle(HWND hwnd) { hwnd_ = hwnd; }
    void SetVisible(bool visible);
    bool Visible() const;
    void SetEnabled(bool enabled);
    bool Enabled() const;
    std::string Text() const;             // window text
    void SetText(const std::string& text);

protected:
    HWND hwnd_ = nullptr;
};

class TLabel : public TControl {
public:
    std::string Caption() const { return Text(); }
    void SetCaption(const std::string& caption);  // invalidates; the window repaints on its next update
    // Background colour; CLR_INVALID (the default) means the parent's (button face) colour.
    void SetColor(COLORREF color);
    COLORREF Color() const;
};

class TEdit : public TControl {
public:
    void SetReadOnly(bool readOnly);
    bool ReadOnly() const;
    TNotifyEvent OnChange;  // every change of the text, from code or from the user
};

class TCheckBox : public TControl {
public:
    bool Checked() const;
    void SetChecked(bool checked);  // raises OnClick when the state changes, as a click does
    TNotifyEvent OnClick;
};

// A push button with a picture left of its caption.
class TBitBtn : public TControl {
public:
    void Click();  // what a click does: raises OnClick
    TNotifyEvent OnClick;
};

class TPageControl : public TControl {
public:
    int PageCount() const;
    HWND Page(int index) const;
    void SetTabVisible(int page, bool visible);
    bool TabVisible(int page) const;
    void SetActivePage(int page);  // shows the page (its tab must be visible) and hides the others
    int ActivePage() const;
};

class TGauge : public TControl {
public:
    int MinValue() const;
    int MaxValue() const;
    void SetMaxValue(int value);   // below MinValue raises EInvalidOperation; pulls Progress down; repaints
    int Progress() const;
    void SetProgress(int value);   // clamped; repaints only when the whole percentage changes
    void AddProgress(int value) { SetProgress(Progress() + value); }
    int PercentDone() const;
};

// The folder list: the path to the current folder and its sub-folders.
class TDirectoryListBox : public TControl {
public:
    std::string Directory() const;  // full path; a final "\" only for a drive root
    // Makes path the current folder; raises EInOutError when it cannot be entered. Raises OnChange.
    void SetDirectory(const std::string& path);
    TNotifyEvent OnChange;
};

// The drive list, linked to a folder list.
class TDriveComboBox : public TControl {
public:
    char Drive() const;           // lower-case drive letter
    void SetDrive(char letter);   // moves the linked list to that drive's current folder, then raises OnChange
    TNotifyEvent OnChange;
};

// Repaints a window and its children at once, without processing any other message.
void RepaintNow(HWND hwnd);

}  // namespace qs
