#include "framework/Graphics.h"

#include <algorithm>

#include "framework/GdiGuards.h"

namespace qs {

namespace {

void DrawBevelLine(HDC dc, int x0, int y, int x1, int sys) {
    GdiPen pen(CreatePen(PS_SOLID, 1, GetSysColor(sys)));
    ScopedSelect penInDC(dc, pen.Get());
    MoveToEx(dc, x0, y, nullptr);
    LineTo(dc, x1, y);
}

// Raised or sunken one-pixel edge around r.
void Frame3D(HDC dc, RECT r, int topLeft, int bottomRight) {
    GdiPen tl(CreatePen(PS_SOLID, 1, GetSysColor(topLeft)));
    GdiPen br(CreatePen(PS_SOLID, 1, GetSysColor(bottomRight)));
    {
        ScopedSelect penInDC(dc, tl.Get());
        MoveToEx(dc, r.left, r.bottom - 1, nullptr);
        LineTo(dc, r.left, r.top);
        LineTo(dc, r.right - 1, r.top);
    }
    ScopedSelect penInDC(dc, br.Get());
    LineTo(dc, r.right - 1, r.bottom - 1);
    LineTo(dc, r.left - 1, r.bottom - 1);
}

}  // namespace

void PaintGraphic(HDC dc, const form::ControlDef& g, HICON icon, int dpi) {
    const form::Rect at = form::Scale(g.rect, dpi);
    const RECT r{at.left, at.top, at.Right(), at.Bottom()};
    switch (g.kind) {
    case form::Kind::Image:
        if (icon) DrawIconEx(dc, r.left, r.top, icon, at.width, at.height, 0, nullptr, DI_NORMAL);
        break;
    case form::Kind::Shape: {
        const int w = form::Scale(g.lineWidth, dpi);
        GdiBrush brush(CreateSolidBrush(g.fillColor));
        GdiPen pen(w > 0 ? CreatePen(PS_INSIDEFRAME, w, g.lineColor) : nullptr);
        ScopedSelect brushInDC(dc, brush.Get());
        ScopedSelect penInDC(dc, pen ? static_cast<HGDIOBJ>(pen.Get()) : GetStockObject(NULL_PEN));
        const int grow = pen ? 0 : 1;
        if (g.style & form::style::RoundRect) {
            // The corner rounding follows the smaller side, a quarter of it, as a rounded rectangle shape does.
            const int round = std::min(at.width, at.height) / 4;
            RoundRect(dc, r.left, r.top, r.right + grow, r.bottom + grow, round, round);
        } else {
            Rectangle(dc, r.left, r.top, r.right + grow, r.bottom + grow);
        }
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

}  // namespace qs
