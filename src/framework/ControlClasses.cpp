#include "framework/Control.h"

#include <commctrl.h>

#include "framework/Application.h"
#include "framework/Container.h"
#include "framework/ContainerData.h"
#include "base/Exceptions.h"
#include "framework/Gauge.h"
#include "base/SystemLibrary.h"
#include "base/WideText.h"

namespace qs {

LRESULT CALLBACK GaugeWndProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);  // Gauge.cpp

void InitControls() {
    static bool done = false;
    if (done) return;
    done = true;
    // Loaded at run time, from the system folder: a static import would be resolved before the program can
    // keep the loader away from a comctl32 or uxtheme planted beside it.
    INITCOMMONCONTROLSEX icc{sizeof icc, ICC_TAB_CLASSES | ICC_STANDARD_CLASSES};
    using InitFn = BOOL(WINAPI*)(const INITCOMMONCONTROLSEX*);
    if (const auto init = SystemFunction<InitFn>("comctl32.dll", "InitCommonControlsEx")) init(&icc);
    WNDCLASSW wc{};
    wc.lpfnWndProc = ContainerProc;
    wc.hInstance = Application().Instance();
    wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
    const std::wstring container = Widen(ContainerClassName());
    wc.lpszClassName = container.c_str();
    RegisterClassW(&wc);
    wc.lpfnWndProc = GaugeWndProc;
    const std::wstring gauge = Widen(TGauge::ClassName());
    wc.lpszClassName = gauge.c_str();
    wc.cbWndExtra = sizeof(LONG_PTR);
    RegisterClassW(&wc);
}

void RegisterFormClass(const char* name, WNDPROC proc, HICON icon) {
    WNDCLASSW wc{};
    const HINSTANCE inst = Application().Instance();
    const std::wstring className = Widen(name);
    if (GetClassInfoW(inst, className.c_str(), &wc)) return;
    wc = WNDCLASSW{};
    wc.lpfnWndProc = proc;
    wc.hInstance = inst;
    wc.hIcon = icon;
    wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    wc.lpszClassName = className.c_str();
    if (!RegisterClassW(&wc)) throw EInOutError(int(GetLastError()));
}

POINT CentredOnScreen(int width, int height) {
    return {(GetSystemMetrics(SM_CXSCREEN) - width) / 2, (GetSystemMetrics(SM_CYSCREEN) - height) / 2};
}

}  // namespace qs
