#pragma once

// Pictures of the frames already drawn. A looping title shows the same frames over and over,
// and drawing one smoothly costs far more than unpacking it, so each is kept run-length packed
// (most of a frame is background). A picture holds only over the background it was drawn on.

#include <cstddef>
#include <cstdint>
#include <unordered_map>
#include <vector>

namespace zarvik::movie {

class FrameCache {
  public:
    explicit FrameCache(std::size_t budgetBytes = 4u << 20) : budget_(budgetBytes) {}

    // The background the next frame will be drawn over (width x height pixels, 0x00RRGGBB).
    // Any other than last time, or another size, forgets every picture.
    void UseBackground(const std::uint32_t* pixels, int width, int height);
    // Fills `pixels` with the frame's picture; false when there is none.
    bool Restore(int frame, std::uint32_t* pixels) const;
    // Keeps the frame's picture, unless that would pass the budget.
    void Store(int frame, const std::uint32_t* pixels);
    void Clear();
    std::size_t Bytes() const { return bytes_; }

  private:
    std::size_t Count() const { return static_cast<std::size_t>(width_) * static_cast<std::size_t>(height_); }

    std::size_t budget_;
    int width_ = 0, height_ = 0;
    std::vector<std::uint32_t> background_;
    std::unordered_map<int, std::vector<std::uint32_t>> packed_;  // (run length, pixel) pairs
    std::size_t bytes_ = 0;
};

}  // namespace zarvik::movie
