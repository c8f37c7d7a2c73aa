// Thin views over the standard Windows controls (and the few drawn ones) that the setup window is made of.
// A view holds its HWND and little else; events are std::function members that the owner binds to its
// handlers. Setting a value from code raises the same event as a change by the user.
//
// Messages a control sends to its parent (WM_COMMAND, WM_NOTIFY, WM_CTLCOLOR*, WM_DRAWITEM) are reflected to
// the view bound to the control's HWND (ReflectToControl), so a parent window needs no per-control code.
// Events raised by the user run through RunHandler (errors go to the error report); events raised from code
// run directly, so their errors reach the caller.
#pragma once
#include <windows.h>

#include <functional>
#include <string>
#include <utility>

#include "framework/FormTable.h"

namespace qs {

using TNotifyEvent = std::function<void()>;

class TControl {
public:
    TControl() = default;
    virtual ~TControl();
    TControl(const TControl&) = delete;
    TControl& operator=(const TControl&) = delete;

    HWND Handle() const { return hwnd_; }
    // Binds the view to a window; messages reflected from the window's parent then reach this view.
    void SetHandle(HWND hwnd);
    // The view bound to a window, or null.
    static TControl* ViewOf(HWND hwnd);
    void SetVisible(bool visible);
    bool Visible() const;
    void SetEnabled(bool enabled);
    bool Enabled() const;
    std::string Text() const;  // window text
    virtual void SetText(const std::string& text);

    // Kind-specific set-up from a table row, after the window exists and is bound (colours, pictures, ticks).
    virtual void Setup(const form::ControlDef&) {}
    // The font kind the window shows its text in (its page's, or the bold variant), set before ApplyDpi.
    void SetFontKind(form::FontKind kind) { fontKind_ = kind; }
    // Places the window where its row says, scaled to dpi, with its font at that DPI; each kind then scales what it
    // draws itself. At 96 DPI the row as it stands.
    virtual void ApplyDpi(const form::ControlDef& row, int dpi);
    int Dpi() const { return dpi_; }
    // A length of the tables (pixels at 96 DPI) at the window's DPI.
    int Scaled(int px) const { return form::Scale(px, dpi_); }
    // Takes the handler a table row names, as the kind's own event (a click, a change); kinds without an
    // event ignore it.
    virtual void BindHandler(TNotifyEvent) {}
    // A message the parent received on this control's behalf. Returns true when it produced result.
    virtual bool Reflect(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result);

protected:
    // Gives the window the font of its kind that shows text (UiFontFor), repainting when that changes.
    void FitFontTo(const std::string& text);

    HWND hwnd_ = nullptr;
    int dpi_ = form::kBaseDpi;
    form::FontKind fontKind_ = form::FontKind::Window;
};

// A window's text, and setting it, in UTF-8.
std::string TextOf(HWND hwnd);
void SetTextOf(HWND hwnd, const std::string& text);

// Routes a message sent to a parent on behalf of one of its controls to that control's view.
bool ReflectToControl(HWND parent, UINT msg, WPARAM wp, LPARAM lp, LRESULT& result);
// A parent window's procedure tail: reflection, then DefWindowProc.
LRESULT CALLBACK DefParentProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);

// Registers the toolkit's window classes and the common controls (idempotent).
void InitControls();

// Registers one of the program's own top-level window classes, unless it already is: the arrow cursor, the button
// face behind, and icon (none when null). Raises EInOutError when the system refuses it.
void RegisterFormClass(const char* name, WNDPROC proc, HICON icon = nullptr);
// Where a top-level window of this outer size lies centred on the screen.
POINT CentredOnScreen(int width, int height);

// Runs an event raised by the user: errors go to the error report and never unwind through the window manager.
void RaiseFromUser(const TNotifyEvent& event);

// Repaints a window and its children at once, without processing any other message.
void RepaintNow(HWND hwnd);

}  // namespace qs
