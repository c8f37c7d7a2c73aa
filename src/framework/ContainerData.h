// Inside the toolkit: what a container keeps, for the table builder and the class registration.
#pragma once
#include <windows.h>

#include <memory>
#include <vector>

#include "framework/Control.h"
#include "framework/FormTable.h"
#include "base/ScopedWin.h"

namespace qs {

// A graphic row and, for a picture, the icon it is painted from.
struct ContainerGraphic {
    form::ControlDef def;
    ScopedIcon icon;
};

// A row that became a window, with the control id it was given.
struct ContainerWindow {
    form::ControlDef def;
    int id;
};

struct ContainerData {
    form::FontKind font;
    int dpi;  // the DPI its rows are laid out for
    std::vector<ContainerGraphic> graphics;
    std::vector<ContainerWindow> windows;
    std::vector<std::unique_ptr<TControl>> views;  // of the rows no member of the owner takes
};

ContainerData* DataOf(HWND hwnd);
LRESULT CALLBACK ContainerProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);

}  // namespace qs
