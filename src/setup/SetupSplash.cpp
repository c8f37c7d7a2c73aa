#include "setup/SetupSplash.h"
#include "base/WideText.h"

#include "framework/Application.h"
#include "base/Exceptions.h"
#include "setup/SetupPages.h"
#include "package/Product.h"

namespace qs {

namespace {
const char kSplashClass[] = "TSplashForm";

LRESULT CALLBACK SplashProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_NCHITTEST) return HTNOWHERE;  // never takes input
    return DefParentProc(hwnd, msg, wp, lp);
}
}  // namespace

TSplashForm::TSplashForm() {
    namespace sp = setup_pages;
    InitControls();
    RegisterFormClass(kSplashClass, SplashProc);
    int w = sp::kSplashWidth, h = sp::kSplashHeight;
    const POINT at = CentredOnScreen(w, h);
    // No caption and no border; a tool window so it gets no taskbar button of its own. Sized for its screen's DPI
    // once it is made.
    hwnd_ = CreateWindowExW(WS_EX_TOOLWINDOW, Widen(kSplashClass).c_str(), Widen(kSetupCaption).c_str(),
                            WS_POPUP | WS_DISABLED, at.x, at.y, w, h, nullptr, nullptr, Application().Instance(),
                            nullptr);
    if (!hwnd_) throw EInOutError(int(GetLastError()));
    const int dpi = WindowDpi(hwnd_);
    if (dpi != form::kBaseDpi) {
        w = form::Scale(w, dpi);
        h = form::Scale(h, dpi);
        const POINT scaledAt = CentredOnScreen(w, h);
        SetWindowPos(hwnd_, nullptr, scaledAt.x, scaledAt.y, w, h, SWP_NOZORDER | SWP_NOACTIVATE);
    }
    panel_ = CreateContainer(hwnd_, RECT{0, 0, w, h}, 1, form::FontKind::Window, dpi);
    ShowWindow(panel_, SW_SHOWNA);
    CreateControls(
        panel_, sp::kSplashPage,
        [this](const form::ControlDef& row) -> TControl* {
            return std::string(row.name) == "Label1" ? &Label1 : nullptr;
        },
        nullptr);
}

TSplashForm::~TSplashForm() {
    if (hwnd_ && IsWindow(hwnd_)) DestroyWindow(hwnd_);
}

void TSplashForm::Show() {
    ShowWindow(hwnd_, SW_SHOWNOACTIVATE);
    RepaintNow(hwnd_);
}

void TSplashForm::Hide() { ShowWindow(hwnd_, SW_HIDE); }

}  // namespace qs
