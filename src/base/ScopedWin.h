// One family of owners for Win32 handles and COM pointers, so that no code path releases one by hand: each owner
// is move-only, releases what it holds when it goes, and treats the handle type's "none" value as empty.
#pragma once
#include <windows.h>
#include <wincrypt.h>

#include <cstddef>
#include <type_traits>
#include <utility>

namespace qs {

// Owns one handle; Traits gives its type (Handle), its "none" value (kNone) and how it is released (Close).
template <class Traits>
class ScopedHandle {
public:
    using Handle = typename Traits::Handle;

    ScopedHandle() = default;
    explicit ScopedHandle(Handle handle) : handle_(handle) {}
    ~ScopedHandle() { Reset(); }
    ScopedHandle(ScopedHandle&& other) noexcept : handle_(other.Release()) {}
    ScopedHandle& operator=(ScopedHandle&& other) noexcept {
        if (this != &other) Reset(other.Release());
        return *this;
    }
    ScopedHandle(const ScopedHandle&) = delete;
    ScopedHandle& operator=(const ScopedHandle&) = delete;

    Handle Get() const { return handle_; }
    explicit operator bool() const { return handle_ != Traits::kNone(); }
    // Releases the handle held (unless it is handle itself) and takes handle.
    void Reset(Handle handle = Traits::kNone()) {
        if (handle_ != Traits::kNone() && handle_ != handle) Traits::Close(handle_);
        handle_ = handle;
    }
    Handle Release() { return std::exchange(handle_, Traits::kNone()); }

private:
    Handle handle_ = Traits::kNone();
};

namespace handle_traits {

// "None" as the function that makes the handle returns it on failure.
struct NullIsNone {
    static constexpr std::nullptr_t kNone() { return nullptr; }
};
struct MinusOneIsNone {
    static HANDLE kNone() { return INVALID_HANDLE_VALUE; }
};
// The crypto API's handles are numbers.
struct ZeroIsNone {
    static constexpr ULONG_PTR kNone() { return 0; }
};

// Each kind of handle: its type, its "none" value and its release.
struct File : MinusOneIsNone { using Handle = HANDLE; static void Close(Handle h) { CloseHandle(h); } };
struct Kernel : NullIsNone { using Handle = HANDLE; static void Close(Handle h) { CloseHandle(h); } };
struct Find : MinusOneIsNone { using Handle = HANDLE; static void Close(Handle h) { FindClose(h); } };
struct Icon : NullIsNone { using Handle = HICON; static void Close(Handle h) { DestroyIcon(h); } };
template <typename T>
struct Gdi : NullIsNone { using Handle = T; static void Close(Handle h) { DeleteObject(h); } };
struct RegistryKey : NullIsNone { using Handle = HKEY; static void Close(Handle h) { RegCloseKey(h); } };
struct CryptProvider : ZeroIsNone { using Handle = HCRYPTPROV; static void Close(Handle h) { CryptReleaseContext(h, 0); } };
struct CryptKey : ZeroIsNone { using Handle = HCRYPTKEY; static void Close(Handle h) { CryptDestroyKey(h); } };
struct CryptHash : ZeroIsNone { using Handle = HCRYPTHASH; static void Close(Handle h) { CryptDestroyHash(h); } };

}  // namespace handle_traits

using ScopedFile = ScopedHandle<handle_traits::File>;      // CreateFile
using ScopedKernel = ScopedHandle<handle_traits::Kernel>;  // CreateProcess's process and thread, CreateMutex
using ScopedFind = ScopedHandle<handle_traits::Find>;      // FindFirstFile
using ScopedIcon = ScopedHandle<handle_traits::Icon>;      // CreateIcon, LoadImage(IMAGE_ICON)
template <typename T>
using GdiObj = ScopedHandle<handle_traits::Gdi<T>>;       // a pen, brush, bitmap or font
using ScopedRegKey = ScopedHandle<handle_traits::RegistryKey>;      // RegOpenKeyEx, RegCreateKeyEx
using ScopedCryptProvider = ScopedHandle<handle_traits::CryptProvider>;  // CryptAcquireContext
using ScopedCryptKey = ScopedHandle<handle_traits::CryptKey>;            // CryptImportPublicKeyInfo
using ScopedCryptHash = ScopedHandle<handle_traits::CryptHash>;          // CryptCreateHash
// BinFile stays outside the family: its Close reports a failed close (where a last write can still fail), which
// a guard that releases silently cannot, and its header is portable.
static_assert(!std::is_copy_constructible_v<ScopedFind>);

// One COM interface pointer, released when the owner goes.
template <typename I>
class ComPtr {
public:
    ComPtr() = default;
    ~ComPtr() {
        if (p_) p_->Release();
    }
    ComPtr(ComPtr&& other) noexcept : p_(std::exchange(other.p_, nullptr)) {}
    ComPtr(const ComPtr&) = delete;
    ComPtr& operator=(const ComPtr&) = delete;
    ComPtr& operator=(ComPtr&&) = delete;
    I* operator->() const { return p_; }
    I* Get() const { return p_; }
    explicit operator bool() const { return p_ != nullptr; }
    // For the functions that hand out a new pointer.
    void** Out() { return reinterpret_cast<void**>(&p_); }

private:
    I* p_ = nullptr;
};
namespace handle_traits {
struct SomeInterface {
    unsigned long Release();
};
}  // namespace handle_traits
static_assert(!std::is_copy_constructible_v<ComPtr<handle_traits::SomeInterface>>);

}  // namespace qs
