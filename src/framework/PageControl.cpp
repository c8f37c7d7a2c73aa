#include "framework/PageControl.h"

#include <commctrl.h>

#include <algorithm>
#include <vector>

#include "framework/Application.h"
#include "framework/Container.h"
#include "base/Exceptions.h"
#include "base/WideText.h"

namespace qs {

HWND TPageControl::Create(HWND parent, const RECT& rect, int id, const std::vector<std::string>& captions,
                          HFONT font, int dpi) {
    dpi_ = dpi;
    InitControls();
    HWND tab = CreateWindowExW(0, WC_TABCONTROLW, L"", WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN | WS_CLIPSIBLINGS |
                                                        WS_TABSTOP | TCS_TABS | TCS_SINGLELINE,
                               rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top, parent,
                               reinterpret_cast<HMENU>(INT_PTR(id)), Application().Instance(), nullptr);
    if (!tab) throw EInOutError(int(GetLastError()));
    SetHandle(tab);
    SendMessageW(tab, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    for (size_t i = 0; i < captions.size(); ++i) {
        std::wstring caption = Widen(captions[i]);
        TCITEMW item{};
        item.mask = TCIF_TEXT | TCIF_PARAM;
        item.pszText = caption.data();
        item.lParam = LPARAM(i);
        SendMessageW(tab, TCM_INSERTITEMW, i, reinterpret_cast<LPARAM>(&item));
    }
    const RECT pr = PageRect();
    for (size_t i = 0; i < captions.size(); ++i) {
        HWND page = CreateContainer(tab, pr, kPageIdBase + int(i), form::FontKind::Window, dpi);
        SetTextOf(page, captions[i]);  // the caption a hidden tab returns with
    }
    SetActivePage(0);
    return tab;
}

void TPageControl::Rescale(int dpi, const RECT& rect, HFONT font) {
    dpi_ = dpi;
    SetWindowPos(hwnd_, nullptr, rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top,
                 SWP_NOZORDER | SWP_NOACTIVATE);
    SendMessageW(hwnd_, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
    const RECT pr = PageRect();
    for (int p = 0; p < PageCount(); ++p) {
        SetWindowPos(Page(p), nullptr, pr.left, pr.top, pr.right - pr.left, pr.bottom - pr.top,
                     SWP_NOZORDER | SWP_NOACTIVATE);
        ScaleContainer(Page(p), dpi);
    }
    InvalidateRect(hwnd_, nullptr, TRUE);
}

RECT TPageControl::PageRect() const {
    RECT r;
    GetClientRect(hwnd_, &r);
    SendMessageW(hwnd_, TCM_ADJUSTRECT, FALSE, reinterpret_cast<LPARAM>(&r));
    return r;
}

int TPageControl::PageCount() const {
    int n = 0;
    while (GetDlgItem(hwnd_, kPageIdBase + n)) ++n;
    return n;
}

HWND TPageControl::Page(int index) const { return GetDlgItem(hwnd_, kPageIdBase + index); }

int TPageControl::TabIndexOf(int page) const {
    const int n = int(SendMessageW(hwnd_, TCM_GETITEMCOUNT, 0, 0));
    for (int i = 0; i < n; ++i) {
        TCITEMW item{};
        item.mask = TCIF_PARAM;
        SendMessageW(hwnd_, TCM_GETITEMW, i, reinterpret_cast<LPARAM>(&item));
        if (item.lParam == page) return i;
    }
    return -1;
}

bool TPageControl::TabVisible(int page) const { return TabIndexOf(page) >= 0; }

void TPageControl::SetTabVisible(int page, bool visible) {
    if (page < 0 || page >= PageCount() || visible == TabVisible(page)) return;
    const int active = ActivePage();
    if (!visible) {
        SendMessageW(hwnd_, TCM_DELETEITEM, TabIndexOf(page), 0);
        if (active == page) {
            // The next visible page takes over, else the one before it.
            int next = -1;
            for (int p = page + 1; p < PageCount() && next < 0; ++p)
                if (TabVisible(p)) next = p;
            for (int p = page - 1; p >= 0 && next < 0; --p)
                if (TabVisible(p)) next = p;
            // With no other tab left, the page stays on show without one.
            if (next >= 0) SetActivePage(next);
        } else if (active >= 0) {
            SendMessageW(hwnd_, TCM_SETCURSEL, TabIndexOf(active), 0);
        }
        return;
    }
    // The tab goes back after the visible tabs of the pages before it.
    int at = 0;
    for (int p = 0; p < page; ++p) at += TabVisible(p);
    std::wstring caption = Widen(TextOf(Page(page)));
    TCITEMW item{};
    item.mask = TCIF_TEXT | TCIF_PARAM;
    item.pszText = caption.data();
    item.lParam = page;
    SendMessageW(hwnd_, TCM_INSERTITEMW, at, reinterpret_cast<LPARAM>(&item));
    if (active >= 0) SendMessageW(hwnd_, TCM_SETCURSEL, TabIndexOf(active), 0);
    else SetActivePage(page);
}

bool TPageControl::ShowPage(int page) {
    if (page < 0 || page >= PageCount()) return false;
    SendMessageW(hwnd_, TCM_SETCURSEL, TabIndexOf(page), 0);
    ShowWindow(Page(page), SW_SHOWNA);
    for (int p = 0; p < PageCount(); ++p)
        if (p != page) ShowWindow(Page(p), SW_HIDE);
    return true;
}

void TPageControl::SetActivePage(int page) {
    HWND focus = GetFocus();
    const bool focusHere = focus && (focus == hwnd_ || IsChild(hwnd_, focus));
    if (!ShowPage(page)) return;
    if (focusHere && (focus == hwnd_ || !IsWindowVisible(focus))) FocusFirstControl();
}

bool TPageControl::StepTab(WPARAM key) {
    const int count = int(SendMessageW(hwnd_, TCM_GETITEMCOUNT, 0, 0));
    const int current = int(SendMessageW(hwnd_, TCM_GETCURSEL, 0, 0));
    int to = current;
    switch (key) {
    case VK_LEFT:
    case VK_UP: to = current - 1; break;
    case VK_RIGHT:
    case VK_DOWN: to = current + 1; break;
    case VK_HOME: to = 0; break;
    case VK_END: to = count - 1; break;
    default: return false;
    }
    to = std::clamp(to, 0, std::max(count - 1, 0));
    TCITEMW item{};
    item.mask = TCIF_PARAM;
    if (to != current && SendMessageW(hwnd_, TCM_GETITEMW, to, reinterpret_cast<LPARAM>(&item)))
        ShowPage(int(item.lParam));
    return true;
}

void TPageControl::FocusFirstControl() {
    const int active = ActivePage();
    HWND shown = active >= 0 ? Page(active) : nullptr;
    HWND first = shown ? GetNextDlgTabItem(shown, nullptr, FALSE) : nullptr;
    SetFocus(first && IsChild(shown, first) ? first : hwnd_);
}

void TPageControl::Activated(bool active) {
    if (!active) {
        HWND focus = GetFocus();
        lastFocus_ = focus && (focus == hwnd_ || IsChild(hwnd_, focus)) ? focus : nullptr;
        return;
    }
    if (lastFocus_ && IsWindow(lastFocus_) && IsWindowVisible(lastFocus_) && IsWindowEnabled(lastFocus_))
        SetFocus(lastFocus_);
    else
        FocusFirstControl();
}

int TPageControl::ActivePage() const {
    for (int p = 0; p < PageCount(); ++p)
        if (GetWindowLongW(Page(p), GWL_STYLE) & WS_VISIBLE) return p;
    return -1;
}

bool TPageControl::Reflect(UINT msg, WPARAM, LPARAM lp, LRESULT& result) {
    if (msg != WM_NOTIFY) return false;
    const auto* hdr = reinterpret_cast<const NMHDR*>(lp);
    if (hdr->code == TCN_SELCHANGE) {
        const int sel = int(SendMessageW(hwnd_, TCM_GETCURSEL, 0, 0));
        TCITEMW item{};
        item.mask = TCIF_PARAM;
        if (sel >= 0 && SendMessageW(hwnd_, TCM_GETITEMW, sel, reinterpret_cast<LPARAM>(&item)))
            ShowPageFromUser(int(item.lParam));
        result = 0;
        return true;
    }
    return false;
}

void TPageControl::ShowPageFromUser(int page) {
    SetActivePage(page);
    // A page chosen by the user starts at its first control, wherever the focus was.
    FocusFirstControl();
}

void TPageControl::ShowNeighbourPage(bool previous) {
    const int n = PageCount();
    const int active = ActivePage();
    for (int step = 1; step < n; ++step) {
        const int page = ((active + (previous ? -step : step)) % n + n) % n;
        if (TabVisible(page)) {
            ShowPageFromUser(page);
            return;
        }
    }
}

void TPageControl::MoveFocus(HWND from, bool back) {
    std::vector<HWND> stops{hwnd_};
    if (const int active = ActivePage(); active >= 0) {
        // The page's children lie in tab order (the builder put its tab stops on top in that order).
        for (HWND c = GetWindow(Page(active), GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT))
            if ((GetWindowLongW(c, GWL_STYLE) & WS_TABSTOP) && IsWindowVisible(c) && IsWindowEnabled(c))
                stops.push_back(c);
    }
    const size_t at = size_t(std::find(stops.begin(), stops.end(), from) - stops.begin()) % stops.size();
    HWND to = stops[(at + (back ? stops.size() - 1 : 1)) % stops.size()];
    SetFocus(to);
    // An edit box entered by the keyboard has its text selected, as in a dialog.
    if (SendMessageW(to, WM_GETDLGCODE, 0, 0) & DLGC_HASSETSEL) SendMessageW(to, EM_SETSEL, 0, -1);
}

bool TranslatePageKey(const MSG& msg) {
    if (msg.message != WM_KEYDOWN) return false;
    if (msg.wParam != VK_TAB) {
        // Keys on the tab strip itself.
        auto* strip = dynamic_cast<TPageControl*>(TControl::ViewOf(msg.hwnd));
        return strip && strip->StepTab(msg.wParam);
    }
    // A control that takes Tab for itself keeps it, as in a dialog.
    const LRESULT wants = SendMessageW(msg.hwnd, WM_GETDLGCODE, msg.wParam, LPARAM(&msg));
    if (wants & (DLGC_WANTTAB | DLGC_WANTMESSAGE)) return false;
    TPageControl* pages = nullptr;
    for (HWND h = msg.hwnd; h && !pages; h = GetAncestor(h, GA_PARENT))
        pages = dynamic_cast<TPageControl*>(TControl::ViewOf(h));
    if (!pages) return false;
    const bool shift = GetKeyState(VK_SHIFT) < 0;
    if (GetKeyState(VK_CONTROL) < 0)
        pages->ShowNeighbourPage(shift);
    else
        pages->MoveFocus(msg.hwnd, shift);
    return true;
}

}  // namespace qs
