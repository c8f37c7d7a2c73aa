// Inside the toolkit: what a container keeps, for the table builder and the class registration.
#pragma once
#include <windows.h>

#include <memory>
#include <vector>

#include "framework/Control.h"
#include "framework/FormTable.h"

namespace qs {

struct ContainerData {
    form::FontKind font;
    std::vector<form::ControlDef> graphics;
    std::vector<HICON> icons;  // one per graphic row (null for non-pictures), owned
    std::vector<std::unique_ptr<TControl>> views;  // of the rows no member of the owner takes
    ~ContainerData() {
        for (HICON i : icons)
            if (i) DestroyIcon(i);
    }
};

ContainerData* DataOf(HWND hwnd);
LRESULT CALLBACK ContainerProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);

}  // namespace qs
