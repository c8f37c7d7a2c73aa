// The progress gauge's arithmetic, kept apart from its window so it can be checked natively.
// Portable: no Win32 types.
#pragma once
#include <cstdint>

namespace qs::gauge {

// Whole percentage done: (progress - min) * 100 / (max - min) in floating point, truncated toward zero;
// 0 when max equals min. Computed in double so that no 32-bit difference can overflow.
inline int PercentDone(int32_t minValue, int32_t maxValue, int32_t progress) {
    const double range = double(maxValue) - double(minValue);
    if (range == 0) return 0;
    return int((double(progress) - double(minValue)) * 100.0 / range);
}

// Width in pixels of the filled part of an inner area innerWidth wide: innerWidth * (percent * 0.01), in
// floating point, truncated, never wider than the inner area and never negative.
inline int FillWidth(int innerWidth, int percent) {
    if (innerWidth <= 0 || percent <= 0) return 0;
    const int w = int(double(innerWidth) * (double(percent) * 0.01));
    return w > innerWidth ? innerWidth : w;
}

inline int32_t Clamp(int32_t value, int32_t minValue, int32_t maxValue) {
    return value < minValue ? minValue : value > maxValue ? maxValue : value;
}

// The gauge's values and what a change asks of the window. The window keeps one and repaints when told.
struct GaugeState {
    int32_t minValue = 0;
    int32_t maxValue = 100;
    int32_t progress = 0;

    int Percent() const { return PercentDone(minValue, maxValue, progress); }

    // Clamps and stores a new progress. Returns true when the whole percentage shown has changed, i.e. the
    // gauge must repaint.
    bool SetProgress(int32_t value) {
        value = Clamp(value, minValue, maxValue);
        if (value == progress) return false;
        const int before = Percent();
        progress = value;
        return Percent() != before;
    }

    enum class MaxResult { Unchanged, Changed, BelowMin };
    // Stores a new maximum, pulling the progress down to it. BelowMin leaves everything as it was.
    MaxResult SetMaxValue(int32_t value) {
        if (value == maxValue) return MaxResult::Unchanged;
        if (value < minValue) return MaxResult::BelowMin;
        maxValue = value;
        if (progress > maxValue) progress = maxValue;
        return MaxResult::Changed;
    }
};

}  // namespace qs::gauge
