#pragma once

// A movie as our player shows it: a stage of a fixed size, a frame rate, and items (text and
// simple shapes) whose position, size and colour are set at key frames and move in a straight
// line between them. FORMAT.md describes the file that holds one.

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace zarvik::movie {

struct Colour {
    std::uint8_t r = 0, g = 0, b = 0;
    bool operator==(const Colour&) const = default;
};

// The game's colour codes ^0 to ^7.
Colour GameColour(int code);

enum class Shape { Rect, Ellipse, Line, Text };
enum class Align { Left, Centre, Right };
// How a value moves from the key before to the key that names the easing.
enum class Ease { Linear, In, Out, InOut };

// The numeric properties a key can set.
enum Property { kX, kY, kW, kH, kSize, kPropertyCount };

struct Key {
    int frame = 0;
    Ease ease = Ease::Linear;
    std::array<std::optional<double>, kPropertyCount> values;
    std::optional<Colour> colour;
    std::optional<bool> visible;
};

struct Item {
    Shape shape = Shape::Rect;
    std::string text;  // Text only; may hold colour codes
    std::string font;  // empty: the player's default face
    bool bold = false;
    Align align = Align::Left;
    double pen = 1;         // Line only: thickness in stage units
    std::vector<Key> keys;  // ascending frames; the item appears at the first
};

struct Movie {
    double width = 0, height = 0;  // stage units: pixels at 96 dots per inch
    int rate = 12;                 // frames per second
    int frames = 1;
    Colour background;
    std::vector<Item> items;
};

// One item as a frame shows it, in stage units.
struct Drawn {
    const Item* item = nullptr;
    std::array<double, kPropertyCount> values{};
    Colour colour;
};

// What frame `frame` shows, bottom item first. Frames outside the movie show nothing.
std::vector<Drawn> FrameContents(const Movie& movie, int frame);

struct TextRun {
    std::string text;
    Colour colour;
};

// Splits text at the game's colour codes ("^4Zar^6v"); text before the first code takes `base`.
// A caret not followed by a digit 0-7 is kept as written.
std::vector<TextRun> SplitColourCodes(std::string_view text, Colour base);

}  // namespace zarvik::movie
