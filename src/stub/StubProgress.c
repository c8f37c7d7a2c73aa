/* The stub's progress window: a caption, one line of text and a bar. The text and the bar are the system's own
 * controls (a static text and the common progress bar), so that screen readers read the line and follow the bar's
 * value. Sized and lettered for the screen's DPI (the stub is aware of the system's DPI), so that it is crisp where
 * the system would otherwise stretch it. */
#include "StubProgress.h"

#include <commctrl.h>

/* Places at 96 DPI: the window's size; the margin, the text line and the bar in its client area. */
enum { kWidth = 320, kHeight = 100, kMargin = 12, kTextBottom = 32, kBarTop = 40, kBarBottom = 58 };
/* The bar's range: fine enough for any width of bar. */
#define BAR_STEPS 1000
/* How often the bar moves, at most. */
#define MOVE_EVERY_MS 50

typedef BOOL(WINAPI* InitCommonControlsExFn)(const INITCOMMONCONTROLSEX*);

static int Scaled(const Progress* p, int at96) { return MulDiv(at96, p->dpi, 96); }

void ShowProgress(Progress* p, const WCHAR* caption) {
    INITCOMMONCONTROLSEX controls;
    HMODULE common;
    InitCommonControlsExFn init;
    WNDCLASSW wc;
    RECT work, client;
    NONCLIENTMETRICSW metrics;
    HDC screen = GetDC(NULL);
    int w, h, left, right;
    p->dpi = screen ? GetDeviceCaps(screen, LOGPIXELSY) : 96;
    if (screen) ReleaseDC(NULL, screen);
    if (p->dpi < 96) p->dpi = 96;
    /* The message font, which the system gives at its DPI; the stock GUI font stays at its 96-DPI size. */
    metrics.cbSize = sizeof metrics;
    p->font = SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0)
                  ? CreateFontIndirectW(&metrics.lfMessageFont)
                  : NULL;
    /* Loaded only here: a download too small for the window is spared the library's start, which under Wine
     * costs as much as the whole rest of the stub's run. */
    common = LoadLibraryW(L"comctl32.dll");
    init = common ? (InitCommonControlsExFn)(void (*)(void))GetProcAddress(common, "InitCommonControlsEx") : NULL;
    controls.dwSize = sizeof controls;
    controls.dwICC = ICC_PROGRESS_CLASS;
    if (init) init(&controls);
    w = Scaled(p, kWidth);
    h = Scaled(p, kHeight);
    ZeroMemory(&wc, sizeof wc);
    wc.lpfnWndProc = DefWindowProcW;
    wc.hInstance = GetModuleHandleW(NULL);
    wc.hCursor = LoadCursorW(NULL, (LPCWSTR)IDC_WAIT);
    wc.hbrBackground = GetSysColorBrush(COLOR_BTNFACE);
    wc.lpszClassName = L"QstSetupStubProgress";
    RegisterClassW(&wc);
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    p->window = CreateWindowExW(WS_EX_TOPMOST, wc.lpszClassName, caption, WS_POPUP | WS_CAPTION | WS_BORDER,
                                (work.left + work.right - w) / 2, (work.top + work.bottom - h) / 2, w, h, NULL, NULL,
                                wc.hInstance, NULL);
    if (!p->window) return;
    GetClientRect(p->window, &client);
    left = Scaled(p, kMargin);
    right = client.right - Scaled(p, kMargin);
    p->text = CreateWindowExW(0, L"STATIC", L"Preparing Quillostrand Setup...",
                              WS_CHILD | WS_VISIBLE | SS_LEFT | SS_NOPREFIX | SS_CENTERIMAGE, left, Scaled(p, kMargin),
                              right - left, Scaled(p, kTextBottom - kMargin), p->window, NULL, wc.hInstance, NULL);
    if (p->text && p->font) SendMessageW(p->text, WM_SETFONT, (WPARAM)p->font, FALSE);
    p->bar = CreateWindowExW(0, PROGRESS_CLASSW, NULL, WS_CHILD | WS_VISIBLE | PBS_SMOOTH, left, Scaled(p, kBarTop),
                             right - left, Scaled(p, kBarBottom - kBarTop), p->window, NULL, wc.hInstance, NULL);
    if (p->bar) SendMessageW(p->bar, PBM_SETRANGE32, 0, BAR_STEPS);
    ShowWindow(p->window, SW_SHOWNORMAL);
    UpdateWindow(p->window);
}

void CloseProgress(Progress* p) {
    if (p->window) DestroyWindow(p->window); /* and its text and bar with it */
    p->window = p->text = p->bar = NULL;
    if (p->font) DeleteObject(p->font);
    p->font = NULL;
}

void Advance(Progress* p, uint64_t bytes) {
    MSG msg;
    DWORD now;
    p->done += bytes;
    if (!p->window) return;
    /* The bar repaints itself at once, which under Wine costs more than writing the megabyte between two calls:
     * it moves a few times a second, as the eye follows it. */
    now = GetTickCount();
    if (now - p->moved < MOVE_EVERY_MS && p->done < p->total) return;
    p->moved = now;
    if (p->bar && p->total) SendMessageW(p->bar, PBM_SETPOS, (WPARAM)(p->done * BAR_STEPS / p->total), 0);
    while (PeekMessageW(&msg, NULL, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
}
