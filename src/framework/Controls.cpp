#include "framework/Controls.h"
#include "framework/SystemLibrary.h"

#include <commctrl.h>

#include <algorithm>
#include <cstring>
#include <memory>

#include "framework/Application.h"
#include "framework/ArtData.h"
#include "framework/Exceptions.h"

namespace qs {

namespace {

const char kViewProp[] = "QsView";
const char kContainerClass[] = "QsContainer";

TControl* ViewOf(HWND hwnd) { return hwnd ? static_cast<TControl*>(GetPropA(hwnd, kViewProp)) : nullptr; }

COLORREF Resolve(COLORREF color, int sysColor) { return color == CLR_INVALID ? GetSysColor(sysColor) : color; }

}  // namespace

void RaiseFromUser(const TNotifyEvent& event) {
    if (!event) return;
    try {
        RunHandler(event);
    } catch (...) {
    }
}

// ---------------------------------------------------------------- TControl

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

bool TControl::Reflect(UINT, WPARAM, LPARAM, LRESULT&) { return false; }

// ---------------------------------------------------------------- TLabel

TLabel::~TLabel() {
    if (brush_) DeleteObject(brush_);
}

void TLabel::SetCaption(const std::string& caption) {
    if (caption == Text()) return;
    SetWindowTextA(hwnd_, caption.c_str());
    InvalidateRect(hwnd_, nullptr, TRUE);
}

void TLabel::SetColor(COLORREF color) {
    if (color == color_) return;
    color_ = color;
    if (brush_) DeleteObject(brush_);
    brush_ = color == CLR_INVALID ? nullptr : CreateSolidBrush(color);
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
    result = reinterpret_cast<LRESULT>(brush_ ? brush_ : GetSysColorBrush(COLOR_BTNFACE));
    return true;
}

// ---------------------------------------------------------------- TEdit

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

// ---------------------------------------------------------------- TCheckBox

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

// ---------------------------------------------------------------- TBitBtn

TBitBtn::~TBitBtn() {
    if (glyph_) DeleteObject(glyph_);
}

void TBitBtn::Click() {
    if (OnClick) OnClick();
}

void TBitBtn::SetGlyph(HBITMAP glyph) {
    if (glyph_ && glyph_ != glyph) DeleteObject(glyph_);
    glyph_ = glyph;
    if (hwnd_) InvalidateRect(hwnd_, nullptr, FALSE);
}

int TBitBtn::NumGlyphs() const {
    if (!glyph_) return 0;
    BITMAP bm{};
    GetObjectA(glyph_, sizeof bm, &bm);
    return bm.bmWidth == 2 * bm.bmHeight ? 2 : 1;
}

void TBitBtn::Setup(const form::ControlDef& def) {
    spacing_ = def.spacing;
    SetGlyph(LoadPictureBitmap(def.picture));
}

bool TBitBtn::Reflect(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) {
    if (msg == WM_COMMAND && (HIWORD(wp) == BN_CLICKED || HIWORD(wp) == BN_DOUBLECLICKED)) {
        RaiseFromUser(OnClick);
        result = 0;
        return true;
    }
    if (msg == WM_DRAWITEM) {
        const auto* di = reinterpret_cast<const DRAWITEMSTRUCT*>(lp);
        PaintContent(di->hDC, di->rcItem, (di->itemState & ODS_SELECTED) != 0, (di->itemState & ODS_FOCUS) != 0);
        result = TRUE;
        return true;
    }
    return false;
}

void TBitBtn::PaintContent(HDC dc, RECT rect, bool pushed, bool focused) {
    const bool enabled = IsWindowEnabled(hwnd_) != FALSE;
    RECT face = rect;
    if (focused) {
        // A focused button gets the dark frame of the classic look.
        FrameRect(dc, &face, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
        InflateRect(&face, -1, -1);
    }
    DrawFrameControl(dc, &face, DFC_BUTTON, DFCS_BUTTONPUSH | (pushed ? DFCS_PUSHED | DFCS_FLAT : 0));
    if (pushed) FrameRect(dc, &face, GetSysColorBrush(COLOR_BTNSHADOW));

    const std::string caption = Text();
    HFONT font = reinterpret_cast<HFONT>(SendMessageA(hwnd_, WM_GETFONT, 0, 0));
    HGDIOBJ oldFont = SelectObject(dc, font ? font : GetStockObject(DEFAULT_GUI_FONT));
    RECT textRect{0, 0, 0, 0};
    DrawTextA(dc, caption.c_str(), -1, &textRect, DT_SINGLELINE | DT_CALCRECT);
    const int textW = textRect.right, textH = textRect.bottom;

    int glyphW = 0, glyphH = 0;
    const int glyphs = NumGlyphs();
    if (glyph_) {
        BITMAP bm{};
        GetObjectA(glyph_, sizeof bm, &bm);
        glyphW = bm.bmWidth / glyphs;
        glyphH = bm.bmHeight;
    }
    const int gap = glyph_ && !caption.empty() ? spacing_ : 0;
    const int total = glyphW + gap + textW;
    const int shift = pushed ? 1 : 0;
    const int x0 = rect.left + (rect.right - rect.left - total + 1) / 2 + shift;

    if (glyph_) {
        const int gy = rect.top + (rect.bottom - rect.top - glyphH) / 2 + shift;
        HDC mem = CreateCompatibleDC(dc);
        HGDIOBJ oldBmp = SelectObject(mem, glyph_);
        const COLORREF key = GetPixel(mem, 0, glyphH - 1);
        const int srcX = (!enabled && glyphs == 2) ? glyphW : 0;
        using TransparentBltFn = BOOL(WINAPI*)(HDC, int, int, int, int, HDC, int, int, int, int, UINT);
        static const auto transparentBlt = SystemFunction<TransparentBltFn>("msimg32.dll", "TransparentBlt");
        if (transparentBlt)
            transparentBlt(dc, x0, gy, glyphW, glyphH, mem, srcX, 0, glyphW, glyphH, key);
        else
            BitBlt(dc, x0, gy, glyphW, glyphH, mem, srcX, 0, SRCCOPY);
        SelectObject(mem, oldBmp);
        DeleteDC(mem);
    }
    RECT tr{x0 + glyphW + gap, rect.top + (rect.bottom - rect.top - textH) / 2 + shift, 0, 0};
    tr.right = tr.left + textW;
    tr.bottom = tr.top + textH;
    SetBkMode(dc, TRANSPARENT);
    if (enabled) {
        SetTextColor(dc, GetSysColor(COLOR_BTNTEXT));
        DrawTextA(dc, caption.c_str(), -1, &tr, DT_SINGLELINE);
    } else {
        RECT hi = tr;
        OffsetRect(&hi, 1, 1);
        SetTextColor(dc, GetSysColor(COLOR_BTNHIGHLIGHT));
        DrawTextA(dc, caption.c_str(), -1, &hi, DT_SINGLELINE);
        SetTextColor(dc, GetSysColor(COLOR_BTNSHADOW));
        DrawTextA(dc, caption.c_str(), -1, &tr, DT_SINGLELINE);
    }
    if (focused) {
        RECT fr = tr;
        InflateRect(&fr, 2, 1);
        DrawFocusRect(dc, &fr);
    }
    SelectObject(dc, oldFont);
}

// ---------------------------------------------------------------- TPageControl

HWND TPageControl::Create(HWND parent, const RECT& rect, int id, const std::vector<std::string>& captions,
                          HFONT font) {
    InitControls();
    HWND tab = CreateWindowExA(0, WC_TABCONTROLA, "", WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN | WS_CLIPSIBLINGS |
                                                        WS_TABSTOP | TCS_TABS | TCS_SINGLELINE,
                               rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top, parent,
                               reinterpret_cast<HMENU>(INT_PTR(id)), Application().Instance(), nullptr);
    if (!tab) throw EInOutError(int(GetLastError()));
    SetHandle(tab);
    SendMessageA(tab, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    for (size_t i = 0; i < captions.size(); ++i) {
        TCITEMA item{};
        item.mask = TCIF_TEXT | TCIF_PARAM;
        item.pszText = const_cast<char*>(captions[i].c_str());
        item.lParam = LPARAM(i);
        SendMessageA(tab, TCM_INSERTITEMA, i, reinterpret_cast<LPARAM>(&item));
    }
    const RECT pr = PageRect();
    for (size_t i = 0; i < captions.size(); ++i) {
        HWND page = CreateContainer(tab, pr, kPageIdBase + int(i), form::FontKind::Window);
        SetWindowTextA(page, captions[i].c_str());  // the caption a hidden tab returns with
    }
    SetActivePage(0);
    return tab;
}

RECT TPageControl::PageRect() const {
    RECT r;
    GetClientRect(hwnd_, &r);
    SendMessageA(hwnd_, TCM_ADJUSTRECT, FALSE, reinterpret_cast<LPARAM>(&r));
    return r;
}

int TPageControl::PageCount() const {
    int n = 0;
    while (GetDlgItem(hwnd_, kPageIdBase + n)) ++n;
    return n;
}

HWND TPageControl::Page(int index) const { return GetDlgItem(hwnd_, kPageIdBase + index); }

int TPageControl::TabIndexOf(int page) const {
    const int n = int(SendMessageA(hwnd_, TCM_GETITEMCOUNT, 0, 0));
    for (int i = 0; i < n; ++i) {
        TCITEMA item{};
        item.mask = TCIF_PARAM;
        SendMessageA(hwnd_, TCM_GETITEMA, i, reinterpret_cast<LPARAM>(&item));
        if (item.lParam == page) return i;
    }
    return -1;
}

bool TPageControl::TabVisible(int page) const { return TabIndexOf(page) >= 0; }

void TPageControl::SetTabVisible(int page, bool visible) {
    if (page < 0 || page >= PageCount() || visible == TabVisible(page)) return;
    const int active = ActivePage();
    if (!visible) {
        SendMessageA(hwnd_, TCM_DELETEITEM, TabIndexOf(page), 0);
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
            SendMessageA(hwnd_, TCM_SETCURSEL, TabIndexOf(active), 0);
        }
        return;
    }
    // The tab goes back after the visible tabs of the pages before it.
    int at = 0;
    for (int p = 0; p < page; ++p) at += TabVisible(p);
    const std::string caption = [&] {
        char buf[128] = "";
        GetWindowTextA(Page(page), buf, sizeof buf);
        return std::string(buf);
    }();
    TCITEMA item{};
    item.mask = TCIF_TEXT | TCIF_PARAM;
    item.pszText = const_cast<char*>(caption.c_str());
    item.lParam = page;
    SendMessageA(hwnd_, TCM_INSERTITEMA, at, reinterpret_cast<LPARAM>(&item));
    if (active >= 0) SendMessageA(hwnd_, TCM_SETCURSEL, TabIndexOf(active), 0);
    else SetActivePage(page);
}

void TPageControl::SetActivePage(int page) {
    if (page < 0 || page >= PageCount()) return;
    SendMessageA(hwnd_, TCM_SETCURSEL, TabIndexOf(page), 0);
    ShowWindow(Page(page), SW_SHOWNA);
    for (int p = 0; p < PageCount(); ++p)
        if (p != page) ShowWindow(Page(p), SW_HIDE);
}

int TPageControl::ActivePage() const {
    for (int p = 0; p < PageCount(); ++p)
        if (GetWindowLongA(Page(p), GWL_STYLE) & WS_VISIBLE) return p;
    return -1;
}

bool TPageControl::Reflect(UINT msg, WPARAM, LPARAM lp, LRESULT& result) {
    if (msg != WM_NOTIFY) return false;
    const auto* hdr = reinterpret_cast<const NMHDR*>(lp);
    if (hdr->code == TCN_SELCHANGE) {
        const int sel = int(SendMessageA(hwnd_, TCM_GETCURSEL, 0, 0));
        TCITEMA item{};
        item.mask = TCIF_PARAM;
        if (sel >= 0 && SendMessageA(hwnd_, TCM_GETITEMA, sel, reinterpret_cast<LPARAM>(&item))) {
            SetActivePage(int(item.lParam));
            HWND page = Page(int(item.lParam));
            // Focus the first control of the page that takes it, as a dialog does.
            if (HWND first = GetNextDlgTabItem(page, nullptr, FALSE); first && IsChild(page, first))
                SetFocus(first);
        }
        result = 0;
        return true;
    }
    return false;
}

// ---------------------------------------------------------------- Fonts and pictures

HFONT UiFont(form::FontKind kind) {
    static HFONT fonts[3] = {};
    const int i = int(kind);
    if (!fonts[i]) {
        const int height = kind == form::FontKind::LargeBold ? -13 : -11;
        const int weight = kind == form::FontKind::Window ? FW_NORMAL : FW_BOLD;
        fonts[i] = CreateFontA(height, 0, 0, 0, weight, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                               CLIP_DEFAULT_PRECIS, NONANTIALIASED_QUALITY, DEFAULT_PITCH | FF_SWISS, "MS Sans Serif");
    }
    return fonts[i];
}

HFONT UiBoldVariant(form::FontKind kind) {
    return UiFont(kind == form::FontKind::Window ? form::FontKind::WindowBold : kind);
}

HBITMAP LoadPictureBitmap(form::Picture picture) {
    const art::Blob blob = art::PictureBytes(picture);
    if (!blob.data || blob.size < 14 + sizeof(BITMAPINFOHEADER) || blob.data[0] != 'B' || blob.data[1] != 'M')
        return nullptr;
    DWORD offBits;
    std::memcpy(&offBits, blob.data + 10, 4);
    if (offBits >= blob.size) return nullptr;
    const auto* info = reinterpret_cast<const BITMAPINFO*>(blob.data + 14);
    HDC screen = GetDC(nullptr);
    HBITMAP bmp = CreateDIBitmap(screen, &info->bmiHeader, CBM_INIT, blob.data + offBits, info, DIB_RGB_COLORS);
    ReleaseDC(nullptr, screen);
    return bmp;
}

HICON LoadPictureIcon(form::Picture picture, int size) {
    const art::Blob blob = art::PictureBytes(picture);
    if (!blob.data || blob.size < 6 + 16) return nullptr;
    DWORD bytes, offset;
    std::memcpy(&bytes, blob.data + 6 + 8, 4);
    std::memcpy(&offset, blob.data + 6 + 12, 4);
    if (offset > blob.size || bytes > blob.size - offset) return nullptr;
    return CreateIconFromResourceEx(const_cast<BYTE*>(blob.data + offset), bytes, TRUE, 0x00030000, size, size,
                                    LR_DEFAULTCOLOR);
}

// ---------------------------------------------------------------- Containers

namespace {

struct ContainerData {
    form::FontKind font;
    std::vector<form::ControlDef> graphics;
    std::vector<HICON> icons;  // one per graphic row (null for non-pictures), owned
    ~ContainerData() {
        for (HICON i : icons)
            if (i) DestroyIcon(i);
    }
};

ContainerData* DataOf(HWND hwnd) {
    if (!hwnd) return nullptr;
    char cls[32] = "";
    GetClassNameA(hwnd, cls, sizeof cls);
    if (lstrcmpiA(cls, kContainerClass) != 0) return nullptr;
    return reinterpret_cast<ContainerData*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
}

void DrawBevelLine(HDC dc, int x0, int y, int x1, int sys) {
    HPEN pen = CreatePen(PS_SOLID, 1, GetSysColor(sys));
    HGDIOBJ old = SelectObject(dc, pen);
    MoveToEx(dc, x0, y, nullptr);
    LineTo(dc, x1, y);
    SelectObject(dc, old);
    DeleteObject(pen);
}

// Raised or sunken one-pixel edge around r.
void Frame3D(HDC dc, RECT r, int topLeft, int bottomRight) {
    HPEN tl = CreatePen(PS_SOLID, 1, GetSysColor(topLeft));
    HPEN br = CreatePen(PS_SOLID, 1, GetSysColor(bottomRight));
    HGDIOBJ old = SelectObject(dc, tl);
    MoveToEx(dc, r.left, r.bottom - 1, nullptr);
    LineTo(dc, r.left, r.top);
    LineTo(dc, r.right - 1, r.top);
    SelectObject(dc, br);
    LineTo(dc, r.right - 1, r.bottom - 1);
    LineTo(dc, r.left - 1, r.bottom - 1);
    SelectObject(dc, old);
    DeleteObject(tl);
    DeleteObject(br);
}

void PaintGraphic(HDC dc, const form::ControlDef& g, HICON icon) {
    const RECT r{g.rect.left, g.rect.top, g.rect.Right(), g.rect.Bottom()};
    switch (g.kind) {
    case form::Kind::Image:
        if (icon) DrawIconEx(dc, r.left, r.top, icon, g.rect.width, g.rect.height, 0, nullptr, DI_NORMAL);
        break;
    case form::Kind::Shape: {
        const int w = g.lineWidth;
        HBRUSH brush = CreateSolidBrush(g.fillColor);
        HPEN pen = w > 0 ? CreatePen(PS_INSIDEFRAME, w, g.lineColor) : nullptr;
        HGDIOBJ oldBrush = SelectObject(dc, brush);
        HGDIOBJ oldPen = SelectObject(dc, pen ? static_cast<HGDIOBJ>(pen) : GetStockObject(NULL_PEN));
        if (g.style & form::style::RoundRect) {
            // The corner rounding follows the smaller side, a quarter of it, as a rounded rectangle shape does.
            const int round = std::min(g.rect.width, g.rect.height) / 4;
            RoundRect(dc, r.left, r.top, r.right + (pen ? 0 : 1), r.bottom + (pen ? 0 : 1), round, round);
        } else {
            Rectangle(dc, r.left, r.top, r.right + (pen ? 0 : 1), r.bottom + (pen ? 0 : 1));
        }
        SelectObject(dc, oldPen);
        SelectObject(dc, oldBrush);
        if (pen) DeleteObject(pen);
        DeleteObject(brush);
        break;
    }
    case form::Kind::Bevel:
        if (g.style & form::style::TopLine) {
            DrawBevelLine(dc, r.left, r.top, r.right, COLOR_BTNSHADOW);
            DrawBevelLine(dc, r.left, r.top + 1, r.right, COLOR_BTNHIGHLIGHT);
        } else {
            Frame3D(dc, r, COLOR_BTNSHADOW, COLOR_BTNHIGHLIGHT);
        }
        break;
    case form::Kind::Panel: {
        // Raised outer bevel, a border of g.lineWidth in the face colour, raised inner bevel.
        RECT p = r;
        Frame3D(dc, p, COLOR_BTNHIGHLIGHT, COLOR_BTNSHADOW);
        InflateRect(&p, -1 - g.lineWidth, -1 - g.lineWidth);
        Frame3D(dc, p, COLOR_BTNHIGHLIGHT, COLOR_BTNSHADOW);
        break;
    }
    default:
        break;
    }
}

LRESULT CALLBACK ContainerProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_NCCREATE: {
        const auto* cs = reinterpret_cast<const CREATESTRUCTA*>(lp);
        auto* data = new ContainerData{static_cast<form::FontKind>(INT_PTR(cs->lpCreateParams)), {}, {}};
        SetWindowLongPtrA(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(data));
        break;
    }
    case WM_NCDESTROY:
        delete DataOf(hwnd);
        SetWindowLongPtrA(hwnd, GWLP_USERDATA, 0);
        break;
    case WM_ERASEBKGND:
        return 1;  // WM_PAINT paints everything
    case WM_PAINT: {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(hwnd, &ps);
        PaintContainer(hwnd, dc, ps.rcPaint);
        EndPaint(hwnd, &ps);
        return 0;
    }
    case WM_PRINTCLIENT: {
        RECT r;
        GetClientRect(hwnd, &r);
        PaintContainer(hwnd, reinterpret_cast<HDC>(wp), r);
        return 0;
    }
    case WM_MEASUREITEM: {
        // Owner-drawn list items are measured while the list is created, before its view is bound.
        auto* mi = reinterpret_cast<MEASUREITEMSTRUCT*>(lp);
        if (mi->CtlType == ODT_LISTBOX) {
            mi->itemHeight = TDirectoryListBox::kItemHeight;
            return TRUE;
        }
        break;
    }
    default:
        break;
    }
    return DefParentProc(hwnd, msg, wp, lp);
}

}  // namespace

