#include "framework/Graphics.h"

#include <algorithm>

namespace qs {

namespace {

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

}  // namespace

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

}  // namespace qs
