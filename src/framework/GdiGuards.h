// Small owners for GDI selections and DCs (the objects themselves are GdiObj, ScopedWin.h), so painting code
// releases what it makes on every way out and never restores a selection by hand. Destruction runs in reverse
// order of declaration: declare the memory DC, then the objects, then their selections, and everything is put
// back and freed in the order GDI wants.
#pragma once
#include <windows.h>

#include <type_traits>
#include <utility>

#include "base/ScopedWin.h"

namespace qs {

using GdiPen = GdiObj<HPEN>;
using GdiBrush = GdiObj<HBRUSH>;
using GdiBitmap = GdiObj<HBITMAP>;
static_assert(!std::is_copy_constructible_v<GdiBrush>);

// Selects an object into a DC for the guard's lifetime, then puts the previous one back.
class ScopedSelect {
public:
    ScopedSelect(HDC dc, HGDIOBJ object) : dc_(dc), old_(SelectObject(dc, object)) {}
    ~ScopedSelect() {
        if (old_) SelectObject(dc_, old_);
    }
    ScopedSelect(const ScopedSelect&) = delete;
    ScopedSelect& operator=(const ScopedSelect&) = delete;

private:
    HDC dc_;
    HGDIOBJ old_;
};
static_assert(!std::is_copy_constructible_v<ScopedSelect>);

namespace handle_traits {
struct MemoryDC : NullIsNone { using Handle = HDC; static void Close(Handle h) { DeleteDC(h); } };
}  // namespace handle_traits

// A memory DC compatible with another DC, deleted at the end of the scope.
class MemoryDC : public ScopedHandle<handle_traits::MemoryDC> {
public:
    explicit MemoryDC(HDC like) : ScopedHandle(CreateCompatibleDC(like)) {}
};
static_assert(!std::is_copy_constructible_v<MemoryDC>);

// A window's DC (the screen's for a null window), released at the end of the scope.
class WindowDC {
public:
    explicit WindowDC(HWND hwnd) : hwnd_(hwnd), dc_(GetDC(hwnd)) {}
    ~WindowDC() {
        if (dc_) ReleaseDC(hwnd_, dc_);
    }
    WindowDC(const WindowDC&) = delete;
    WindowDC& operator=(const WindowDC&) = delete;
    HDC Get() const { return dc_; }

private:
    HWND hwnd_;
    HDC dc_;
};
static_assert(!std::is_copy_constructible_v<WindowDC>);

}  // namespace qs
