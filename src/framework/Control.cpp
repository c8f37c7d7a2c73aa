#include "framework/Control.h"

#include <algorithm>

#include "framework/Application.h"

namespace qs {

namespace {

const char kViewProp[] = "QsView";  // the window property that holds a window's view

}  // namespace

void RaiseFromUser(const TNotifyEvent& event) {
    if (!event) return;
    try {
        RunHandler(event);
    } catch (...) {
    }
}

TControl::~TControl() {
    if (hwnd_ && IsWindow(hwnd_) && GetPropA(hwnd_, kViewProp) == this) RemovePropA(hwnd_, kViewProp);
}

void TControl::SetHandle(HWND hwnd) {
    if (hwnd_ && IsWindow(hwnd_) && GetPropA(hwnd_, kViewProp) == this) RemovePropA(hwnd_, kViewProp);
    hwnd_ = hwnd;
    if (hwnd_) SetPropA(hwnd_, kViewProp, this);
}

void TControl::SetVisible(bool visible) { ShowWindow(hwnd_, visible ? SW_SHOWNA : SW_HIDE); }
bool TControl::Visible() const { return (GetWindowLongA(hwnd_, GWL_STYLE) & WS_VISIBLE) != 0; }
void TControl::SetEnabled(bool enabled) { EnableWindow(hwnd_, enabled); }
bool TControl::Enabled() const { return IsWindowEnabled(hwnd_) != FALSE; }

std::string TControl::Text() const {
    const int n = GetWindowTextLengthA(hwnd_);
    std::string s(size_t(n) + 1, '\0');
    const int got = GetWindowTextA(hwnd_, s.data(), n + 1);
    s.resize(size_t(std::max(got, 0)));
    return s;
}

void TControl::SetText(const std::string& text) { SetWindowTextA(hwnd_, text.c_str()); }

TControl* TControl::ViewOf(HWND hwnd) {
    return hwnd ? static_cast<TControl*>(GetPropA(hwnd, kViewProp)) : nullptr;
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
    return DefWindowProcA(hwnd, msg, wp, lp);
}

void RepaintNow(HWND hwnd) {
    RedrawWindow(hwnd, nullptr, nullptr,
                 RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW | RDW_ERASENOW | RDW_FRAME);
}

}  // namespace qs
