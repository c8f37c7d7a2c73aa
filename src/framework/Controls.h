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
#include <vector>

#include "framework/FormTable.h"
#include "framework/GaugeMath.h"

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
    void SetVisible(bool visible);
    bool Visible() const;
    void SetEnabled(bool enabled);
    bool Enabled() const;
    std::string Text() const;  // window text
    virtual void SetText(const std::string& text);

    // Kind-specific set-up from a table row, after the window exists and is bound (colours, pictures, ticks).
    virtual void Setup(const form::ControlDef&) {}
    // A message the parent received on this control's behalf. Returns true when it produced result.
    virtual bool Reflect(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result);

protected:
    HWND hwnd_ = nullptr;
};

class TLabel : public TControl {
public:
    ~TLabel() override;
    std::string Caption() const { return Text(); }
    void SetCaption(const std::string& caption);  // invalidates; the window repaints on its next update
    // Background colour; CLR_INVALID (the default) means the parent's (button face) colour.
    void SetColor(COLORREF color);
    COLORREF Color() const { return color_; }
    // Text colour; CLR_INVALID means the window-text colour.
    void SetFontColor(COLORREF color);
    COLORREF FontColor() const { return fontColor_; }
    void SetTransparent(bool transparent);
    bool Transparent() const { return transparent_; }

    void Setup(const form::ControlDef& def) override;
    bool Reflect(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override;

private:
    COLORREF color_ = CLR_INVALID;
    COLORREF fontColor_ = CLR_INVALID;
    bool transparent_ = false;
    HBRUSH brush_ = nullptr;  // of color_, owned
};

class TEdit : public TControl {
public:
    void SetReadOnly(bool readOnly);
    bool ReadOnly() const;
    // Raises OnChange when the text differs from the current one.
    void SetText(const std::string& text) override;
    TNotifyEvent OnChange;  // every change of the text, from code or from the user

    bool Reflect(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override;

private:
    bool settingText_ = false;
};

class TCheckBox : public TControl {
public:
    bool Checked() const;
    void SetChecked(bool checked);  // raises OnClick when the state changes, as a click does
    TNotifyEvent OnClick;

    void Setup(const form::ControlDef& def) override;
    bool Reflect(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override;
};

// A push button with a picture left of its caption (owner-drawn).
class TBitBtn : public TControl {
public:
    ~TBitBtn() override;
    void Click();  // what a click does: raises OnClick
    TNotifyEvent OnClick;

    // The picture: one image, or two side by side (normal, disabled). Its bottom-left pixel is transparent.
    // The button takes ownership of the bitmap.
    void SetGlyph(HBITMAP glyph);
    HBITMAP Glyph() const { return glyph_; }
    int NumGlyphs() const;
    void SetSpacing(int spacing) { spacing_ = spacing; }
    int Spacing() const { return spacing_; }

    void Setup(const form::ControlDef& def) override;
    bool Reflect(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override;
    void PaintContent(HDC dc, RECT rect, bool pushed, bool focused);

private:
    HBITMAP glyph_ = nullptr;
    int spacing_ = 4;
};

class TPageControl : public TControl {
public:
    int PageCount() const;
    HWND Page(int index) const;
    void SetTabVisible(int page, bool visible);  // a shown tab returns at its place among the visible ones
    bool TabVisible(int page) const;
    void SetActivePage(int page);  // shows the page (and selects its tab) and hides the others
    int ActivePage() const;        // -1 when no page is shown

    // Creates the tab control and one empty page per caption (page i has the control id kPageIdBase + i).
    HWND Create(HWND parent, const RECT& rect, int id, const std::vector<std::string>& captions, HFONT font);
    // Where the pages lie inside the tab control (its display area).
    RECT PageRect() const;
    static constexpr int kPageIdBase = 1000;

    bool Reflect(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override;

private:
    int TabIndexOf(int page) const;
};

class TGauge : public TControl {
public:
    int MinValue() const { return state_.minValue; }
    int MaxValue() const { return state_.maxValue; }
    void SetMaxValue(int value);   // below MinValue raises EInvalidOperation; pulls Progress down; repaints
    int Progress() const { return state_.progress; }
    void SetProgress(int value);   // clamped; repaints only when the whole percentage changes
    void AddProgress(int value) { SetProgress(Progress() + value); }
    int PercentDone() const { return state_.Percent(); }
    void SetColors(COLORREF fore, COLORREF back) { foreColor_ = fore; backColor_ = back; }
    // How many times the gauge has painted itself (tests check that it repaints only when it should).
    int PaintCount() const { return paintCount_; }

