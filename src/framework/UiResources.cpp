#include "framework/UiResources.h"

#include <cstring>

#include "framework/ArtData.h"
#include "framework/GdiGuards.h"

namespace qs {

HFONT UiFont(form::FontKind kind) {
    static HFONT fonts[3] = {};
    const int i = int(kind);
    if (!fonts[i]) {
        const int height = kind == form::FontKind::LargeBold ? -13 : -11;
        const int weight = kind == form::FontKind::Window ? FW_NORMAL : FW_BOLD;
        fonts[i] = CreateFontW(height, 0, 0, 0, weight, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                               CLIP_DEFAULT_PRECIS, NONANTIALIASED_QUALITY, DEFAULT_PITCH | FF_SWISS, L"MS Sans Serif");
    }
    return fonts[i];
}

HFONT UiBoldVariant(form::FontKind kind) {
    return UiFont(kind == form::FontKind::Window ? form::FontKind::WindowBold : kind);
}

HBITMAP LoadPictureBitmap(form::Picture picture) {
    const art::Blob blob = art::PictureBytes(picture);
    if (!blob.data || blob.size < 14 + sizeof(BITMAPINFOHEADER) || blob.data[0] != 'B' || blob.data[1] != 'M')
        return nullptr;
    DWORD offBits;
    std::memcpy(&offBits, blob.data + 10, 4);
    if (offBits >= blob.size) return nullptr;
    const auto* info = reinterpret_cast<const BITMAPINFO*>(blob.data + 14);
    WindowDC screen(nullptr);
    return CreateDIBitmap(screen.Get(), &info->bmiHeader, CBM_INIT, blob.data + offBits, info, DIB_RGB_COLORS);
}

HICON LoadPictureIcon(form::Picture picture, int size) {
    const art::Blob blob = art::PictureBytes(picture);
    if (!blob.data || blob.size < 6 + 16) return nullptr;
    DWORD bytes, offset;
    std::memcpy(&bytes, blob.data + 6 + 8, 4);
    std::memcpy(&offset, blob.data + 6 + 12, 4);
    if (offset > blob.size || bytes > blob.size - offset) return nullptr;
    return CreateIconFromResourceEx(const_cast<BYTE*>(blob.data + offset), bytes, TRUE, 0x00030000, size, size,
                                    LR_DEFAULTCOLOR);
}

}  // namespace qs
