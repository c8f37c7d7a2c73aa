// Helpers of the toolkit's tests: pixels of a window as painted, and PNG pictures of them.
#pragma once
#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "framework/GdiGuards.h"

namespace qs::uitest {

// A 32-bit top-down picture.
struct Picture {
    int width = 0, height = 0;
    std::vector<uint32_t> pixels;  // 0x00RRGGBB
    uint32_t At(int x, int y) const { return pixels[size_t(y) * size_t(width) + size_t(x)]; }
};

// What the window shows on the screen: repainted at once, then copied from its device context.
Picture CaptureScreen(HWND hwnd);
// Calls paint(dc, rect) on an off-screen DIB of the given size and returns the pixels.
template <typename Paint>
Picture Render(int w, int h, Paint paint);

// Writes a PNG file; throws when it cannot.
void WritePng(const std::string& path, const Picture& pic);

// The screenshots folder of the build tree this test program was built in (…\screenshots\), created.
std::string ScreenshotDir();

uint32_t Rgb(COLORREF c);

// ---- template body
Picture PictureOfDib(HDC dc, HBITMAP dib, void* bits, int w, int h);
HBITMAP MakeDib(HDC dc, int w, int h, void** bits);

template <typename Paint>
Picture Render(int w, int h, Paint paint) {
    WindowDC screen(nullptr);
    MemoryDC mem(screen.Get());
    void* bits = nullptr;
    GdiBitmap dib(MakeDib(screen.Get(), w, h, &bits));
    ScopedSelect dibInMem(mem.Get(), dib.Get());
    RECT r{0, 0, w, h};
    paint(mem.Get(), r);
    GdiFlush();
    return PictureOfDib(mem.Get(), dib.Get(), bits, w, h);
}

}  // namespace qs::uitest
