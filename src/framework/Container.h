#pragma once
#include <windows.h>

#include <vector>

#include "framework/FormTable.h"

namespace qs {

// A container window: a page of the page control, or a window's client. It paints the graphic rows of a table
// (pictures, shapes, bevels, panels) in its own background, back to front, under its child windows.
HWND CreateContainer(HWND parent, const RECT& rect, int id, form::FontKind font);
const char* ContainerClassName();
// The graphic rows a container paints (tests look at them).
std::vector<form::ControlDef> ContainerGraphics(HWND container);
// Paints the container's background and graphics (also used by transparent labels for what lies beneath).
void PaintContainer(HWND container, HDC dc, const RECT& clip);

}  // namespace qs
