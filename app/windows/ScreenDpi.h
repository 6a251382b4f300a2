#pragma once

#include <windows.h>

namespace zarvik {

// The screen's resolution, as the program reports it to itself once it declares DPI awareness.
inline int ScreenDpi() {
    HDC screen = GetDC(nullptr);
    const int dpi = GetDeviceCaps(screen, LOGPIXELSX);
    ReleaseDC(nullptr, screen);
    return dpi > 0 ? dpi : 96;
}

}  // namespace zarvik
