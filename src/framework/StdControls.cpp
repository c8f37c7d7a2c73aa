#include "framework/StdControls.h"

#include "framework/Container.h"

namespace qs {

namespace {

COLORREF Resolve(COLORREF color, int sysColor) { return color == CLR_INVALID ? GetSysColor(sysColor) : color; }

// Marks the window's place in its parent for repainting, so that what it leaves uncovered is painted again.
void InvalidateOwnPlace(HWND hwnd) {
    HWND parent = GetParent(hwnd);
    RECT r;
    GetWindowRect(hwnd, &r);
    MapWindowPoints(HWND_DESKTOP, parent, reinterpret_cast<POINT*>(&r), 2);
    InvalidateRect(parent, &r, TRUE);
}

}  // namespace

void SizeLabelToText(HWND label) {
    char text[1024] = "";
    GetWindowTextA(label, text, sizeof text);
    RECT r{0, 0, 0, 0};
    {
        WindowDC dc(label);
        ScopedSelect fontInDC(dc.Get(), reinterpret_cast<HFONT>(SendMessageA(label, WM_GETFONT, 0, 0)));
        DrawTextA(dc.Get(), text[0] ? text : " ", -1, &r, DT_CALCRECT | DT_SINGLELINE | DT_NOPREFIX);
    }
    SetWindowPos(label, nullptr, 0, 0, r.right, r.bottom, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void TLabel::SetCaption(const std::string& caption) {
    if (caption == Text()) return;
    // The old text's place is cleared too when the label shrinks.
    if (autoSize_) InvalidateOwnPlace(hwnd_);
    SetWindowTextA(hwnd_, caption.c_str());
    if (autoSize_) SizeLabelToText(hwnd_);
    InvalidateRect(hwnd_, nullptr, TRUE);
}

void TLabel::SetColor(COLORREF color) {
    if (color == color_) return;
    color_ = color;
    brush_.Reset(color == CLR_INVALID ? nullptr : CreateSolidBrush(color));
    InvalidateRect(hwnd_, nullptr, TRUE);
}

void TLabel::SetFontColor(COLORREF color) {
    fontColor_ = color;
    InvalidateRect(hwnd_, nullptr, TRUE);
}

void TLabel::SetTransparent(bool transparent) {
    transparent_ = transparent;
    InvalidateRect(hwnd_, nullptr, TRUE);
}

void TLabel::Setup(const form::ControlDef& def) {
    if (def.textColor != form::kDefaultColor) SetFontColor(def.textColor);
    if (def.fillColor != form::kDefaultColor) SetColor(def.fillColor);
    SetTransparent((def.style & form::style::Transparent) != 0);
    autoSize_ = def.kind == form::Kind::Label && form::AutoSizes(def.style);
}

bool TLabel::Reflect(UINT msg, WPARAM wp, LPARAM, LRESULT& result) {
    if (msg != WM_CTLCOLORSTATIC) return false;
    HDC dc = reinterpret_cast<HDC>(wp);
    SetTextColor(dc, Resolve(fontColor_, COLOR_WINDOWTEXT));
    if (transparent_) {
        // Paint what lies beneath (the container's graphics), then let the text go over it.
        HWND parent = GetParent(hwnd_);
        RECT r;
        GetWindowRect(hwnd_, &r);
        MapWindowPoints(HWND_DESKTOP, parent, reinterpret_cast<POINT*>(&r), 2);
        POINT old;
        SetViewportOrgEx(dc, -r.left, -r.top, &old);
        PaintContainer(parent, dc, r);
        SetViewportOrgEx(dc, old.x, old.y, nullptr);
        SetBkMode(dc, TRANSPARENT);
        result = reinterpret_cast<LRESULT>(GetStockObject(NULL_BRUSH));
        return true;
    }
    SetBkColor(dc, Resolve(color_, COLOR_BTNFACE));
    result = reinterpret_cast<LRESULT>(brush_ ? brush_.Get() : GetSysColorBrush(COLOR_BTNFACE));
    return true;
}

void TEdit::SetReadOnly(bool readOnly) { SendMessageA(hwnd_, EM_SETREADONLY, readOnly, 0); }
bool TEdit::ReadOnly() const { return (GetWindowLongA(hwnd_, GWL_STYLE) & ES_READONLY) != 0; }

void TEdit::SetText(const std::string& text) {
    if (text == Text()) return;
    settingText_ = true;
    SetWindowTextA(hwnd_, text.c_str());
    settingText_ = false;
    if (OnChange) OnChange();
}

bool TEdit::Reflect(UINT msg, WPARAM wp, LPARAM, LRESULT& result) {
    if (msg == WM_COMMAND && HIWORD(wp) == EN_CHANGE) {
        if (!settingText_) RaiseFromUser(OnChange);
        result = 0;
        return true;
    }
    return false;
}

bool TCheckBox::Checked() const { return SendMessageA(hwnd_, BM_GETCHECK, 0, 0) == BST_CHECKED; }

void TCheckBox::SetChecked(bool checked) {
    if (checked == Checked()) return;
    SendMessageA(hwnd_, BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0);
    if (OnClick) OnClick();
}

void TCheckBox::Setup(const form::ControlDef& def) {
    // The state a table gives is the state as loaded: no event.
    SendMessageA(hwnd_, BM_SETCHECK, (def.style & form::style::Checked) ? BST_CHECKED : BST_UNCHECKED, 0);
}

bool TCheckBox::Reflect(UINT msg, WPARAM wp, LPARAM, LRESULT& result) {
    if (msg == WM_COMMAND && HIWORD(wp) == BN_CLICKED) {
        RaiseFromUser(OnClick);
        result = 0;
        return true;
    }
    return false;
}

}  // namespace qs
