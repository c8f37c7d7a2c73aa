// Fonts and pictures shared by the toolkit's windows.
#pragma once
#include <windows.h>

#include "framework/FormTable.h"

namespace qs {

// The shared fonts ("MS Sans Serif" -11 regular and bold, -13 bold); they live until the program ends.
HFONT UiFont(form::FontKind kind);
HFONT UiBoldVariant(form::FontKind kind);
// The generated pictures as GDI objects; the caller owns them.
HBITMAP LoadPictureBitmap(form::Picture picture);
HICON LoadPictureIcon(form::Picture picture, int size = 32);

}  // namespace qs
