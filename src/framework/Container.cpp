#include "framework/Container.h"
#include "base/WideText.h"

#include <iterator>

#include "framework/Application.h"
#include "framework/Control.h"
#include "framework/ContainerData.h"
#include "framework/DirList.h"
#include "framework/Graphics.h"
#include "framework/UiResources.h"

namespace qs {

namespace {

const char kContainerClass[] = "QsContainer";

}  // namespace

ContainerData* DataOf(HWND hwnd) {
    if (!hwnd) return nullptr;
    wchar_t cls[32] = L"";
    GetClassNameW(hwnd, cls, int(std::size(cls)));
    if (Narrow(cls) != kContainerClass) return nullptr;
    return reinterpret_cast<ContainerData*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
}

LRESULT CALLBACK ContainerProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_NCCREATE: {
        const auto* cs = reinterpret_cast<const CREATESTRUCTW*>(lp);
        const auto params = INT_PTR(cs->lpCreateParams);  // the font kind and, above it, the DPI
        auto* data = new ContainerData{static_cast<form::FontKind>(params & 0xFF), int(params >> 8), {}, {}, {}};
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(data));
        break;
    }
    case WM_NCDESTROY:
        delete DataOf(hwnd);
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
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
            const ContainerData* d = DataOf(hwnd);
            mi->itemHeight = form::Scale(TDirectoryListBox::kItemHeight, d ? d->dpi : form::kBaseDpi);
            return TRUE;
        }
        break;
    }
    default:
        break;
    }
    return DefParentProc(hwnd, msg, wp, lp);
}

const char* ContainerClassName() { return kContainerClass; }

HWND CreateContainer(HWND parent, const RECT& rect, int id, form::FontKind font, int dpi) {
    InitControls();
    const INT_PTR params = (INT_PTR(dpi) << 8) | INT_PTR(font);
    return CreateWindowExW(WS_EX_CONTROLPARENT, Widen(kContainerClass).c_str(), L"",
                           WS_CHILD | WS_CLIPCHILDREN | WS_CLIPSIBLINGS, rect.left, rect.top, rect.right - rect.left,
                           rect.bottom - rect.top, parent, reinterpret_cast<HMENU>(INT_PTR(id)),
                           Application().Instance(), reinterpret_cast<void*>(params));
}

int ContainerDpi(HWND container) {
    const ContainerData* d = DataOf(container);
    return d ? d->dpi : form::kBaseDpi;
}

void ScaleContainer(HWND container, int dpi) {
    ContainerData* d = DataOf(container);
    if (!d) return;
    d->dpi = dpi;
    for (ContainerGraphic& g : d->graphics)
        if (g.def.kind == form::Kind::Image)
            g.icon.Reset(LoadPictureIcon(g.def.picture, form::Scale(g.def.rect.width, dpi)));
    for (const ContainerWindow& w : d->windows)
        if (TControl* view = TControl::ViewOf(GetDlgItem(container, w.id))) view->ApplyDpi(w.def, dpi);
    InvalidateRect(container, nullptr, TRUE);
}

std::vector<form::ControlDef> ContainerGraphics(HWND container) {
    std::vector<form::ControlDef> rows;
    if (const ContainerData* d = DataOf(container))
        for (const ContainerGraphic& g : d->graphics) rows.push_back(g.def);
    return rows;
}

void PaintContainer(HWND container, HDC dc, const RECT& clip) {
    FillRect(dc, &clip, GetSysColorBrush(COLOR_BTNFACE));
    const ContainerData* d = DataOf(container);
    if (!d) return;
    for (const ContainerGraphic& g : d->graphics) PaintGraphic(dc, g.def, g.icon.Get(), d->dpi);
}

}  // namespace qs
