#pragma once

// Owners of what Windows hands out: each closes its handle once, when it goes, and moves but
// never copies. A COM pointer counts its reference the same way.

#include <windows.h>
#include <unknwn.h>
#include <wininet.h>

#include <cstddef>
#include <utility>

namespace winbase {

// `Close` ends a handle of type H; with NoneIsMinusOne, INVALID_HANDLE_VALUE (CreateFile's
// failure) counts as no handle, like null.
template <typename H, auto Close, bool NoneIsMinusOne = false>
class Owner {
  public:
    Owner() = default;
    explicit Owner(H handle) noexcept : handle_(None(handle) ? H{} : handle) {}
    Owner(Owner&& other) noexcept : handle_(other.release()) {}
    Owner& operator=(Owner&& other) noexcept {
        reset(other.release());
        return *this;
    }
    ~Owner() { reset(); }

    H get() const noexcept { return handle_; }
    explicit operator bool() const noexcept { return handle_ != H{}; }
    H release() noexcept { return std::exchange(handle_, H{}); }
    void reset(H handle = H{}) noexcept {
        if (handle_) Close(handle_);
        handle_ = None(handle) ? H{} : handle;
    }
    // For a call that hands a new handle out through a pointer.
    H* put() noexcept {
        reset();
        return &handle_;
    }

  private:
    static bool None(H handle) noexcept {
        if constexpr (NoneIsMinusOne) return handle == INVALID_HANDLE_VALUE;
        return false;
    }
    H handle_{};
};

using Handle = Owner<HANDLE, &CloseHandle>;            // processes, threads, events, mappings
using FileHandle = Owner<HANDLE, &CloseHandle, true>;  // files and pipes
using RegKey = Owner<HKEY, &RegCloseKey>;
using InternetHandle = Owner<HINTERNET, &InternetCloseHandle>;
using MappedView = Owner<void*, &UnmapViewOfFile>;
template <typename G>
using Gdi = Owner<G, &DeleteObject>;
using Font = Gdi<HFONT>;
using Pen = Gdi<HPEN>;
using Brush = Gdi<HBRUSH>;
using Bitmap = Gdi<HBITMAP>;
using MemoryDc = Owner<HDC, &DeleteDC>;
using Icon = Owner<HICON, &DestroyIcon>;

// Selects an object into a DC for one scope.
class Selected {
  public:
    Selected(HDC dc, HGDIOBJ object) : dc_(dc), old_(SelectObject(dc, object)) {}
    ~Selected() { SelectObject(dc_, old_); }
    Selected(const Selected&) = delete;
    Selected& operator=(const Selected&) = delete;

  private:
    HDC dc_;
    HGDIOBJ old_;
};

// A counted reference to a COM object. Made from a raw pointer it takes a reference of its own;
// Attach adopts one the caller already holds.
template <typename I>
class ComPtr {
  public:
    ComPtr() = default;
    ComPtr(std::nullptr_t) {}
    ComPtr(I* object) : object_(object) {
        if (object_) object_->AddRef();
    }
    ComPtr(const ComPtr& other) : ComPtr(other.object_) {}
    ComPtr(ComPtr&& other) noexcept : object_(other.Detach()) {}
    ComPtr& operator=(ComPtr other) noexcept {
        std::swap(object_, other.object_);
        return *this;
    }
    ~ComPtr() { reset(); }

    static ComPtr Attach(I* object) {
        ComPtr owned;
        owned.object_ = object;
        return owned;
    }
    I* Detach() noexcept { return std::exchange(object_, nullptr); }
    void reset() noexcept {
        if (I* object = Detach()) object->Release();
    }

    I* get() const noexcept { return object_; }
    I* operator->() const noexcept { return object_; }
    explicit operator bool() const noexcept { return object_ != nullptr; }
    // For a call that hands a new reference out through a pointer.
    I** put() noexcept {
        reset();
        return &object_;
    }
    void** put_void() noexcept { return reinterpret_cast<void**>(put()); }

    // This object's interface `iid` into `out`.
    template <typename Q>
    HRESULT As(REFIID iid, ComPtr<Q>& out) const {
        if (!object_) return E_POINTER;
        return object_->QueryInterface(iid, out.put_void());
    }
    // A new reference for a caller's out parameter.
    HRESULT CopyTo(I** out) const {
        if (!out) return E_POINTER;
        *out = object_;
        if (object_) object_->AddRef();
        return S_OK;
    }

  private:
    I* object_ = nullptr;
};

}  // namespace winbase
