#pragma once
#include <windows.h>

#include <vector>

#include "framework/FormTable.h"

namespace qs {

// A container window: a page of the page control, or a window's client. It paints the graphic rows of a table
// (pictures, shapes, bevels, panels) in its own background, back to front, under its child windows.
// Its rows are laid out for dpi (ScaleContainer changes that).
HWND CreateContainer(HWND parent, const RECT& rect, int id, form::FontKind font, int dpi = form::kBaseDpi);
const char* ContainerClassName();
// The graphic rows a container paints (tests look at them).
std::vector<form::ControlDef> ContainerGraphics(HWND container);
// Paints the container's background and graphics (also used by transparent labels for what lies beneath).
void PaintContainer(HWND container, HDC dc, const RECT& clip);
// Lays the container's rows out again for dpi: every window placed, sized and given its font at that DPI, the
// graphics painted at their scaled places. The container itself is sized by its owner.
void ScaleContainer(HWND container, int dpi);
int ContainerDpi(HWND container);

}  // namespace qs
