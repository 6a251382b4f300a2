#pragma once

// Draws what a frame shows with GDI.

#include "app/windows/movie/GdiHandles.h"
#include "app/windows/movie/Movie.h"
#include "app/windows/movie/Stage.h"

#include <windows.h>

#include <map>
#include <string>
#include <tuple>
#include <vector>

namespace zarvik::movie {

// Text animates in size, so the fonts a movie needs are kept rather than made per frame.
class FontCache {
  public:
    HFONT Get(const std::string& face, int height, bool bold, bool smooth);

  private:
    std::map<std::tuple<std::string, int, bool, bool>, FontPtr> fonts_;
};

// Draws `shown` onto `dc` with the stage placed by `place`, clipped to the stage.
void DrawFrame(HDC dc, const std::vector<Drawn>& shown, const Placement& place, double stageWidth,
               double stageHeight, bool smoothText, FontCache& fonts);

inline COLORREF ToColorRef(Colour c) {
    return RGB(c.r, c.g, c.b);
}

}  // namespace zarvik::movie
