#include <windows.h>
#include <oleacc.h>

#include <cstdint>
#include <cstdio>
#include <cwchar>
#include <iterator>
#include <string>

#include "framework/Gauge.h"
#include "framework/Accessible.h"
#include "base/Exceptions.h"
#include "framework/GdiGuards.h"
#include "base/WideText.h"

namespace qs {

namespace {
const char kGaugeClass[] = "QsGauge";
constexpr int kFontSlot = 0;  // window extra bytes: the font set by WM_SETFONT

TGauge* GaugeOf(HWND hwnd) { return dynamic_cast<TGauge*>(TControl::ViewOf(hwnd)); }

// The percentage as the gauge writes it.
std::string PercentText(int percent) { return std::to_string(percent) + "%"; }

// Frame, background, fill and inverted percentage of the gauge window hwnd (its font), composed off screen and
// copied to dc in one step so the bar never flickers.
void PaintBar(HWND hwnd, HDC dc, RECT rect, int percent, COLORREF fore, COLORREF back) {
    const int w = rect.right - rect.left, h = rect.bottom - rect.top;
    if (w <= 0 || h <= 0) return;
    MemoryDC mem(dc);
    GdiBitmap bmp(CreateCompatibleBitmap(dc, w, h));
    ScopedSelect bmpInMem(mem.Get(), bmp.Get());

    RECT all{0, 0, w, h};
    FrameRect(mem.Get(), &all, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
    RECT inner{1, 1, w - 1, h - 1};
    FillRect(mem.Get(), &inner, GdiBrush(CreateSolidBrush(back)).Get());
    const int fill = gauge::FillWidth(inner.right - inner.left, percent);
    if (fill > 0) {
        RECT done{inner.left, inner.top, inner.left + fill, inner.bottom};
        FillRect(mem.Get(), &done, GdiBrush(CreateSolidBrush(fore)).Get());
    }

    // The text goes in as white on black in a mask, then inverts what lies beneath it.
    const std::wstring text = Widen(PercentText(percent));
    {
        MemoryDC maskDC(dc);
        GdiBitmap mask(CreateCompatibleBitmap(dc, w, h));
        ScopedSelect maskInDC(maskDC.Get(), mask.Get());
        FillRect(maskDC.Get(), &all, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
        HFONT font = hwnd ? reinterpret_cast<HFONT>(SendMessageW(hwnd, WM_GETFONT, 0, 0)) : nullptr;
        {
            ScopedSelect fontInMask(maskDC.Get(),
                                    font ? static_cast<HGDIOBJ>(font) : GetStockObject(DEFAULT_GUI_FONT));
            SetTextColor(maskDC.Get(), RGB(255, 255, 255));
            SetBkMode(maskDC.Get(), TRANSPARENT);
            DrawTextW(maskDC.Get(), text.c_str(), -1, &all, DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
        }
        BitBlt(mem.Get(), 0, 0, w, h, maskDC.Get(), 0, 0, SRCINVERT);
    }

    BitBlt(dc, rect.left, rect.top, w, h, mem.Get(), 0, 0, SRCCOPY);
}

// A screen reader's view of the gauge: a progress bar whose value is the percentage it shows.
std::string AccessibleValue(HWND hwnd) {
    const TGauge* g = GaugeOf(hwnd);
    return PercentText(g ? g->PercentDone() : gauge::GaugeState{}.Percent());
}
constexpr AccessibleOverrides kAccessible{ROLE_SYSTEM_PROGRESSBAR, AccessibleValue, nullptr};

}  // namespace

const char* TGauge::ClassName() { return kGaugeClass; }

LRESULT CALLBACK GaugeWndProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_SETFONT:
        SetWindowLongPtrW(hwnd, kFontSlot, LONG_PTR(wp));
        if (LOWORD(lp)) InvalidateRect(hwnd, nullptr, FALSE);
        return 0;
    case WM_GETFONT: return GetWindowLongPtrW(hwnd, kFontSlot);
    case WM_ERASEBKGND: return 1;
    case WM_GETOBJECT:
        if (const LRESULT answer = AnswerGetObject(hwnd, wp, lp, kAccessible)) return answer;
        return DefWindowProcW(hwnd, msg, wp, lp);
    case WM_PAINT:
    case WM_PRINTCLIENT: {
        PAINTSTRUCT ps{};
        HDC dc = msg == WM_PAINT ? BeginPaint(hwnd, &ps) : reinterpret_cast<HDC>(wp);
        RECT r;
        GetClientRect(hwnd, &r);
        if (TGauge* g = GaugeOf(hwnd))
            g->PaintContent(dc, r);
        else  // not yet bound: an empty gauge in the default colours
            PaintBar(hwnd, dc, r, gauge::GaugeState{}.Percent(), TGauge::kDefaultFore, TGauge::kDefaultBack);
        if (msg == WM_PAINT) EndPaint(hwnd, &ps);
        return 0;
    }
    default: return DefWindowProcW(hwnd, msg, wp, lp);
    }
}

void TGauge::Setup(const form::ControlDef& def) {
    if (def.fillColor != form::kDefaultColor) foreColor_ = def.fillColor;
    if (def.lineColor != form::kDefaultColor) backColor_ = def.lineColor;
}

void TGauge::SetMaxValue(int value) {
    const int before = PercentDone();
    switch (state_.SetMaxValue(value)) {
    case gauge::GaugeState::MaxResult::Unchanged: return;
    case gauge::GaugeState::MaxResult::BelowMin:
        throw EInvalidOperation("Value must be between " + std::to_string(int64_t(state_.minValue) + 1) + " and " +
                                std::to_string(INT32_MAX));
    case gauge::GaugeState::MaxResult::Changed: {
        RepaintNow();
        if (PercentDone() != before) NotifyValueChanged(hwnd_);
        return;
    }
    }
}

void TGauge::SetProgress(int value) {
    if (state_.SetProgress(value)) {
        RepaintNow();
        NotifyValueChanged(hwnd_);
    }
}

void TGauge::RepaintNow() {
    if (!hwnd_) return;
    InvalidateRect(hwnd_, nullptr, FALSE);
    UpdateWindow(hwnd_);
}

void TGauge::PaintContent(HDC dc, RECT rect) {
    ++paintCount_;
    PaintBar(hwnd_, dc, rect, PercentDone(), foreColor_, backColor_);
}

}  // namespace qs
