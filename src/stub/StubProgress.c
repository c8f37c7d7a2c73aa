/* The stub's progress window: a caption, one line of text and a bar, painted by hand so that the stub needs no
 * common controls. */
#include "StubProgress.h"

static LRESULT CALLBACK ProgressProc(HWND window, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_PAINT) {
        const Progress* p = (const Progress*)GetWindowLongPtrW(window, GWLP_USERDATA);
        PAINTSTRUCT ps;
        RECT client, bar, fill;
        HDC dc = BeginPaint(window, &ps);
        GetClientRect(window, &client);
        SetBkMode(dc, TRANSPARENT);
        SelectObject(dc, GetStockObject(DEFAULT_GUI_FONT));
        SetRect(&bar, 12, 12, client.right - 12, 32);
        DrawTextW(dc, L"Preparing Quillostrand Setup...", -1, &bar, DT_LEFT | DT_SINGLELINE | DT_VCENTER);
        SetRect(&bar, 12, 40, client.right - 12, 58);
        FrameRect(dc, &bar, GetSysColorBrush(COLOR_WINDOWTEXT));
        fill = bar;
        InflateRect(&fill, -2, -2);
        if (p && p->total) fill.right = fill.left + (LONG)((uint64_t)(fill.right - fill.left) * p->done / p->total);
        FillRect(dc, &fill, GetSysColorBrush(COLOR_HIGHLIGHT));
        EndPaint(window, &ps);
        return 0;
    }
    return DefWindowProcW(window, msg, wp, lp);
}

void ShowProgress(Progress* p, const WCHAR* caption) {
    WNDCLASSW wc;
    RECT work;
    const int w = 320, h = 100;
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

void Advance(Progress* p, uint64_t bytes) {
    MSG msg;
    p->done += bytes;
    if (!p->window) return;
    InvalidateRect(p->window, NULL, FALSE);
    while (PeekMessageW(&msg, NULL, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
}
