#include "setup/SetupLayout.h"
#include "framework/WideText.h"

#include "framework/Application.h"
#include "framework/Exceptions.h"
#include "setup/SetupMainForm.h"
#include "setup/SetupPages.h"
#include "system/ProductNames.h"

namespace qs {

const char kSetupFormClass[] = "TSetupForm";

namespace {

namespace sp = setup_pages;

constexpr int kPagesId = 1;  // the page control's id in the window

TNotifyEvent HandlerOf(TSetupForm& f, int handler) {
    switch (handler) {
#define QS_BIND_HANDLER(name) \
    case sp::k##name: return [&f] { f.name(); };
        QS_SETUP_HANDLERS(QS_BIND_HANDLER)
#undef QS_BIND_HANDLER
    default: return {};
    }
}

LRESULT CALLBACK SetupFormProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_SYSCOMMAND:
        // A fixed-size window: no sizing, minimising or maximising, whoever asks.
        switch (wp & 0xFFF0) {
        case SC_SIZE:
        case SC_MINIMIZE:
        case SC_MAXIMIZE: return 0;
        default: break;
        }
        break;
    case WM_ACTIVATE:
        // The keyboard starts, and resumes, on a control, as in a dialog.
        if (auto* pages = dynamic_cast<TPageControl*>(TControl::ViewOf(GetDlgItem(hwnd, kPagesId)))) {
            pages->Activated(LOWORD(wp) != WA_INACTIVE);
            return 0;
        }
        break;
    case WM_DESTROY:
        // The setup window is the main window: closing it ends the program.
        if (Application().MainWindow() == hwnd) Application().Terminate();
        return 0;
    default: break;
    }
    return DefParentProc(hwnd, msg, wp, lp);
}

}  // namespace

TControl* SetupFormView(TSetupForm& f, const std::string& name) {
    for (size_t i = 0; i < kPageCount; ++i)
        if (HWND h = RowWindow(f.Pages.Page(int(i)), sp::kPages[i], name)) return TControl::ViewOf(h);
    return nullptr;
}

void TSetupForm::CreateWindowAndControls() {
    InitControls();
    static HICON bigIcon = LoadPictureIcon(form::Picture::SetupIcon, 32);
    static HICON smallIcon = LoadPictureIcon(form::Picture::SetupIcon, 16);
    RegisterFormClass(kSetupFormClass, SetupFormProc, bigIcon);

    // A single fixed border with the system menu only, the client area exactly 468 x 289, centred.
    const DWORD style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN;
    const DWORD exStyle = WS_EX_CONTROLPARENT;
    RECT r{0, 0, sp::kClientWidth, sp::kClientHeight};
    AdjustWindowRectEx(&r, style, FALSE, exStyle);
    const int w = r.right - r.left, h = r.bottom - r.top;
    const POINT at = CentredOnScreen(w, h);
    hwnd_ = CreateWindowExW(exStyle, Widen(kSetupFormClass).c_str(), Widen(kSetupCaption).c_str(), style, at.x, at.y, w, h, nullptr, nullptr,
                            Application().Instance(), nullptr);
    if (!hwnd_) throw EInOutError(int(GetLastError()));
    SendMessageW(hwnd_, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(bigIcon));
    SendMessageW(hwnd_, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(smallIcon));
    SendMessageW(hwnd_, WM_SETFONT, reinterpret_cast<WPARAM>(UiFont(form::FontKind::Window)), FALSE);

    std::vector<std::string> captions;
    for (const form::PageDef& p : sp::kPages) captions.push_back(p.caption);
    Pages.Create(hwnd_, RECT{0, 0, sp::kClientWidth, sp::kClientHeight}, kPagesId, captions,
                 UiFont(form::FontKind::Window));
    for (size_t i = 0; i < kPageCount; ++i)
        CreateControls(
            Pages.Page(int(i)), sp::kPages[i],
            [this](const form::ControlDef& row) { return views_.Find(row.name); },
            [this](int handler) { return HandlerOf(*this, handler); });
    views_.CheckAllBound();
    LabelVersion.SetWidthLimits(0, sp::kVersionRoom);
    LabelOldVersion.SetWidthLimits(0, sp::kOldVersionRoom);
    LabelInstallVersion.SetWidthLimits(0, sp::kInstallVersionRoom);
    LabelSpaceFree.SetWidthLimits(sp::kSpaceFreeMinWidth, sp::kSpaceFreeRoom);

    ListInstallDir.SetDriveCombo(&ComboInstallDrive);
    ComboInstallDrive.SetDirList(&ListInstallDir);
}

}  // namespace qs
