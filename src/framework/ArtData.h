// The program's pictures as file images (.bmp or .ico bytes), generated at build time by tools/mkart.
// Portable: the host tests read the same bytes.
#pragma once
#include <cstddef>

#include "framework/FormTable.h"

namespace qs::art {

struct Blob {
    const unsigned char* data;
    size_t size;
};

// The bytes of a picture drawn for dpi (the 96 DPI one where no set was drawn for it): a BMP file for the button
// pictures, an ICO file for the two icons; empty for None.
Blob PictureBytes(form::Picture picture, int dpi = form::kBaseDpi);
// True when a set of pictures was drawn at dpi's own size; other DPIs enlarge the 96 DPI set.
bool DrawnFor(int dpi);

}  // namespace qs::art
