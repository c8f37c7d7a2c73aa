/* The stub's small progress window, shown while a large payload is checked and extracted. */
#ifndef QS_STUB_PROGRESS_H
#define QS_STUB_PROGRESS_H
#include <windows.h>
#include <stdint.h>

typedef struct Progress {
    HWND window; /* NULL while no window is shown: Advance then only counts */
    uint64_t done, total;
    HFONT font;  /* the window's text */
    int dpi;     /* the screen's, which the window is sized for */
    HWND text, bar;
    DWORD moved; /* when the bar last moved (GetTickCount) */
} Progress;

/* Shows the window, centred on the work area, above other windows. */
void ShowProgress(Progress* p, const WCHAR* caption);
/* Takes the window down, when one is shown, and frees its font. */
void CloseProgress(Progress* p);
/* Counts bytes more as done; moves the bar and handles the window's pending messages, a few times a second. */
void Advance(Progress* p, uint64_t bytes);

#endif
