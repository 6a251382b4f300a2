#pragma once

// Draws what a frame shows with GDI, and the pictures it is drawn into.

#include "app/windows/movie/Movie.h"
#include "app/windows/movie/Stage.h"
#include "winbase/Own.h"

#include <windows.h>

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <tuple>
#include <vector>

namespace zarvik::movie {

// Text animates in size, so the fonts a movie needs are kept rather than made per frame.
class FontCache {
  public:
    HFONT Get(const std::string& face, int height, bool bold, bool smooth);

  private:
    std::map<std::tuple<std::string, int, bool, bool>, winbase::Font> fonts_;
};

// Draws `shown` onto `dc` with the stage placed by `place`, clipped to the stage.
void DrawFrame(HDC dc, const std::vector<Drawn>& shown, const Placement& place, double stageWidth, double stageHeight,
               bool smoothText, FontCache& fonts);

// An off-screen 32-bit picture to draw into; kept between paints and remade only when its size
// changes.
class Surface {
  public:
    // False when GDI is out of resources; the surface is then empty.
    bool Ensure(int width, int height) {
        if (dc_ && width == width_ && height == height_) return true;
        selected_.reset();
        dc_.reset();
        bitmap_.reset();
        bits_ = nullptr;
        width_ = height_ = 0;
        BITMAPINFO info = {};
        info.bmiHeader.biSize = sizeof info.bmiHeader;
        info.bmiHeader.biWidth = width;
        info.bmiHeader.biHeight = -height;
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        info.bmiHeader.biCompression = BI_RGB;
        winbase::MemoryDc dc(CreateCompatibleDC(nullptr));
        void* bits = nullptr;
        winbase::Bitmap bitmap(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
        if (!dc || !bitmap) return false;
        dc_ = std::move(dc);
        bitmap_ = std::move(bitmap);
        selected_.emplace(dc_.get(), bitmap_.get());
        bits_ = static_cast<std::uint32_t*>(bits);
        width_ = width;
        height_ = height;
        return true;
    }
    HDC dc() const { return dc_.get(); }
    // The pixels, 0x00RRGGBB, top row first; call GdiFlush() before touching them after GDI drew.
    std::uint32_t* bits() const { return bits_; }

  private:
    winbase::Bitmap bitmap_;
    winbase::MemoryDc dc_;
    std::optional<winbase::Selected> selected_;  // goes first, while the DC and bitmap are there
    std::uint32_t* bits_ = nullptr;
    int width_ = 0, height_ = 0;
};

inline COLORREF ToColorRef(Colour c) { return RGB(c.r, c.g, c.b); }

}  // namespace zarvik::movie
