#pragma once

// The about box (frmAbout), shown modally by ShowAbout: AboutContent in a window of its own.

#include <windows.h>

namespace perchicon {

// Shows the about box over `owner` and returns when the user closes it; a failure when the
// box could not be made.
HRESULT ShowAboutBox(HWND owner);

}  // namespace perchicon