    void Setup(const form::ControlDef& def) override;
    // Frame, background, fill and inverted percentage, composed off screen and copied to dc in one step.
    void PaintContent(HDC dc, RECT rect);
    static const char* ClassName();

private:
    void RepaintNow();
    gauge::GaugeState state_;
    COLORREF foreColor_ = RGB(0, 0, 128);
    COLORREF backColor_ = RGB(0, 255, 255);
    int paintCount_ = 0;
};

class TDriveComboBox;

// The folder list: the path to the current folder and its sub-folders. It starts on the process's current folder.
// The current folder is kept as the list window's text; items carry their level and whether they lie on the path.
class TDirectoryListBox : public TControl {
public:
    std::string Directory() const;  // full path; a final "\" only for a drive root
    // Makes path the current folder (entering it as the process's current folder); raises EInOutError when
    // it cannot be entered. An empty path or the current folder changes nothing. Moves a linked drive list
    // that shows another drive, then raises OnChange.
    void SetDirectory(const std::string& path);
    TNotifyEvent OnChange;

    void SetDriveCombo(TDriveComboBox* combo) { driveCombo_ = combo; }
    // The folder an item stands for (ancestors, the current folder, its sub-folders).
    std::string ItemPath(int index) const;
    int ItemCount() const;
    std::string ItemText(int index) const;
    int ItemLevel(int index) const;
    static constexpr int kItemHeight = 16;

    void Setup(const form::ControlDef& def) override;
    bool Reflect(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override;

private:
    void Fill();
    TDriveComboBox* driveCombo_ = nullptr;
};

// The drive list, linked to a folder list.
class TDriveComboBox : public TControl {
public:
    char Drive() const { return drive_; }  // lower-case drive letter
    // Moves the linked list to that drive's current folder, then raises OnChange. A listed drive that cannot be
    // entered leaves the list where it was and is taken all the same; a letter the box does not list raises
    // EInOutError and leaves the box as it was.
    void SetDrive(char letter);
    TNotifyEvent OnChange;

    void SetDirList(TDirectoryListBox* list) { dirList_ = list; }
    // The linked list moved to a folder on another drive: show that drive and raise OnChange.
    void ListMovedTo(char letter);
    std::vector<char> Drives() const;

    void Setup(const form::ControlDef& def) override;
    bool Reflect(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override;

private:
    void Fill();
    void Select(char letter);
    TDirectoryListBox* dirList_ = nullptr;
    char drive_ = 0;
    bool settingDrive_ = false;
};

// ---- Fonts, pictures and the containers that hold controls

// The shared fonts ("MS Sans Serif" -11 regular and bold, -13 bold); they live until the program ends.
HFONT UiFont(form::FontKind kind);
HFONT UiBoldVariant(form::FontKind kind);
// The generated pictures as GDI objects; the caller owns them.
HBITMAP LoadPictureBitmap(form::Picture picture);
HICON LoadPictureIcon(form::Picture picture, int size = 32);

// A container window: a page of the page control, or a window's client. It paints the graphic rows of a table
// (pictures, shapes, bevels, panels) in its own background, back to front, under its child windows.
HWND CreateContainer(HWND parent, const RECT& rect, int id, form::FontKind font);
const char* ContainerClassName();
// The graphic rows a container paints (tests look at them).
const std::vector<form::ControlDef>& ContainerGraphics(HWND container);
// Paints the container's background and graphics (also used by transparent labels for what lies beneath).
void PaintContainer(HWND container, HDC dc, const RECT& clip);

// Creates every row of page in container: graphic rows are painted by the container, the others become
// windows with the common bits (child, id, font) plus their kind's own style, bound to the view member(row)
// returns, with the event bound to handler(row.handler). Focusable windows are put in tab order.
using MemberLookup = std::function<TControl*(const form::ControlDef& row)>;
using HandlerLookup = std::function<TNotifyEvent(int handler)>;
void CreateControls(HWND container, const form::PageDef& page, const MemberLookup& member,
                    const HandlerLookup& handler);

// Routes a message sent to a parent on behalf of one of its controls to that control's view.
bool ReflectToControl(HWND parent, UINT msg, WPARAM wp, LPARAM lp, LRESULT& result);
// A parent window's procedure tail: reflection, then DefWindowProc.
LRESULT CALLBACK DefParentProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);

// Registers the toolkit's window classes and the common controls (idempotent).
void InitControls();

// Runs an event raised by the user: errors go to the error report and never unwind through the window manager.
void RaiseFromUser(const TNotifyEvent& event);

// Repaints a window and its children at once, without processing any other message.
void RepaintNow(HWND hwnd);

}  // namespace qs
