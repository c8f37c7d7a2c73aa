#include "setup/SetupSplash.h"

#include "framework/Application.h"
#include "framework/Exceptions.h"
#include "setup/SetupPages.h"
#include "system/ProductNames.h"

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
    HINSTANCE inst = Application().Instance();
    WNDCLASSA wc{};
    if (!GetClassInfoA(inst, kSplashClass, &wc)) {
        wc = WNDCLASSA{};
        wc.lpfnWndProc = SplashProc;
        wc.hInstance = inst;
        wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
        wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
        wc.lpszClassName = kSplashClass;
        if (!RegisterClassA(&wc)) throw EInOutError(int(GetLastError()));
    }
    const int w = sp::kSplashWidth, h = sp::kSplashHeight;
    const int x = (GetSystemMetrics(SM_CXSCREEN) - w) / 2, y = (GetSystemMetrics(SM_CYSCREEN) - h) / 2;
    // No caption and no border; a tool window so it gets no taskbar button of its own.
    hwnd_ = CreateWindowExA(WS_EX_TOOLWINDOW, kSplashClass, kSetupCaption, WS_POPUP | WS_DISABLED, x, y,
                            w, h, nullptr, nullptr, inst, nullptr);
    if (!hwnd_) throw EInOutError(int(GetLastError()));
    panel_ = CreateContainer(hwnd_, RECT{0, 0, w, h}, 1, form::FontKind::Window);
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
