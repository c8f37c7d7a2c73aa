// Fonts and pictures shared by the toolkit's windows, and the DPI they are made for.
#pragma once
#include <windows.h>

#include <string>

#include "framework/FormTable.h"

namespace qs {

// The DPI of the screen a window is on (the system's where Windows cannot tell per window: before Windows 10).
int WindowDpi(HWND hwnd);

// The shared fonts; they live until the program ends. At 96 DPI the bitmap face "MS Sans Serif" (-11 regular and
// bold, -13 bold), as the window was drawn for; at any other DPI the TrueType face of the same metrics ("Microsoft
// Sans Serif", else Tahoma) at that size, because the bitmap face has no sizes in between.
HFONT UiFont(form::FontKind kind, int dpi = form::kBaseDpi);
HFONT UiBoldVariant(form::FontKind kind, int dpi = form::kBaseDpi);
// The font of that kind for showing text: UiFont, or the TrueType face where the bitmap face lacks a character
// of text (it holds Western European letters only, and the system's font linking passes bitmap faces by).
HFONT UiFontFor(form::FontKind kind, int dpi, const std::string& text);
// True when the bitmap face has every character of text.
bool BitmapFaceCovers(const std::string& text);

// The generated pictures as GDI objects, scaled for dpi; the caller owns them.
HBITMAP LoadPictureBitmap(form::Picture picture, int dpi = form::kBaseDpi);
HICON LoadPictureIcon(form::Picture picture, int size = 32);

}  // namespace qs
