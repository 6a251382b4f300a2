#pragma once

// What the property page and the about box both show, in a frame: the library's title, its
// author, its version and its maker's web address, from one table of controls in twips.

#include "winbase/Own.h"

#include <windows.h>

#include <string>
#include <vector>

namespace perchicon {

constexpr char kAuthor[] = "Zarvik project";
constexpr char kWebsite[] = "https://zarvik.invalid/";

class AboutContent {
  public:
    // Creates the frame and its controls in `parent` at (left, top) twips.
    AboutContent(HWND parent, int leftTwips, int topTwips);

    // Sets lblVersion to the library's version, as each window does when it is shown.
    void ShowVersion();

    // The parent's WM_CTLCOLORSTATIC: the labels' own colours. Nothing for other controls.
    HBRUSH ColourFor(HWND control, HDC dc) const;

    HWND Control(const char* name) const;

  private:
    struct Made {
        std::string name;
        HWND hwnd;
        COLORREF colour;
        bool systemHighlight;
    };
    std::vector<Made> controls_;
    winbase::Font normal_, title_, big_;
    winbase::Bitmap banner_;
};

}  // namespace perchicon
