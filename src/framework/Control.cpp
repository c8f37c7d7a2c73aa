#include "framework/Control.h"

#include <algorithm>

#include "framework/Application.h"
#include "framework/UiResources.h"
#include "base/WideText.h"

namespace qs {

namespace {

const wchar_t kViewProp[] = L"QsView";  // the window property that holds a window's view

}  // namespace

void RaiseFromUser(const TNotifyEvent& event) {
    if (!event) return;
    try {
        RunHandler(event);
    } catch (...) {
    }
}

TControl::~TControl() {
    if (hwnd_ && IsWindow(hwnd_) && GetPropW(hwnd_, kViewProp) == this) RemovePropW(hwnd_, kViewProp);
}

void TControl::SetHandle(HWND hwnd) {
    if (hwnd_ && IsWindow(hwnd_) && GetPropW(hwnd_, kViewProp) == this) RemovePropW(hwnd_, kViewProp);
    hwnd_ = hwnd;
    if (hwnd_) SetPropW(hwnd_, kViewProp, this);
}

void TControl::SetVisible(bool visible) { ShowWindow(hwnd_, visible ? SW_SHOWNA : SW_HIDE); }
bool TControl::Visible() const { return (GetWindowLongW(hwnd_, GWL_STYLE) & WS_VISIBLE) != 0; }
void TControl::SetEnabled(bool enabled) { EnableWindow(hwnd_, enabled); }
bool TControl::Enabled() const { return IsWindowEnabled(hwnd_) != FALSE; }

std::string TextOf(HWND hwnd) {
    const int n = GetWindowTextLengthW(hwnd);
    std::wstring s(size_t(std::max(n, 0)) + 1, L'\0');
    const int got = GetWindowTextW(hwnd, s.data(), n + 1);
    s.resize(size_t(std::max(got, 0)));
    return Narrow(s);
}

void SetTextOf(HWND hwnd, const std::string& text) { SetWindowTextW(hwnd, Widen(text).c_str()); }

std::string TControl::Text() const { return TextOf(hwnd_); }

void TControl::SetText(const std::string& text) {
    SetTextOf(hwnd_, text);
    FitFontTo(text);
}

void TControl::ApplyDpi(const form::ControlDef& row, int dpi) {
    dpi_ = dpi;
    FitFontTo(Text());
    const form::Rect r = form::Scale(row.rect, dpi);
    SetWindowPos(hwnd_, nullptr, r.left, r.top, r.width, r.height, SWP_NOZORDER | SWP_NOACTIVATE);
}

void TControl::FitFontTo(const std::string& text) {
    HFONT font = UiFontFor(fontKind_, dpi_, text);
    if (reinterpret_cast<HFONT>(SendMessageW(hwnd_, WM_GETFONT, 0, 0)) != font)
        SendMessageW(hwnd_, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
}

TControl* TControl::ViewOf(HWND hwnd) {
    return hwnd ? static_cast<TControl*>(GetPropW(hwnd, kViewProp)) : nullptr;
}

bool TControl::Reflect(UINT, WPARAM, LPARAM, LRESULT&) { return false; }

bool ReflectToControl(HWND, UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) {
    HWND child = nullptr;
    switch (msg) {
    case WM_COMMAND: child = reinterpret_cast<HWND>(lp); break;
    case WM_NOTIFY: child = reinterpret_cast<const NMHDR*>(lp)->hwndFrom; break;
    case WM_DRAWITEM: child = reinterpret_cast<const DRAWITEMSTRUCT*>(lp)->hwndItem; break;
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORLISTBOX: child = reinterpret_cast<HWND>(lp); break;
    default: return false;
    }
    TControl* view = TControl::ViewOf(child);
    if (!view) return false;
    try {
        return view->Reflect(msg, wp, lp, result);
    } catch (...) {
        return false;  // never let an error unwind through the window manager
    }
}

LRESULT CALLBACK DefParentProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    LRESULT result = 0;
    if (ReflectToControl(hwnd, msg, wp, lp, result)) return result;
    return DefWindowProcW(hwnd, msg, wp, lp);
}

void RepaintNow(HWND hwnd) {
    RedrawWindow(hwnd, nullptr, nullptr,
                 RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW | RDW_ERASENOW | RDW_FRAME);
}

}  // namespace qs
