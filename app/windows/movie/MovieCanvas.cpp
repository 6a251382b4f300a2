#include "app/windows/movie/MovieCanvas.h"

#include <algorithm>
#include <cmath>

namespace zarvik::movie {
namespace {

constexpr char kDefaultFace[] = "Tahoma";
constexpr size_t kMostFonts = 64;
// Taller text is not drawn: glyphs that size would cost more memory than they could show.
constexpr int kTallestText = 2048;

struct Box {
    int left, top, right, bottom;
};

class Mapper {
  public:
    explicit Mapper(const Placement& place) : p_(place) {}
    int X(double x) const { return int(std::lround(x * p_.scaleX + p_.offsetX)); }
    int Y(double y) const { return int(std::lround(y * p_.scaleY + p_.offsetY)); }
    Box Of(const Drawn& d) const {
        const int x0 = X(d.values[kX]), x1 = X(d.values[kX] + d.values[kW]);
        const int y0 = Y(d.values[kY]), y1 = Y(d.values[kY] + d.values[kH]);
        return {std::min(x0, x1), std::min(y0, y1), std::max(x0, x1), std::max(y0, y1)};
    }
    double scaleX() const { return p_.scaleX; }
    double scaleY() const { return p_.scaleY; }

  private:
    Placement p_;
};

void DrawLabel(HDC dc, const Drawn& d, const Mapper& map, bool smooth, FontCache& fonts) {
    const int height = int(std::lround(d.values[kSize] * map.scaleY()));
    if (height < 1 || height > kTallestText) return;
    const Item& item = *d.item;
    HFONT font = fonts.Get(item.font.empty() ? kDefaultFace : item.font, height, item.bold, smooth);
    if (!font) return;
    winbase::Selected select(dc, font);
    const std::vector<TextRun> runs = SplitColourCodes(item.text, d.colour);
    std::vector<int> widths;
    int total = 0;
    for (const TextRun& run : runs) {
        SIZE size = {};
        GetTextExtentPoint32A(dc, run.text.data(), int(run.text.size()), &size);
        widths.push_back(size.cx);
        total += size.cx;
    }
    int x = map.X(d.values[kX]);
    if (item.align == Align::Centre) x -= total / 2;
    if (item.align == Align::Right) x -= total;
    const int y = map.Y(d.values[kY]);
    SetTextAlign(dc, TA_BASELINE | TA_LEFT | TA_NOUPDATECP);
    SetBkMode(dc, TRANSPARENT);
    for (size_t i = 0; i < runs.size(); ++i) {
        SetTextColor(dc, ToColorRef(runs[i].colour));
        TextOutA(dc, x, y, runs[i].text.data(), int(runs[i].text.size()));
        x += widths[i];
    }
}

}  // namespace

HFONT FontCache::Get(const std::string& face, int height, bool bold, bool smooth) {
    const auto key = std::make_tuple(face, height, bold, smooth);
    if (const auto found = fonts_.find(key); found != fonts_.end()) return found->second.get();
    if (fonts_.size() >= kMostFonts) fonts_.clear();
    winbase::Font font(CreateFontA(-height, 0, 0, 0, bold ? FW_BOLD : FW_NORMAL, FALSE, FALSE, FALSE, ANSI_CHARSET,
                                   OUT_TT_PRECIS, CLIP_DEFAULT_PRECIS,
                                   smooth ? ANTIALIASED_QUALITY : NONANTIALIASED_QUALITY, VARIABLE_PITCH | FF_SWISS,
                                   face.c_str()));
    HFONT made = font.get();
    if (made) fonts_.emplace(key, std::move(font));
    return made;
}

void DrawFrame(HDC dc, const std::vector<Drawn>& shown, const Placement& place, double stageWidth, double stageHeight,
               bool smoothText, FontCache& fonts) {
    const Mapper map(place);
    const int saved = SaveDC(dc);
    IntersectClipRect(dc, map.X(0), map.Y(0), map.X(stageWidth), map.Y(stageHeight));
    SelectObject(dc, GetStockObject(DC_BRUSH));
    for (const Drawn& d : shown) {
        const COLORREF colour = ToColorRef(d.colour);
        const Box box = map.Of(d);
        switch (d.item->shape) {
            case Shape::Rect: {
                SetDCBrushColor(dc, colour);
                const RECT rect = {box.left, box.top, box.right, box.bottom};
                FillRect(dc, &rect, static_cast<HBRUSH>(GetStockObject(DC_BRUSH)));
                break;
            }
            case Shape::Ellipse: {
                SetDCBrushColor(dc, colour);
                winbase::Selected pen(dc, GetStockObject(NULL_PEN));
                // A null pen leaves out the right and bottom edge.
                Ellipse(dc, box.left, box.top, box.right + 1, box.bottom + 1);
                break;
            }
            case Shape::Line: {
                const int width = std::max(1, int(std::lround(d.item->pen * std::min(map.scaleX(), map.scaleY()))));
                winbase::Pen pen(CreatePen(PS_SOLID, width, colour));
                if (!pen) break;
                winbase::Selected use(dc, pen.get());
                MoveToEx(dc, map.X(d.values[kX]), map.Y(d.values[kY]), nullptr);
                LineTo(dc, map.X(d.values[kX] + d.values[kW]), map.Y(d.values[kY] + d.values[kH]));
                break;
            }
            case Shape::Text: DrawLabel(dc, d, map, smoothText, fonts); break;
        }
    }
    RestoreDC(dc, saved);
}

}  // namespace zarvik::movie
