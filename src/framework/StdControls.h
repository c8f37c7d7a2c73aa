// Views over the standard label, edit and check box controls.
#pragma once
#include "framework/Control.h"
#include "framework/GdiGuards.h"

namespace qs {

// The size of a label's text in its font, on one line (an empty text measured as one blank).
SIZE LabelTextSize(HWND label);
// Sizes a label window to its text in its font, on one line.
void SizeLabelToText(HWND label);

class TLabel : public TControl {
public:
    std::string Caption() const { return Text(); }
    // Invalidates; the window repaints on its next update. A label without the centred, wrapping or right marks
    // sizes itself to the new text.
    void SetCaption(const std::string& caption);
    // From now on the label's width follows its text, kept between minWidth and maxWidth (pixels at 96 DPI, scaled
    // with the window), its left edge fixed.
    // A text wider than maxWidth shows what fits, ending in "...", and the whole text as the label's tooltip.
    void SetWidthLimits(int minWidth, int maxWidth);
    // True when the caption is wider than the label can show.
    bool Cut() const { return cut_; }
    // Background colour; CLR_INVALID (the default) means the parent's (button face) colour.
    void SetColor(COLORREF color);
    COLORREF Color() const { return color_; }
    // Text colour; CLR_INVALID means the window-text colour.
    void SetFontColor(COLORREF color);
    COLORREF FontColor() const { return fontColor_; }
    void SetTransparent(bool transparent);
    bool Transparent() const { return transparent_; }
    // What a screen reader says of the label beyond its text (for what its colour alone shows); empty for nothing.
    void SetDescription(const std::string& description);
    const std::string& Description() const { return description_; }

    void Setup(const form::ControlDef& def) override;
    void ApplyDpi(const form::ControlDef& row, int dpi) override;
    bool Reflect(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override;

private:
    void FitWidth();
    void ShowWholeTextAsTip(bool show);

    COLORREF color_ = CLR_INVALID;
    COLORREF fontColor_ = CLR_INVALID;
    bool transparent_ = false;
    bool autoSize_ = false;
    int minWidth_ = 0, maxWidth_ = 0;  // maxWidth_ 0: no limits set
    bool cut_ = false;
    std::string description_;
    HWND tip_ = nullptr;  // the tooltip window, owned by the label's top-level window
    GdiBrush brush_;  // of color_
};

class TEdit : public TControl {
public:
    void SetReadOnly(bool readOnly);
    bool ReadOnly() const;
    // Raises OnChange when the text differs from the current one.
    void SetText(const std::string& text) override;
    TNotifyEvent OnChange;  // every change of the text, from code or from the user
    void BindHandler(TNotifyEvent handler) override { OnChange = std::move(handler); }

    bool Reflect(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override;

private:
    bool settingText_ = false;
};

class TCheckBox : public TControl {
public:
    bool Checked() const;
    void SetChecked(bool checked);  // raises OnClick when the state changes, as a click does
    TNotifyEvent OnClick;
    void BindHandler(TNotifyEvent handler) override { OnClick = std::move(handler); }

    void Setup(const form::ControlDef& def) override;
    bool Reflect(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override;
};

}  // namespace qs
