#pragma once

#include <windows.h>

namespace zarvik {

// Lets the user drag `window` by pressing on something that is not its caption: the system's
// move loop runs as if the caption bar had been pressed, until the button is released.
inline void DragWindow(HWND window) {
    ReleaseCapture();
    SendMessageA(window, WM_NCLBUTTONDOWN, HTCAPTION, 0);
}

}  // namespace zarvik