const char* ContainerClassName() { return kContainerClass; }

HWND CreateContainer(HWND parent, const RECT& rect, int id, form::FontKind font) {
    InitControls();
    return CreateWindowExA(WS_EX_CONTROLPARENT, kContainerClass, "", WS_CHILD | WS_CLIPCHILDREN | WS_CLIPSIBLINGS,
                           rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top, parent,
                           reinterpret_cast<HMENU>(INT_PTR(id)), Application().Instance(),
                           reinterpret_cast<void*>(INT_PTR(font)));
}

const std::vector<form::ControlDef>& ContainerGraphics(HWND container) {
    static const std::vector<form::ControlDef> none;
    const ContainerData* d = DataOf(container);
    return d ? d->graphics : none;
}

void PaintContainer(HWND container, HDC dc, const RECT& clip) {
    FillRect(dc, &clip, GetSysColorBrush(COLOR_BTNFACE));
    const ContainerData* d = DataOf(container);
    if (!d) return;
    for (size_t i = 0; i < d->graphics.size(); ++i) PaintGraphic(dc, d->graphics[i], d->icons[i]);
}

// ---------------------------------------------------------------- Building from a table

namespace {

struct WindowKind {
    const char* cls;
    DWORD style;
    DWORD exStyle;
};

WindowKind KindStyle(const form::ControlDef& row) {
    using namespace form::style;
    switch (row.kind) {
    case form::Kind::Label: {
        DWORD s = SS_NOPREFIX;
        if (row.style & Centre) s |= SS_CENTER;
        else if (row.style & Right) s |= SS_RIGHT;
        else if (row.style & Wrap) s |= SS_LEFT;
        else s |= SS_LEFTNOWORDWRAP;
        return {"STATIC", s, 0};
    }
    case form::Kind::Edit: return {"EDIT", WS_TABSTOP | ES_AUTOHSCROLL, WS_EX_CLIENTEDGE};
    case form::Kind::CheckBox: return {"BUTTON", WS_TABSTOP | BS_AUTOCHECKBOX, 0};
    case form::Kind::BitBtn: return {"BUTTON", WS_TABSTOP | BS_OWNERDRAW, 0};
    case form::Kind::DirList:
        return {"LISTBOX", WS_TABSTOP | WS_VSCROLL | LBS_NOTIFY | LBS_OWNERDRAWFIXED | LBS_HASSTRINGS,
                WS_EX_CLIENTEDGE};
    case form::Kind::DriveCombo:
        return {"COMBOBOX", WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWNLIST | CBS_HASSTRINGS, 0};
    case form::Kind::Gauge: return {TGauge::ClassName(), 0, 0};
    default: return {nullptr, 0, 0};
    }
}

}  // namespace

