#include "framework/UiResources.h"

#include <cstdlib>
#include <cstring>
#include <iterator>
#include <map>
#include <tuple>

#include "framework/ArtData.h"
#include "framework/GdiGuards.h"
#include "base/WideText.h"

namespace qs {

namespace {

const wchar_t kBitmapFace[] = L"MS Sans Serif";

HFONT MakeFont(int height, int weight, const wchar_t* face, bool trueType) {
    return CreateFontW(height, 0, 0, 0, weight, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                       trueType ? OUT_TT_ONLY_PRECIS : OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS,
                       trueType ? DEFAULT_QUALITY : NONANTIALIASED_QUALITY, DEFAULT_PITCH | FF_SWISS, face);
}

// Whether the font mapper gives a TrueType font of the face itself when asked for one, rather than a stand-in.
bool TrueTypeFaceInstalled(const wchar_t* face) {
    const GdiObj<HFONT> font(MakeFont(-11, FW_NORMAL, face, true));
    WindowDC screen(nullptr);
    ScopedSelect fontInDC(screen.Get(), font.Get());
    wchar_t got[LF_FACESIZE] = L"";
    GetTextFaceW(screen.Get(), LF_FACESIZE, got);
    TEXTMETRICW tm{};
    GetTextMetricsW(screen.Get(), &tm);
    return lstrcmpiW(got, face) == 0 && (tm.tmPitchAndFamily & TMPF_TRUETYPE);
}

// The TrueType face with the bitmap face's metrics, so that the boxes made for it hold the texts at any size:
// Windows has "Microsoft Sans Serif" (and links it to the fonts of other scripts); some systems have a TrueType
// "MS Sans Serif" beside the bitmap one. Elsewhere the font mapper's nearest, shrunk to the same widths
// (TrueTypeShrink). Not Wine's Tahoma: at some sizes it draws wider than it measures, and wrapped lines overflow.
const wchar_t* TrueTypeFace() {
    static const wchar_t* const face = TrueTypeFaceInstalled(kBitmapFace) ? kBitmapFace : L"Microsoft Sans Serif";
    return face;
}

// The width of a line of text in a font of the face at 96 DPI's 8 points.
int SampleWidth(const wchar_t* face, bool trueType) {
    const GdiObj<HFONT> font(MakeFont(form::FontHeight(form::FontKind::Window, form::kBaseDpi), FW_NORMAL, face,
                                      trueType));
    WindowDC screen(nullptr);
    ScopedSelect fontInDC(screen.Get(), font.Get());
    const wchar_t sample[] = L"Install Quillostrand's HelpContext property editor for Delphi 1.0";
    SIZE size{};
    GetTextExtentPoint32W(screen.Get(), sample, int(std::size(sample) - 1), &size);
    return int(size.cx);
}

// How much smaller the TrueType face must be than its point size to take the bitmap face's room: 1 for a face of
// the same metrics, less for a wider stand-in, so that the boxes made for the bitmap face hold the texts.
double TrueTypeShrink() {
    static const double shrink = [] {
        const int bitmap = SampleWidth(kBitmapFace, false), trueType = SampleWidth(TrueTypeFace(), true);
        return bitmap > 0 && trueType > bitmap ? double(bitmap) / trueType : 1.0;
    }();
    return shrink;
}

HFONT FontOf(form::FontKind kind, int dpi, bool trueType) {
    static std::map<std::tuple<int, int, bool>, HFONT> fonts;
    trueType = trueType || dpi != form::kBaseDpi;
    HFONT& font = fonts[{int(kind), dpi, trueType}];
    if (!font) {
        const int weight = kind == form::FontKind::Window ? FW_NORMAL : FW_BOLD;
        const int height = form::FontHeight(kind, dpi);
        font = trueType ? MakeFont(int(height * TrueTypeShrink() - 0.5), weight, TrueTypeFace(), true)
                        : MakeFont(height, weight, kBitmapFace, false);
    }
    return font;
}

}  // namespace

int WindowDpi(HWND hwnd) {
    using GetDpiForWindowFn = UINT(WINAPI*)(HWND);
    static const auto forWindow = reinterpret_cast<GetDpiForWindowFn>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"user32.dll"), "GetDpiForWindow")));
    if (forWindow && hwnd)
        if (const UINT dpi = forWindow(hwnd)) return int(dpi);
    WindowDC screen(nullptr);
    const int dpi = GetDeviceCaps(screen.Get(), LOGPIXELSY);
    return dpi > 0 ? dpi : form::kBaseDpi;
}

