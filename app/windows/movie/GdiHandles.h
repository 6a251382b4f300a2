#pragma once

// Owning GDI handles (move-only) and a 32-bit drawing surface that owns its DC and bitmap.

#include <windows.h>

#include <cstdint>
#include <memory>
#include <type_traits>

namespace zarvik::movie {

struct GdiObjectDeleter {
    void operator()(HGDIOBJ object) const { DeleteObject(object); }
};
template <typename Handle>
using GdiPtr = std::unique_ptr<std::remove_pointer_t<Handle>, GdiObjectDeleter>;
using FontPtr = GdiPtr<HFONT>;
using PenPtr = GdiPtr<HPEN>;
using BitmapPtr = GdiPtr<HBITMAP>;

struct DcDeleter {
    void operator()(HDC dc) const { DeleteDC(dc); }
};
using MemoryDcPtr = std::unique_ptr<std::remove_pointer_t<HDC>, DcDeleter>;

// Selects an object into a DC for one scope.
class ScopedSelect {
  public:
    ScopedSelect(HDC dc, HGDIOBJ object) : dc_(dc), old_(SelectObject(dc, object)) {}
    ~ScopedSelect() { SelectObject(dc_, old_); }
    ScopedSelect(const ScopedSelect&) = delete;
    ScopedSelect& operator=(const ScopedSelect&) = delete;

  private:
    HDC dc_;
    HGDIOBJ old_;
};

// An off-screen 32-bit picture to draw into; kept between paints and remade only when its size
// changes.
class Surface {
  public:
    Surface() = default;
    Surface(const Surface&) = delete;
    Surface& operator=(const Surface&) = delete;
    ~Surface() { Release(); }

    // False when GDI is out of resources; the surface is then empty.
    bool Ensure(int width, int height) {
        if (dc_ && width == width_ && height == height_) return true;
        Release();
        BITMAPINFO info = {};
        info.bmiHeader.biSize = sizeof info.bmiHeader;
        info.bmiHeader.biWidth = width;
        info.bmiHeader.biHeight = -height;
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        info.bmiHeader.biCompression = BI_RGB;
        MemoryDcPtr dc(CreateCompatibleDC(nullptr));
        void* bits = nullptr;
        BitmapPtr bitmap(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
        if (!dc || !bitmap) return false;
        old_ = SelectObject(dc.get(), bitmap.get());
        dc_ = std::move(dc);
        bitmap_ = std::move(bitmap);
        bits_ = static_cast<std::uint32_t*>(bits);
        width_ = width;
        height_ = height;
        return true;
    }
    HDC dc() const { return dc_.get(); }
    // The pixels, 0x00RRGGBB, top row first; call GdiFlush() before touching them after GDI drew.
    std::uint32_t* bits() const { return bits_; }

  private:
    void Release() {
        if (dc_) SelectObject(dc_.get(), old_);
        dc_.reset();
        bitmap_.reset();
        bits_ = nullptr;
        width_ = height_ = 0;
    }

    BitmapPtr bitmap_;
    MemoryDcPtr dc_;
    HGDIOBJ old_ = nullptr;
    std::uint32_t* bits_ = nullptr;
    int width_ = 0, height_ = 0;
};

}  // namespace zarvik::movie
