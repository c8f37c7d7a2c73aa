#pragma once
#include "framework/Control.h"
#include "framework/GdiGuards.h"

namespace qs {

// A push button with a picture left of its caption (owner-drawn).
class TBitBtn : public TControl {
public:
    void Click();  // what a click does: raises OnClick
    TNotifyEvent OnClick;
    void BindHandler(TNotifyEvent handler) override { OnClick = std::move(handler); }

    // The picture: one image, or two side by side (normal, disabled). Its bottom-left pixel is transparent.
    // The button takes ownership of the bitmap.
    void SetGlyph(HBITMAP glyph);
    HBITMAP Glyph() const { return glyph_.Get(); }
    int NumGlyphs() const;
    void SetSpacing(int spacing) { spacing_ = spacing; }
    int Spacing() const { return spacing_; }  // at 96 DPI; drawn scaled

    void Setup(const form::ControlDef& def) override;
    // Also draws the picture anew at the DPI's size.
    void ApplyDpi(const form::ControlDef& row, int dpi) override;
    bool Reflect(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override;
    void PaintContent(HDC dc, RECT rect, bool pushed, bool focused);

private:
    GdiBitmap glyph_;
    form::Picture picture_ = form::Picture::None;
    int spacing_ = 4;
};

// Enter pressed on a focused, enabled button of this kind presses it, as in a dialog. No button is the window's
// default, so Enter on any other control presses nothing. For the message loop ahead of the dialog keys; true when
// msg was such a key and has been handled.
bool TranslateButtonKey(const MSG& msg);

}  // namespace qs
