#include "setup/SetupLayout.h"
#include "base/WideText.h"

#include "framework/Application.h"
#include "base/Exceptions.h"
#include "setup/SetupMainForm.h"
#include "setup/SetupPages.h"
#include "package/Product.h"

#ifndef WM_DPICHANGED
#define WM_DPICHANGED 0x02E0  // Windows 8.1 and later
#endif

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

// The outer size of the window whose client area is the tables' 468 x 289 at dpi.
SIZE OuterSize(DWORD style, DWORD exStyle, int dpi) {
    RECT r{0, 0, form::Scale(sp::kClientWidth, dpi), form::Scale(sp::kClientHeight, dpi)};
    using AdjustForDpiFn = BOOL(WINAPI*)(RECT*, DWORD, BOOL, DWORD, UINT);
    static const auto adjustForDpi = reinterpret_cast<AdjustForDpiFn>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"user32.dll"), "AdjustWindowRectExForDpi")));
    if (adjustForDpi) adjustForDpi(&r, style, FALSE, exStyle, UINT(dpi));
    else AdjustWindowRectEx(&r, style, FALSE, exStyle);
    return SIZE{r.right - r.left, r.bottom - r.top};
}

// Lays the window's inside out for dpi: the page control filling the client area, every page and control scaled.
void ScaleInside(HWND hwnd, int dpi) {
    SendMessageW(hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(UiFont(form::FontKind::Window, dpi)), FALSE);
    if (auto* pages = dynamic_cast<TPageControl*>(TControl::ViewOf(GetDlgItem(hwnd, kPagesId)))) {
        RECT client;
        GetClientRect(hwnd, &client);
        pages->Rescale(dpi, client, UiFont(form::FontKind::Window, dpi));
    }
}

LRESULT CALLBACK SetupFormProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_DPICHANGED: {
        // Moved to a screen of another DPI (or its DPI changed): the place Windows suggests, the inside anew.
        const RECT& to = *reinterpret_cast<const RECT*>(lp);
        SetWindowPos(hwnd, nullptr, to.left, to.top, to.right - to.left, to.bottom - to.top,
                     SWP_NOZORDER | SWP_NOACTIVATE);
        ScaleInside(hwnd, HIWORD(wp));
        return 0;
    }
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

    // A single fixed border with the system menu only, the client area exactly 468 x 289 at 96 DPI and as much
    // larger as the screen's DPI is, centred. The DPI is the window's own: made first, then sized.
    const DWORD style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN;
    const DWORD exStyle = WS_EX_CONTROLPARENT;
    const SIZE atBase = OuterSize(style, exStyle, form::kBaseDpi);
    const POINT guess = CentredOnScreen(atBase.cx, atBase.cy);
    hwnd_ = CreateWindowExW(exStyle, Widen(kSetupFormClass).c_str(), Widen(kSetupCaption).c_str(), style, guess.x,
                            guess.y, atBase.cx, atBase.cy, nullptr, nullptr, Application().Instance(), nullptr);
    if (!hwnd_) throw EInOutError(int(GetLastError()));
    const int dpi = WindowDpi(hwnd_);
    if (dpi != form::kBaseDpi) {
        const SIZE outer = OuterSize(style, exStyle, dpi);
        const POINT at = CentredOnScreen(outer.cx, outer.cy);
        SetWindowPos(hwnd_, nullptr, at.x, at.y, outer.cx, outer.cy, SWP_NOZORDER | SWP_NOACTIVATE);
    }
    SendMessageW(hwnd_, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(bigIcon));
    SendMessageW(hwnd_, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(smallIcon));
    SendMessageW(hwnd_, WM_SETFONT, reinterpret_cast<WPARAM>(UiFont(form::FontKind::Window, dpi)), FALSE);

    std::vector<std::string> captions;
    for (const form::PageDef& p : sp::kPages) captions.push_back(p.caption);
    RECT client;
    GetClientRect(hwnd_, &client);
    Pages.Create(hwnd_, client, kPagesId, captions, UiFont(form::FontKind::Window, dpi), dpi);
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
