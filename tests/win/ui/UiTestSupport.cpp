#include "UiTestSupport.h"

#include <gtest/gtest.h>

#include <stdexcept>

#include "PngWriter.h"

namespace qs::uitest {

uint32_t Rgb(COLORREF c) { return (uint32_t(GetRValue(c)) << 16) | (uint32_t(GetGValue(c)) << 8) | GetBValue(c); }

HBITMAP MakeDib(HDC dc, int w, int h, void** bits) {
    BITMAPINFO bi{};
    bi.bmiHeader.biSize = sizeof bi.bmiHeader;
    bi.bmiHeader.biWidth = w;
    bi.bmiHeader.biHeight = -h;
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    bi.bmiHeader.biCompression = BI_RGB;
    return CreateDIBSection(dc, &bi, DIB_RGB_COLORS, bits, nullptr, 0);
}

Picture PictureOfDib(HDC, HBITMAP, void* bits, int w, int h) {
    Picture p;
    p.width = w;
    p.height = h;
    const auto* src = static_cast<const uint32_t*>(bits);
    p.pixels.assign(src, src + size_t(w) * size_t(h));
    for (uint32_t& px : p.pixels) px &= 0xFFFFFF;
    return p;
}

Picture CaptureScreen(HWND hwnd) {
    RedrawWindow(hwnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW | RDW_FRAME);
    RECT r;
    GetClientRect(hwnd, &r);
    WindowDC src(hwnd);
    return Render(r.right, r.bottom,
                  [&](HDC dc, RECT rc) { BitBlt(dc, 0, 0, rc.right, rc.bottom, src.Get(), 0, 0, SRCCOPY); });
}

void WritePng(const std::string& path, const Picture& pic) {
    if (!qs::test::WritePngFile(path, pic.pixels.data(), pic.width, pic.height))
        throw std::runtime_error("cannot write " + path);
}

std::string ScreenshotDir() {
    char exe[MAX_PATH];
    GetModuleFileNameA(nullptr, exe, MAX_PATH);
    std::string dir = exe;
    dir.resize(dir.find_last_of('\\'));           // …\tests
    dir.resize(dir.find_last_of('\\') + 1);      // the build tree
    dir += "screenshots\\";
    CreateDirectoryA(dir.c_str(), nullptr);
    return dir;
}


namespace {
// Wine's prefixes lack the "MS Sans Serif" bitmap font unless it is added; without it text falls back to a
// wider face and the fixed-size boxes of the layout overflow. The fonts-wine package carries it.
class SystemFontEnvironment : public ::testing::Environment {
public:
    void SetUp() override {
        for (const char* f : {"Z:\\usr\\share\\wine\\fonts\\sserife.fon", "C:\\windows\\Fonts\\sserife.fon"})
            if (GetFileAttributesA(f) != INVALID_FILE_ATTRIBUTES && AddFontResourceExA(f, FR_PRIVATE, nullptr)) break;
    }
};
[[maybe_unused]] ::testing::Environment* const kFonts = ::testing::AddGlobalTestEnvironment(new SystemFontEnvironment);
}  // namespace
}  // namespace qs::uitest