HFONT UiFont(form::FontKind kind, int dpi) { return FontOf(kind, dpi, false); }

HFONT UiBoldVariant(form::FontKind kind, int dpi) {
    return UiFont(kind == form::FontKind::Window ? form::FontKind::WindowBold : kind, dpi);
}

bool BitmapFaceCovers(const std::string& text) {
    // The face's characters are those of the Western code page.
    const std::wstring wide = Widen(text);
    if (wide.empty()) return true;
    BOOL usedDefault = FALSE;
    const int n = WideCharToMultiByte(1252, WC_NO_BEST_FIT_CHARS, wide.data(), int(wide.size()), nullptr, 0, nullptr,
                                      &usedDefault);
    return n > 0 && !usedDefault;
}

HFONT UiFontFor(form::FontKind kind, int dpi, const std::string& text) {
    return FontOf(kind, dpi, !BitmapFaceCovers(text));
}

HBITMAP LoadPictureBitmap(form::Picture picture, int dpi) {
    const art::Blob blob = art::PictureBytes(picture, dpi);
    if (!blob.data || blob.size < 14 + sizeof(BITMAPINFOHEADER) || blob.data[0] != 'B' || blob.data[1] != 'M')
        return nullptr;
    DWORD offBits;
    std::memcpy(&offBits, blob.data + 10, 4);
    if (offBits >= blob.size) return nullptr;
    const auto* info = reinterpret_cast<const BITMAPINFO*>(blob.data + 14);
    WindowDC screen(nullptr);
    HBITMAP drawn = CreateDIBitmap(screen.Get(), &info->bmiHeader, CBM_INIT, blob.data + offBits, info, DIB_RGB_COLORS);
    if (!drawn || art::DrawnFor(dpi)) return drawn;

    // At a DPI without a drawn set, each image of the picture grown pixel by pixel, so that the transparent colour
    // stays one colour.
    GdiBitmap source(drawn);
    const int w = info->bmiHeader.biWidth, h = std::abs(info->bmiHeader.biHeight);
    const int images = w == 2 * h ? 2 : 1;
    const int imageW = form::Scale(w / images, dpi), imageH = form::Scale(h, dpi);
    MemoryDC from(screen.Get()), to(screen.Get());
    HBITMAP scaled = CreateCompatibleBitmap(screen.Get(), images * imageW, imageH);
    if (!scaled) return nullptr;
    {
        ScopedSelect sourceIn(from.Get(), source.Get());
        ScopedSelect scaledIn(to.Get(), scaled);
        SetStretchBltMode(to.Get(), COLORONCOLOR);
        for (int i = 0; i < images; ++i)
            StretchBlt(to.Get(), i * imageW, 0, imageW, imageH, from.Get(), i * (w / images), 0, w / images, h,
                       SRCCOPY);
    }
    return scaled;
}

HICON LoadPictureIcon(form::Picture picture, int size) {
    // The set drawn at this size, if any; the system scales the 96 DPI icon to other sizes.
    int dpi = form::kBaseDpi;
    for (const int drawn : {120, 144, 192})
        if (form::Scale(32, drawn) == size) dpi = drawn;
    const art::Blob blob = art::PictureBytes(picture, dpi);
    if (!blob.data || blob.size < 6 + 16) return nullptr;
    DWORD bytes, offset;
    std::memcpy(&bytes, blob.data + 6 + 8, 4);
    std::memcpy(&offset, blob.data + 6 + 12, 4);
    if (offset > blob.size || bytes > blob.size - offset) return nullptr;
    return CreateIconFromResourceEx(const_cast<BYTE*>(blob.data + offset), bytes, TRUE, 0x00030000, size, size,
                                    LR_DEFAULTCOLOR);
}

}  // namespace qs
