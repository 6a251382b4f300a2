#pragma once

// A window's controls as one declarative table: name, kind, caption, position in twips. One
// routine creates them at the screen's real resolution, and they are found again by name.

#include "winbase/Own.h"

#include <map>
#include <string>
#include <vector>

namespace zarvik {

enum class ControlKind { Label, Button, TextBox, MultiLineTextBox, CheckBox, ListBox, Frame, Image };

struct ControlRow {
    const char* name;
    ControlKind kind;
    const char* caption;
    int left, top, width, height;  // twips, in the parent's client area
    DWORD extraStyle = 0;
};

// Twips to pixels at `dpi` dots per inch (1440 twips an inch), rounded to the nearest pixel.
int TwipsToPixels(int twips, int dpi);

// A proportional font of `face`, `tenthsOfPoint` high at `dpi`.
winbase::Font SansFont(const char* face, int tenthsOfPoint, int weight, int dpi);

class ControlTable {
  public:
    // Creates every row as a child of `parent`, each in MS Sans Serif 8.25 pt, at `dpi`. The
    // table keeps that font: it must outlive the controls. An earlier row lies above a later
    // one it overlaps, and is drawn above it too.
    ControlTable(HWND parent, const std::vector<ControlRow>& rows, int dpi);

    // The control of that name; nullptr when the table has none.
    HWND operator[](const std::string& name) const;
    // The command identifier a row's control sends in WM_COMMAND: its place in the table + 1000.
    int IdOf(const std::string& name) const;
    const std::string* NameOf(int id) const;

  private:
    winbase::Font font_;
    std::map<std::string, HWND> controls_;
    std::map<std::string, int> ids_;
    std::map<int, std::string> names_;
};

}  // namespace zarvik
