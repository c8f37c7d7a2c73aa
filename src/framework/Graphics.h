// Inside the toolkit: painting the graphic rows of a table (pictures, shapes, bevels, panels).
#pragma once
#include <windows.h>

#include "framework/FormTable.h"

namespace qs {

void PaintGraphic(HDC dc, const form::ControlDef& g, HICON icon);

}  // namespace qs
