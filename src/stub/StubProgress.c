/* The stub's progress window: a caption, one line of text and a bar, painted by hand so that the stub needs no
 * common controls. Sized and lettered for the screen's DPI (the stub is aware of the system's DPI), so that it is
 * crisp where the system would otherwise stretch it. */
#include "StubProgress.h"

/* Places at 96 DPI: the window's size, the margin, the text line and the bar. */
enum { kWidth = 320, kHeight = 100, kMargin = 12, kTextBottom = 32, kBarTop = 40, kBarBottom = 58 };

static int Scaled(const Progress* p, int at96) { return MulDiv(at96, p->dpi, 96); }

static LRESULT CALLBACK ProgressProc(HWND window, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_PAINT) {
        const Progress* p = (const Progress*)GetWindowLongPtrW(window, GWLP_USERDATA);
        PAINTSTRUCT ps;
        RECT client, bar, fill;
        HDC dc = BeginPaint(window, &ps);
        const int edge = p ? Scaled(p, 1) : 1;
        GetClientRect(window, &client);
        if (p) {
            SetBkMode(dc, TRANSPARENT);
            SelectObject(dc, p->font ? p->font : GetStockObject(DEFAULT_GUI_FONT));
            SetRect(&bar, Scaled(p, kMargin), Scaled(p, kMargin), client.right - Scaled(p, kMargin),
                    Scaled(p, kTextBottom));
            DrawTextW(dc, L"Preparing Quillostrand Setup...", -1, &bar, DT_LEFT | DT_SINGLELINE | DT_VCENTER);
            SetRect(&bar, Scaled(p, kMargin), Scaled(p, kBarTop), client.right - Scaled(p, kMargin),
                    Scaled(p, kBarBottom));
            FrameRect(dc, &bar, GetSysColorBrush(COLOR_WINDOWTEXT));
            if (edge > 1) {
                RECT inner = bar;
                InflateRect(&inner, -(edge - 1), -(edge - 1));
                FrameRect(dc, &inner, GetSysColorBrush(COLOR_WINDOWTEXT));
            }
            fill = bar;
            InflateRect(&fill, -2 * edge, -2 * edge);
            if (p->total) fill.right = fill.left + (LONG)((uint64_t)(fill.right - fill.left) * p->done / p->total);
            FillRect(dc, &fill, GetSysColorBrush(COLOR_HIGHLIGHT));
        }
        EndPaint(window, &ps);
        return 0;
    }
    return DefWindowProcW(window, msg, wp, lp);
}

void ShowProgress(Progress* p, const WCHAR* caption) {
    WNDCLASSW wc;
    RECT work;
    NONCLIENTMETRICSW metrics;
    HDC screen = GetDC(NULL);
    int w, h;
    p->dpi = screen ? GetDeviceCaps(screen, LOGPIXELSY) : 96;
    if (screen) ReleaseDC(NULL, screen);
    if (p->dpi < 96) p->dpi = 96;
    /* The message font, which the system gives at its DPI; the stock GUI font stays at its 96-DPI size. */
    metrics.cbSize = sizeof metrics;
    p->font = SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0)
                  ? CreateFontIndirectW(&metrics.lfMessageFont)
                  : NULL;
    w = Scaled(p, kWidth);
    h = Scaled(p, kHeight);
    ZeroMemory(&wc, sizeof wc);
    wc.lpfnWndProc = ProgressProc;
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
    SetWindowLongPtrW(p->window, GWLP_USERDATA, (LONG_PTR)p);
    ShowWindow(p->window, SW_SHOWNORMAL);
    UpdateWindow(p->window);
}

void CloseProgress(Progress* p) {
    if (p->window) DestroyWindow(p->window);
    p->window = NULL;
    if (p->font) DeleteObject(p->font);
    p->font = NULL;
}

void Advance(Progress* p, uint64_t bytes) {
    MSG msg;
    p->done += bytes;
    if (!p->window) return;
    InvalidateRect(p->window, NULL, FALSE);
    while (PeekMessageW(&msg, NULL, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
}
