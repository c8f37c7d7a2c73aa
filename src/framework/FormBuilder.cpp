#include "framework/FormBuilder.h"
#include "framework/WideText.h"

#include <algorithm>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "framework/Application.h"
#include "framework/BitBtn.h"
#include "framework/ContainerData.h"
#include "framework/DirList.h"
#include "framework/Exceptions.h"
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
    HFONT font = UiFont(page.font);
    HFONT bold = UiBoldVariant(page.font);
    std::vector<std::pair<int, HWND>> tabOrder;
    for (size_t i = 0; i < page.count; ++i) {
        const form::ControlDef& row = page.controls[i];
        if (form::IsGraphic(row.kind)) {
            if (data) {
                data->graphics.push_back(
                    {row, ScopedIcon(row.kind == form::Kind::Image ? LoadPictureIcon(row.picture, row.rect.width)
                                                                   : nullptr)});
            }
            continue;
        }
        const WindowKind wk = KindStyle(row);
        DWORD style = WS_CHILD | wk.style;
        if (!(row.style & form::style::Hidden)) style |= WS_VISIBLE;
        if (row.style & form::style::Disabled) style |= WS_DISABLED;
        int height = row.rect.height;
        if (row.kind == form::Kind::DriveCombo) height += 8 * TDirectoryListBox::kItemHeight;  // the drop-down
        const int id = kFirstControlId + int(i);
        HWND hwnd = CreateWindowExW(wk.exStyle, Widen(wk.cls).c_str(), Widen(row.text).c_str(), style, row.rect.left, row.rect.top,
                                    row.rect.width, height, container, reinterpret_cast<HMENU>(INT_PTR(id)),
                                    Application().Instance(), nullptr);
        if (!hwnd) throw Exception(std::string("Cannot create control ") + row.name);
        HFONT f = (row.kind == form::Kind::Label && (row.style & form::style::Bold)) ? bold : font;
        SendMessageW(hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(f), FALSE);

        if (row.kind == form::Kind::Label && form::AutoSizes(row.style)) SizeLabelToText(hwnd);
        if (row.kind == form::Kind::DriveCombo) {
            // The selection field as high as the row says (the frame takes 6 pixels).
            SendMessageW(hwnd, CB_SETITEMHEIGHT, WPARAM(-1), row.rect.height - 6);
            SendMessageW(hwnd, CB_SETITEMHEIGHT, 0, TDirectoryListBox::kItemHeight);
        }

        TControl* view = member ? member(row) : nullptr;
        if (!view && data) {
            data->views.push_back(MakeView(row.kind));
            view = data->views.back().get();
        }
        if (view) {
            view->SetHandle(hwnd);
            view->Setup(row);
            TNotifyEvent event = handler && row.handler ? handler(row.handler) : TNotifyEvent();
            if (event) view->BindHandler(std::move(event));
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
