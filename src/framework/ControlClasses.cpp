#include "framework/Control.h"

#include <commctrl.h>

#include "framework/Application.h"
#include "framework/Container.h"
#include "framework/ContainerData.h"
#include "framework/Gauge.h"
#include "framework/SystemLibrary.h"

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
    WNDCLASSA wc{};
    wc.lpfnWndProc = ContainerProc;
    wc.hInstance = Application().Instance();
    wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
    wc.lpszClassName = ContainerClassName();
    RegisterClassA(&wc);
    wc.lpfnWndProc = GaugeWndProc;
    wc.lpszClassName = TGauge::ClassName();
    wc.cbWndExtra = sizeof(LONG_PTR);
    RegisterClassA(&wc);
}

}  // namespace qs
