// Inside the toolkit: painting the graphic rows of a table (pictures, shapes, bevels, panels).
#pragma once
#include <windows.h>

#include "framework/FormTable.h"

namespace qs {

// Paints the row where it lies at dpi; icon is the picture's, already at that size. Edges and bevel lines stay one
// pixel wide, as the system's own are; a shape's outline grows with the DPI.
void PaintGraphic(HDC dc, const form::ControlDef& g, HICON icon, int dpi = form::kBaseDpi);

}  // namespace qs
