#include "framework/StdControls.h"

#include <commctrl.h>

#include <algorithm>

#include "framework/Accessible.h"
#include "framework/Application.h"
#include "framework/Container.h"
#include "base/WideText.h"

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

const wchar_t kStaticProcProp[] = L"QsStaticProc";  // a described label's own window procedure

std::string LabelDescription(HWND hwnd) {
    const auto* label = dynamic_cast<const TLabel*>(TControl::ViewOf(hwnd));
    return label ? label->Description() : std::string();
}

// A described label answers a screen reader with its description; the static control does all else.
LRESULT CALLBACK DescribedLabelProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    const auto own = reinterpret_cast<WNDPROC>(GetPropW(hwnd, kStaticProcProp));
    if (msg == WM_GETOBJECT) {
        static constexpr AccessibleOverrides kDescribed{0, nullptr, LabelDescription};
        if (const LRESULT answer = AnswerGetObject(hwnd, wp, lp, kDescribed)) return answer;
    }
    if (msg == WM_NCDESTROY) {
        SetWindowLongPtrW(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(own));
        RemovePropW(hwnd, kStaticProcProp);
    }
    return own ? CallWindowProcW(own, hwnd, msg, wp, lp) : DefWindowProcW(hwnd, msg, wp, lp);
}

}  // namespace

SIZE LabelTextSize(HWND label) {
    const std::wstring text = Widen(TextOf(label));
    RECT r{0, 0, 0, 0};
    WindowDC dc(label);
    ScopedSelect fontInDC(dc.Get(), reinterpret_cast<HFONT>(SendMessageW(label, WM_GETFONT, 0, 0)));
    DrawTextW(dc.Get(), text.empty() ? L" " : text.c_str(), -1, &r, DT_CALCRECT | DT_SINGLELINE | DT_NOPREFIX);
    return SIZE{r.right, r.bottom};
}

void SizeLabelToText(HWND label) {
    const SIZE s = LabelTextSize(label);
    SetWindowPos(label, nullptr, 0, 0, s.cx, s.cy, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void TLabel::SetCaption(const std::string& caption) {
    if (caption == Text()) return;
    // The old text's place is cleared too when the label shrinks.
    if (autoSize_ || maxWidth_) InvalidateOwnPlace(hwnd_);
    SetTextOf(hwnd_, caption);
    FitFontTo(caption);
    if (maxWidth_) FitWidth();
    else if (autoSize_) SizeLabelToText(hwnd_);
    InvalidateRect(hwnd_, nullptr, TRUE);
}

void TLabel::SetWidthLimits(int minWidth, int maxWidth) {
    minWidth_ = minWidth;
    maxWidth_ = std::max(minWidth, maxWidth);
    // The static control draws the ellipsis itself, so its text stays whole for anyone who reads it; the tooltip
    // needs the mouse messages that a plain static control passes on to its parent.
    SetWindowLongW(hwnd_, GWL_STYLE, GetWindowLongW(hwnd_, GWL_STYLE) | SS_ENDELLIPSIS | SS_NOTIFY);
    InvalidateOwnPlace(hwnd_);
    FitWidth();
    InvalidateRect(hwnd_, nullptr, TRUE);
}

void TLabel::FitWidth() {
    const SIZE text = LabelTextSize(hwnd_);
    RECT r;
    GetClientRect(hwnd_, &r);
    const int height = autoSize_ ? int(text.cy) : int(r.bottom);
    const int minWidth = Scaled(minWidth_), maxWidth = Scaled(maxWidth_);
    SetWindowPos(hwnd_, nullptr, 0, 0, std::clamp(int(text.cx), minWidth, maxWidth), height,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    cut_ = text.cx > maxWidth;
    ShowWholeTextAsTip(cut_);
}

void TLabel::ApplyDpi(const form::ControlDef& row, int dpi) {
    TControl::ApplyDpi(row, dpi);
    if (maxWidth_) FitWidth();
    else if (autoSize_) SizeLabelToText(hwnd_);
}

void TLabel::ShowWholeTextAsTip(bool show) {
    if (!show && !tip_) return;
    if (!tip_) {
        // Owned by the top-level window, which destroys it with itself.
        tip_ = CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_NOPREFIX | TTS_ALWAYSTIP,
                               CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT,
                               GetAncestor(hwnd_, GA_ROOT), nullptr, Application().Instance(), nullptr);
        if (!tip_) return;  // the text stays cut without its tip: nothing worth stopping for
    }
    std::wstring text = Widen(Text());
    TTTOOLINFOW tool{};
    tool.cbSize = TTTOOLINFOW_V2_SIZE;  // understood by every version of the common controls
    tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
    tool.hwnd = GetParent(hwnd_);
    tool.uId = reinterpret_cast<UINT_PTR>(hwnd_);
    tool.lpszText = text.data();
    SendMessageW(tip_, TTM_DELTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
    if (show) SendMessageW(tip_, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
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

void TLabel::SetDescription(const std::string& description) {
    if (description == description_) return;
    description_ = description;
    if (!GetPropW(hwnd_, kStaticProcProp)) {
        SetPropW(hwnd_, kStaticProcProp, reinterpret_cast<HANDLE>(GetWindowLongPtrW(hwnd_, GWLP_WNDPROC)));
        SetWindowLongPtrW(hwnd_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(DescribedLabelProc));
    }
    // A screen reader that shows the label reads it again.
    NotifyWinEvent(EVENT_OBJECT_DESCRIPTIONCHANGE, hwnd_, OBJID_CLIENT, CHILDID_SELF);
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

void TEdit::SetReadOnly(bool readOnly) { SendMessageW(hwnd_, EM_SETREADONLY, readOnly, 0); }
bool TEdit::ReadOnly() const { return (GetWindowLongW(hwnd_, GWL_STYLE) & ES_READONLY) != 0; }

void TEdit::SetText(const std::string& text) {
    if (text == Text()) return;
    settingText_ = true;
    SetTextOf(hwnd_, text);
    settingText_ = false;
    if (OnChange) OnChange();
}

bool TEdit::Reflect(UINT msg, WPARAM wp, LPARAM, LRESULT& result) {
    if (msg == WM_COMMAND && HIWORD(wp) == EN_CHANGE) {
        FitFontTo(Text());  // a folder name typed or pasted may need letters the bitmap face lacks
        if (!settingText_) RaiseFromUser(OnChange);
        result = 0;
        return true;
    }
    return false;
}

bool TCheckBox::Checked() const { return SendMessageW(hwnd_, BM_GETCHECK, 0, 0) == BST_CHECKED; }

void TCheckBox::SetChecked(bool checked) {
    if (checked == Checked()) return;
    SendMessageW(hwnd_, BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0);
    if (OnClick) OnClick();
}

void TCheckBox::Setup(const form::ControlDef& def) {
    // The state a table gives is the state as loaded: no event.
    SendMessageW(hwnd_, BM_SETCHECK, (def.style & form::style::Checked) ? BST_CHECKED : BST_UNCHECKED, 0);
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
