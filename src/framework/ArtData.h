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

// The bytes of a picture: a BMP file for the button pictures, an ICO file for the two icons; empty for None.
Blob PictureBytes(form::Picture picture);

}  // namespace qs::art
