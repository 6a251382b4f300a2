#include "app/windows/movie/FrameCache.h"

#include <algorithm>

namespace zarvik::movie {

void FrameCache::UseBackground(const std::uint32_t* pixels, int width, int height) {
    const std::size_t count = static_cast<std::size_t>(std::max(width, 0)) * std::size_t(std::max(height, 0));
    if (width == width_ && height == height_ && std::equal(pixels, pixels + count, background_.begin())) return;
    Clear();
    width_ = width;
    height_ = height;
    background_.assign(pixels, pixels + count);
}

bool FrameCache::Restore(int frame, std::uint32_t* pixels) const {
    const auto found = packed_.find(frame);
    if (found == packed_.end()) return false;
    const std::vector<std::uint32_t>& runs = found->second;
    for (std::size_t i = 0; i + 1 < runs.size(); i += 2) pixels = std::fill_n(pixels, runs[i], runs[i + 1]);
    return true;
}

void FrameCache::Store(int frame, const std::uint32_t* pixels) {
    if (Count() == 0 || packed_.count(frame)) return;
    std::vector<std::uint32_t> runs;
    const std::uint32_t* end = pixels + Count();
    while (pixels != end) {
        const std::uint32_t value = *pixels;
        const std::uint32_t* next = std::find_if(pixels, end, [value](std::uint32_t p) { return p != value; });
        runs.push_back(static_cast<std::uint32_t>(next - pixels));
        runs.push_back(*pixels);
        pixels = next;
        if (runs.size() * sizeof(std::uint32_t) + bytes_ > budget_) return;
    }
    runs.shrink_to_fit();
    bytes_ += runs.size() * sizeof(std::uint32_t);
    packed_.emplace(frame, std::move(runs));
}

void FrameCache::Clear() {
    packed_.clear();
    bytes_ = 0;
}

}  // namespace zarvik::movie
