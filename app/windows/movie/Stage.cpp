#include "app/windows/movie/Stage.h"

#include <algorithm>
#include <utility>

namespace zarvik::movie {
namespace {

bool SameName(std::string_view a, std::string_view b) {
    auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c; };
    return a.size() == b.size() &&
           std::equal(a.begin(), a.end(), b.begin(), [&](char x, char y) { return lower(x) == lower(y); });
}

template <typename T, size_t N>
std::optional<T> Named(std::string_view name, const std::pair<std::string_view, T> (&table)[N]) {
    for (const auto& [text, value] : table)
        if (SameName(name, text)) return value;
    return std::nullopt;
}

}  // namespace

std::optional<WindowMode> WindowModeNamed(std::string_view name) {
    static constexpr std::pair<std::string_view, WindowMode> kNames[] = {
        {"Window", WindowMode::Window}, {"Opaque", WindowMode::Opaque}, {"Transparent", WindowMode::Transparent}};
    return Named(name, kNames);
}

std::optional<Quality> QualityNamed(std::string_view name) {
    static constexpr std::pair<std::string_view, Quality> kNames[] = {
        {"Low", Quality::Low},   {"Medium", Quality::Medium},   {"High", Quality::High},
        {"Best", Quality::Best}, {"AutoLow", Quality::AutoLow}, {"AutoHigh", Quality::AutoHigh}};
    return Named(name, kNames);
}

std::optional<ScaleMode> ScaleModeNamed(std::string_view name) {
    static constexpr std::pair<std::string_view, ScaleMode> kNames[] = {{"ShowAll", ScaleMode::ShowAll},
                                                                        {"NoBorder", ScaleMode::NoBorder},
                                                                        {"ExactFit", ScaleMode::ExactFit},
                                                                        {"NoScale", ScaleMode::NoScale}};
    return Named(name, kNames);
}

Placement PlaceStage(double stageWidth, double stageHeight, int clientWidth, int clientHeight, ScaleMode mode,
                     int dpi) {
    Placement p;
    if (stageWidth <= 0 || stageHeight <= 0) return p;
    const double fitX = clientWidth / stageWidth, fitY = clientHeight / stageHeight;
    switch (mode) {
        case ScaleMode::ShowAll: p.scaleX = p.scaleY = std::min(fitX, fitY); break;
        case ScaleMode::NoBorder: p.scaleX = p.scaleY = std::max(fitX, fitY); break;
        case ScaleMode::ExactFit: p.scaleX = fitX, p.scaleY = fitY; break;
        case ScaleMode::NoScale: p.scaleX = p.scaleY = (dpi > 0 ? dpi : 96) / 96.0; break;
    }
    p.offsetX = (clientWidth - stageWidth * p.scaleX) / 2;
    p.offsetY = (clientHeight - stageHeight * p.scaleY) / 2;
    return p;
}

Rendering ChooseRendering(Quality quality, PaintSpeed speed) {
    const Rendering low{false, 1}, medium{true, 1}, high{true, 2};
    switch (quality) {
        case Quality::Low: return low;
        case Quality::Medium: return medium;
        case Quality::High:
        case Quality::Best: return high;
        case Quality::AutoLow: return speed == PaintSpeed::Fast ? high : low;
        case Quality::AutoHigh: return speed == PaintSpeed::Slow ? low : high;
    }
    return high;
}

}  // namespace zarvik::movie
