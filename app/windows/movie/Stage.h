#pragma once

// Where the stage lands in the player's window, and how carefully it is drawn: the player's
// window mode, quality and scale mode settings, by the names the Flash control used.

#include <optional>
#include <string_view>

namespace zarvik::movie {

// Transparent: the parent's background shows where the movie draws nothing.
// Window and Opaque: the movie's background colour fills the player.
enum class WindowMode { Window, Opaque, Transparent };
enum class Quality { Low, Medium, High, Best, AutoLow, AutoHigh };
// ShowAll: all of the stage, as large as fits, bands at the sides. NoBorder: the whole
// player filled, the stage's overhang cut off. ExactFit: stretched to the player.
// NoScale: stage units are 96-dpi pixels, centred.
enum class ScaleMode { ShowAll, NoBorder, ExactFit, NoScale };

// Case does not matter; an unknown name gives nothing.
std::optional<WindowMode> WindowModeNamed(std::string_view name);
std::optional<Quality> QualityNamed(std::string_view name);
std::optional<ScaleMode> ScaleModeNamed(std::string_view name);

// A pixel is stage * scale + offset.
struct Placement {
    double scaleX = 1, scaleY = 1;
    double offsetX = 0, offsetY = 0;
};

Placement PlaceStage(double stageWidth, double stageHeight, int clientWidth, int clientHeight, ScaleMode mode, int dpi);

// How the last frame's drawing went against its time budget; the Auto qualities follow it.
enum class PaintSpeed { Unknown, Fast, Slow };

struct Rendering {
    bool smoothText = false;
    int supersample = 1;  // shapes drawn this many times larger, then averaged down
};

Rendering ChooseRendering(Quality quality, PaintSpeed speed);

}  // namespace zarvik::movie
