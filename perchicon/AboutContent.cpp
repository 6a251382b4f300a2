#include "AboutContent.h"

#include "PerchiconVersion.h"
#include "Twips.h"
#include "winbase/Window.h"

namespace perchicon {
namespace {

HFONT SansSerif(int points, bool bold = false) {
    return CreateFontA(-MulDiv(points, ScreenDpi(LOGPIXELSY), 72), 0, 0, 0, bold ? FW_BOLD : FW_NORMAL, FALSE, FALSE,
                       FALSE, ANSI_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                       VARIABLE_PITCH | FF_SWISS, "MS Sans Serif");
}

constexpr COLORREF kDefault = CLR_INVALID;

struct Row {
    const char* name;
    const char* text;
    int left, top, width, height;  // twips, in the frame
    int font;                      // 0 normal, 1 12 point, 2 24 point
    COLORREF colour;
    bool highlight;
};

// Label1 and the Label3 captions are wider than first drawn: with the fonts Wine and newer
// systems put in place of MS Sans Serif, "Holvane's" and the colons were cut off.
const Row kRows[] = {
    {"Label1", "Holvane's", 120, 120, 2000, 300, 1, kDefault, true},
    {"Label2", "Perchicon Control", 120, 360, 4365, 555, 2, RGB(128, 128, 128), false},
    {"Label3", "Author:", 120, 1080, 830, 255, 0, kDefault, false},
    {"Label3", "Version:", 120, 1320, 830, 255, 0, kDefault, false},
    {"Label3", "Website:", 120, 1560, 830, 255, 0, kDefault, false},
    {"Label4", kAuthor, 960, 1080, 2775, 255, 0, kDefault, false},
    {"lblVersion", "", 960, 1320, 2775, 255, 0, kDefault, false},
    {"Label5", kWebsite, 960, 1560, 2775, 255, 0, RGB(255, 0, 255), false},
};

}  // namespace

AboutContent::AboutContent(HWND parent, int leftTwips, int topTwips)
    : normal_(SansSerif(8)), title_(SansSerif(12)), big_(SansSerif(24)) {
    HINSTANCE instance = winbase::ThisModule();
    auto at = [&](int left, int top, int width, int height, const char* cls, const char* text, DWORD style) {
        return CreateWindowExA(0, cls, text, WS_CHILD | WS_VISIBLE | style, TwipsToPixelsX(leftTwips + left),
                               TwipsToPixelsY(topTwips + top), TwipsToPixelsX(width), TwipsToPixelsY(height), parent,
                               nullptr, instance, nullptr);
    };
    HWND frame = at(0, 0, 4575, 2415, "button", "", BS_GROUPBOX);
    SendMessageA(frame, WM_SETFONT, reinterpret_cast<WPARAM>(normal_.get()), FALSE);
    controls_.push_back({"Frame1", frame, kDefault, false});
    for (const Row& row : kRows) {
        HWND label = at(row.left, row.top, row.width, row.height, "static", row.text, SS_LEFT | SS_NOTIFY);
        const winbase::Font& font = row.font == 1 ? title_ : row.font == 2 ? big_ : normal_;
        SendMessageA(label, WM_SETFONT, reinterpret_cast<WPARAM>(font.get()), FALSE);
        controls_.push_back({row.name, label, row.colour, row.highlight});
    }
    banner_.reset(static_cast<HBITMAP>(LoadImageA(instance, MAKEINTRESOURCEA(3), IMAGE_BITMAP, 0, 0, 0)));
    HWND image = at(1320, 1920, 1755, 375, "static", "", SS_BITMAP);
    if (banner_) SendMessageA(image, STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(banner_.get()));
    controls_.push_back({"Image1", image, kDefault, false});
    // Beneath the labels and the picture it holds.
    SetWindowPos(frame, HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

void AboutContent::ShowVersion() { SetWindowTextA(Control("lblVersion"), PERCHICON_VERSION_TEXT); }

HWND AboutContent::Control(const char* name) const {
    for (const Made& made : controls_)
        if (made.name == name) return made.hwnd;
    return nullptr;
}

HBRUSH AboutContent::ColourFor(HWND control, HDC dc) const {
    for (const Made& made : controls_) {
        if (made.hwnd != control) continue;
        if (made.systemHighlight)
            SetTextColor(dc, GetSysColor(COLOR_HIGHLIGHT));
        else if (made.colour != kDefault)
            SetTextColor(dc, made.colour);
        SetBkMode(dc, TRANSPARENT);
        return GetSysColorBrush(COLOR_BTNFACE);
    }
    return nullptr;
}

}  // namespace perchicon
