#include "UiTestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <stdexcept>

#include "package/Crc32.h"

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
    HDC src = GetDC(hwnd);
    Picture p = Render(r.right, r.bottom, [&](HDC dc, RECT rc) { BitBlt(dc, 0, 0, rc.right, rc.bottom, src, 0, 0, SRCCOPY); });
    ReleaseDC(hwnd, src);
    return p;
}

namespace {
void Be32(std::string& s, uint32_t v) {
    for (int i = 3; i >= 0; --i) s += char((v >> (8 * i)) & 0xFF);
}
void Chunk(std::string& out, const char* type, const std::string& data) {
    Be32(out, uint32_t(data.size()));
    const std::string body = std::string(type, 4) + data;
    out += body;
    Be32(out, Crc32UpdateLong(body.data(), body.size(), 0));
}
}  // namespace

void WritePng(const std::string& path, const Picture& pic) {
    std::string raw;
    for (int y = 0; y < pic.height; ++y) {
        raw += '\0';
        for (int x = 0; x < pic.width; ++x) {
            const uint32_t p = pic.At(x, y);
            raw += char((p >> 16) & 0xFF);
            raw += char((p >> 8) & 0xFF);
            raw += char(p & 0xFF);
        }
    }
    std::string z = "\x78\x01";
    for (size_t pos = 0; pos < raw.size() || pos == 0; pos += 65535) {
        const size_t n = std::min<size_t>(65535, raw.size() - pos);
        z += char(pos + n >= raw.size() ? 1 : 0);
        z += char(n & 0xFF);
        z += char(n >> 8);
        z += char(~n & 0xFF);
        z += char((~n >> 8) & 0xFF);
        z.append(raw, pos, n);
        if (raw.empty()) break;
    }
    uint32_t a = 1, b = 0;
    for (unsigned char c : raw) {
        a = (a + c) % 65521;
        b = (b + a) % 65521;
    }
    Be32(z, (b << 16) | a);
    std::string ihdr;
    Be32(ihdr, uint32_t(pic.width));
    Be32(ihdr, uint32_t(pic.height));
    ihdr += std::string("\x08\x02\x00\x00\x00", 5);
    std::string png = "\x89PNG\r\n\x1a\n";
    Chunk(png, "IHDR", ihdr);
    Chunk(png, "IDAT", z);
    Chunk(png, "IEND", "");
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) throw std::runtime_error("cannot write " + path);
    std::fwrite(png.data(), 1, png.size(), f);
    std::fclose(f);
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
