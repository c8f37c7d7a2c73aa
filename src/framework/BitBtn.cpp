#include "framework/BitBtn.h"
#include "base/WideText.h"

#include "framework/GdiGuards.h"
#include "base/SystemLibrary.h"
#include "framework/UiResources.h"

namespace qs {

void TBitBtn::Click() {
    if (OnClick) OnClick();
}

void TBitBtn::SetGlyph(HBITMAP glyph) {
    glyph_.Reset(glyph);
    if (hwnd_) InvalidateRect(hwnd_, nullptr, FALSE);
}

int TBitBtn::NumGlyphs() const {
    if (!glyph_) return 0;
    BITMAP bm{};
    GetObjectW(glyph_.Get(), sizeof bm, &bm);
    return bm.bmWidth == 2 * bm.bmHeight ? 2 : 1;
}

void TBitBtn::Setup(const form::ControlDef& def) {
    spacing_ = def.spacing;
    picture_ = def.picture;
    SetGlyph(LoadPictureBitmap(picture_, dpi_));
}

void TBitBtn::ApplyDpi(const form::ControlDef& row, int dpi) {
    const bool redraw = dpi != dpi_;
    TControl::ApplyDpi(row, dpi);
    if (redraw && picture_ != form::Picture::None) SetGlyph(LoadPictureBitmap(picture_, dpi_));
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

    const std::wstring caption = Widen(Text());
    HFONT font = reinterpret_cast<HFONT>(SendMessageW(hwnd_, WM_GETFONT, 0, 0));
    ScopedSelect fontInDC(dc, font ? font : GetStockObject(DEFAULT_GUI_FONT));
    RECT textRect{0, 0, 0, 0};
    DrawTextW(dc, caption.c_str(), -1, &textRect, DT_SINGLELINE | DT_CALCRECT);
    const int textW = textRect.right, textH = textRect.bottom;

    int glyphW = 0, glyphH = 0;
    const int glyphs = NumGlyphs();
    if (glyph_) {
        BITMAP bm{};
        GetObjectW(glyph_.Get(), sizeof bm, &bm);
        glyphW = bm.bmWidth / glyphs;
        glyphH = bm.bmHeight;
    }
    const int gap = glyph_ && !caption.empty() ? Scaled(spacing_) : 0;
    const int total = glyphW + gap + textW;
    const int shift = pushed ? 1 : 0;
    const int x0 = rect.left + (rect.right - rect.left - total + 1) / 2 + shift;

    if (glyph_) {
        const int gy = rect.top + (rect.bottom - rect.top - glyphH) / 2 + shift;
        MemoryDC mem(dc);
        ScopedSelect glyphInMem(mem.Get(), glyph_.Get());
        const COLORREF key = GetPixel(mem.Get(), 0, glyphH - 1);
        const int srcX = (!enabled && glyphs == 2) ? glyphW : 0;
        using TransparentBltFn = BOOL(WINAPI*)(HDC, int, int, int, int, HDC, int, int, int, int, UINT);
        static const auto transparentBlt = SystemFunction<TransparentBltFn>("msimg32.dll", "TransparentBlt");
        if (transparentBlt)
            transparentBlt(dc, x0, gy, glyphW, glyphH, mem.Get(), srcX, 0, glyphW, glyphH, key);
        else
            BitBlt(dc, x0, gy, glyphW, glyphH, mem.Get(), srcX, 0, SRCCOPY);
    }
    RECT tr{x0 + glyphW + gap, rect.top + (rect.bottom - rect.top - textH) / 2 + shift, 0, 0};
    tr.right = tr.left + textW;
    tr.bottom = tr.top + textH;
    SetBkMode(dc, TRANSPARENT);
    if (enabled) {
        SetTextColor(dc, GetSysColor(COLOR_BTNTEXT));
        DrawTextW(dc, caption.c_str(), -1, &tr, DT_SINGLELINE);
    } else {
        RECT hi = tr;
        OffsetRect(&hi, 1, 1);
        SetTextColor(dc, GetSysColor(COLOR_BTNHIGHLIGHT));
        DrawTextW(dc, caption.c_str(), -1, &hi, DT_SINGLELINE);
        SetTextColor(dc, GetSysColor(COLOR_BTNSHADOW));
        DrawTextW(dc, caption.c_str(), -1, &tr, DT_SINGLELINE);
    }
    if (focused) {
        RECT fr = tr;
        InflateRect(&fr, 2, 1);
        DrawFocusRect(dc, &fr);
    }
}

bool TranslateButtonKey(const MSG& msg) {
    if (msg.message != WM_KEYDOWN || msg.wParam != VK_RETURN) return false;
    if (!dynamic_cast<TBitBtn*>(TControl::ViewOf(msg.hwnd)) || !IsWindowEnabled(msg.hwnd)) return false;
    // The road of a click by the mouse: the button shows itself pressed and notifies its parent.
    SendMessageW(msg.hwnd, BM_CLICK, 0, 0);
    return true;
}

}  // namespace qs
