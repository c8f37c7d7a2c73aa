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
    int Spacing() const { return spacing_; }

    void Setup(const form::ControlDef& def) override;
    bool Reflect(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override;
    void PaintContent(HDC dc, RECT rect, bool pushed, bool focused);

private:
    GdiBitmap glyph_;
    int spacing_ = 4;
};

}  // namespace qs
