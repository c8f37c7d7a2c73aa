#pragma once
#include "framework/Control.h"
#include "framework/GaugeMath.h"

namespace qs {

class TGauge : public TControl {
public:
    static constexpr COLORREF kDefaultFore = RGB(0, 0, 128);
    static constexpr COLORREF kDefaultBack = RGB(0, 255, 255);

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
    COLORREF foreColor_ = kDefaultFore;
    COLORREF backColor_ = kDefaultBack;
    int paintCount_ = 0;
};

}  // namespace qs
