#include "framework/FormBuilder.h"
#include "base/WideText.h"

#include <algorithm>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "framework/Application.h"
#include "framework/BitBtn.h"
#include "framework/ContainerData.h"
#include "framework/DirList.h"
#include "base/Exceptions.h"
#include "framework/Gauge.h"
#include "framework/StdControls.h"
#include "framework/UiResources.h"

namespace qs {

namespace {

constexpr int kFirstControlId = 100;  // row i of a page gets the control id kFirstControlId + i

// The view the builder keeps for a row no member takes.
std::unique_ptr<TControl> MakeView(form::Kind kind) {
    switch (kind) {
    case form::Kind::Label: return std::make_unique<TLabel>();
    case form::Kind::Edit: return std::make_unique<TEdit>();
    case form::Kind::CheckBox: return std::make_unique<TCheckBox>();
    case form::Kind::BitBtn: return std::make_unique<TBitBtn>();
    case form::Kind::DirList: return std::make_unique<TDirectoryListBox>();
    case form::Kind::DriveCombo: return std::make_unique<TDriveComboBox>();
    case form::Kind::Gauge: return std::make_unique<TGauge>();
    default: return nullptr;
    }
}

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
        // A centred label without the wrap mark keeps its text on one line.
        if (row.style & Centre) s |= (row.style & Wrap) ? SS_CENTER : SS_CENTER | SS_CENTERIMAGE;
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
    const int dpi = data ? data->dpi : form::kBaseDpi;
    const form::FontKind bold = page.font == form::FontKind::Window ? form::FontKind::WindowBold : page.font;
    std::vector<std::pair<int, HWND>> tabOrder;
    std::vector<std::pair<const char*, HWND>> labels;  // labels that name a control, with its name
    for (size_t i = 0; i < page.count; ++i) {
        const form::ControlDef& row = page.controls[i];
        if (form::IsGraphic(row.kind)) {
            if (data) {
                const int size = form::Scale(row.rect.width, dpi);
                data->graphics.push_back(
                    {row, ScopedIcon(row.kind == form::Kind::Image ? LoadPictureIcon(row.picture, size) : nullptr)});
            }
            continue;
        }
        const WindowKind wk = KindStyle(row);
        DWORD style = WS_CHILD | wk.style;
        if (!(row.style & form::style::Hidden)) style |= WS_VISIBLE;
        if (row.style & form::style::Disabled) style |= WS_DISABLED;
        // Made where the row says at this DPI; ApplyDpi gives each kind its final size.
        form::Rect at = form::Scale(row.rect, dpi);
        if (row.kind == form::Kind::DriveCombo) at.height += 8 * form::Scale(TDirectoryListBox::kItemHeight, dpi);
        const int id = kFirstControlId + int(i);
        HWND hwnd = CreateWindowExW(wk.exStyle, Widen(wk.cls).c_str(), Widen(row.text).c_str(), style, at.left,
                                    at.top, at.width, at.height, container, reinterpret_cast<HMENU>(INT_PTR(id)),
                                    Application().Instance(), nullptr);
        if (!hwnd) throw Exception(std::string("Cannot create control ") + row.name);
        // The font before anything else: some controls measure their parts by it as they fill.
        const form::FontKind font = row.kind == form::Kind::Label && (row.style & form::style::Bold) ? bold : page.font;
        SendMessageW(hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(UiFontFor(font, dpi, row.text)), FALSE);

        TControl* view = member ? member(row) : nullptr;
        if (!view && data) {
            data->views.push_back(MakeView(row.kind));
            view = data->views.back().get();
        }
        if (view) {
            view->SetHandle(hwnd);
            view->SetFontKind(font);
            view->Setup(row);
            view->ApplyDpi(row, dpi);
            TNotifyEvent event = handler && row.handler ? handler(row.handler) : TNotifyEvent();
            if (event) view->BindHandler(std::move(event));
        }
        if (data) data->windows.push_back({row, id});
        if (form::TakesFocus(row.kind)) tabOrder.emplace_back(row.tabOrder, hwnd);
        if (row.kind == form::Kind::Label && row.focus) labels.emplace_back(row.focus, hwnd);
    }
    // The tab key follows the z-order: put the focusable windows on top, in tab order. A screen reader names a
    // control by the label just before it in z-order, so each goes right after the labels that name it.
    std::sort(tabOrder.begin(), tabOrder.end(),
              [](const auto& a, const auto& b) { return a.first < b.first; });
    HWND after = HWND_TOP;
    const auto place = [&after](HWND hwnd) {
        SetWindowPos(hwnd, after, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
        after = hwnd;
    };
    for (const auto& [order, hwnd] : tabOrder) {
        for (const auto& [focus, label] : labels)
            if (RowWindow(container, page, focus) == hwnd) place(label);
        place(hwnd);
    }
}

HWND RowWindow(HWND container, const form::PageDef& page, const std::string& name) {
    for (size_t i = 0; i < page.count; ++i)
        if (!form::IsGraphic(page.controls[i].kind) && name == page.controls[i].name)
            return GetDlgItem(container, kFirstControlId + int(i));
    return nullptr;
}

TControl* ViewNames::Find(const std::string& name) const {
    for (const auto& [n, view] : views_)
        if (name == n) return view;
    return nullptr;
}

void ViewNames::CheckAllBound() const {
    for (const auto& [n, view] : views_)
        if (!view->Handle()) throw Exception(std::string("No control for member ") + n);
}

}  // namespace qs
