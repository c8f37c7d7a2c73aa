// Small owners for GDI handles, so painting code releases what it makes on every way out and never restores
// a selection by hand. Destruction runs in reverse order of declaration: declare the memory DC, then the
// objects, then their selections, and everything is put back and freed in the order GDI wants.
#pragma once
#include <windows.h>

#include <type_traits>
#include <utility>

namespace qs {

// Owns a pen, brush, bitmap or font and deletes it. Move-only; a null handle is allowed and ignored.
template <typename T>
class GdiObj {
public:
    GdiObj() = default;
    explicit GdiObj(T handle) : handle_(handle) {}
    ~GdiObj() { Reset(); }
    GdiObj(GdiObj&& other) noexcept : handle_(other.Release()) {}
    GdiObj& operator=(GdiObj&& other) noexcept {
        if (this != &other) Reset(other.Release());
        return *this;
    }
    GdiObj(const GdiObj&) = delete;
    GdiObj& operator=(const GdiObj&) = delete;

    T Get() const { return handle_; }
    explicit operator bool() const { return handle_ != nullptr; }
    // Deletes the object held (unless it is handle itself) and takes handle.
    void Reset(T handle = nullptr) {
        if (handle_ && handle_ != handle) DeleteObject(handle_);
        handle_ = handle;
    }
    T Release() { return std::exchange(handle_, nullptr); }

private:
    T handle_ = nullptr;
};

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

// A memory DC compatible with another DC, deleted at the end of the scope.
class MemoryDC {
public:
    explicit MemoryDC(HDC like) : dc_(CreateCompatibleDC(like)) {}
    ~MemoryDC() {
        if (dc_) DeleteDC(dc_);
    }
    MemoryDC(const MemoryDC&) = delete;
    MemoryDC& operator=(const MemoryDC&) = delete;
    HDC Get() const { return dc_; }

private:
    HDC dc_;
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