void CreateControls(HWND container, const form::PageDef& page, const MemberLookup& member,
                    const HandlerLookup& handler) {
    InitControls();
    ContainerData* data = DataOf(container);
    HFONT font = UiFont(page.font);
    HFONT bold = UiBoldVariant(page.font);
    std::vector<std::pair<int, HWND>> tabOrder;
    for (size_t i = 0; i < page.count; ++i) {
        const form::ControlDef& row = page.controls[i];
        if (form::IsGraphic(row.kind)) {
            if (data) {
                data->graphics.push_back(row);
                data->icons.push_back(row.kind == form::Kind::Image ? LoadPictureIcon(row.picture, row.rect.width)
                                                                    : nullptr);
            }
            continue;
        }
        const WindowKind wk = KindStyle(row);
        DWORD style = WS_CHILD | wk.style;
        if (!(row.style & form::style::Hidden)) style |= WS_VISIBLE;
        if (row.style & form::style::Disabled) style |= WS_DISABLED;
        int height = row.rect.height;
        if (row.kind == form::Kind::DriveCombo) height += 8 * TDirectoryListBox::kItemHeight;  // the drop-down
        const int id = int(100 + i);
        HWND hwnd = CreateWindowExA(wk.exStyle, wk.cls, row.text, style, row.rect.left, row.rect.top,
                                    row.rect.width, height, container, reinterpret_cast<HMENU>(INT_PTR(id)),
                                    Application().Instance(), nullptr);
        if (!hwnd) throw Exception(std::string("Cannot create control ") + row.name);
        HFONT f = (row.kind == form::Kind::Label && (row.style & form::style::Bold)) ? bold : font;
        SendMessageA(hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(f), FALSE);

        if (row.kind == form::Kind::Label && form::AutoSizes(row.style)) {
            // A plain label is as large as its text.
            HDC dc = GetDC(hwnd);
            HGDIOBJ old = SelectObject(dc, f);
            RECT r{0, 0, 0, 0};
            DrawTextA(dc, row.text[0] ? row.text : " ", -1, &r, DT_CALCRECT | DT_SINGLELINE | DT_NOPREFIX);
            SelectObject(dc, old);
            ReleaseDC(hwnd, dc);
            SetWindowPos(hwnd, nullptr, 0, 0, r.right, r.bottom, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
        }
        if (row.kind == form::Kind::DriveCombo) {
            // The selection field as high as the row says (the frame takes 6 pixels).
            SendMessageA(hwnd, CB_SETITEMHEIGHT, WPARAM(-1), row.rect.height - 6);
            SendMessageA(hwnd, CB_SETITEMHEIGHT, 0, TDirectoryListBox::kItemHeight);
        }

        TControl* view = member ? member(row) : nullptr;
        if (view) {
            view->SetHandle(hwnd);
            view->Setup(row);
            TNotifyEvent event = handler && row.handler ? handler(row.handler) : TNotifyEvent();
            if (event) {
                if (auto* c = dynamic_cast<TCheckBox*>(view)) c->OnClick = event;
                else if (auto* b = dynamic_cast<TBitBtn*>(view)) b->OnClick = event;
                else if (auto* e = dynamic_cast<TEdit*>(view)) e->OnChange = event;
                else if (auto* l = dynamic_cast<TDirectoryListBox*>(view)) l->OnChange = event;
                else if (auto* d = dynamic_cast<TDriveComboBox*>(view)) d->OnChange = event;
            }
        }
        if (form::TakesFocus(row.kind)) tabOrder.emplace_back(row.tabOrder, hwnd);
    }
    // The tab key follows the z-order: put the focusable windows on top, in tab order.
    std::sort(tabOrder.begin(), tabOrder.end(),
              [](const auto& a, const auto& b) { return a.first < b.first; });
    HWND after = HWND_TOP;
    for (const auto& [order, hwnd] : tabOrder) {
        SetWindowPos(hwnd, after, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
        after = hwnd;
    }
}

// ---------------------------------------------------------------- Reflection and classes

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
    TControl* view = ViewOf(child);
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

LRESULT CALLBACK GaugeWndProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);  // Gauge.cpp

void InitControls() {
    static bool done = false;
    if (done) return;
    done = true;
    // Loaded at run time, from the system folder: a static import would be resolved before the program can
    // keep the loader away from a comctl32 or uxtheme planted beside it.
    INITCOMMONCONTROLSEX icc{sizeof icc, ICC_TAB_CLASSES | ICC_STANDARD_CLASSES};
    using InitFn = BOOL(WINAPI*)(const INITCOMMONCONTROLSEX*);
    if (const auto init = SystemFunction<InitFn>("comctl32.dll", "InitCommonControlsEx")) init(&icc);
    WNDCLASSA wc{};
    wc.lpfnWndProc = ContainerProc;
    wc.hInstance = Application().Instance();
    wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
    wc.lpszClassName = kContainerClass;
    RegisterClassA(&wc);
    wc.lpfnWndProc = GaugeWndProc;
    wc.lpszClassName = TGauge::ClassName();
    wc.cbWndExtra = sizeof(LONG_PTR);
    RegisterClassA(&wc);
}

void RepaintNow(HWND hwnd) {
    RedrawWindow(hwnd, nullptr, nullptr,
                 RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW | RDW_ERASENOW | RDW_FRAME);
}

}  // namespace qs
