// The player's pictures of frames already drawn: what comes back must be exactly what was
// drawn, and only over the background it was drawn on.
#include "app/windows/movie/FrameCache.h"

#include <gtest/gtest.h>

#include <vector>

namespace zarvik::movie {
namespace {

constexpr int kWidth = 40, kHeight = 10;

std::vector<std::uint32_t> Plain(std::uint32_t colour) {
    return std::vector<std::uint32_t>(kWidth * kHeight, colour);
}

// A frame as the title has them: background with a few strokes, runs of every length.
std::vector<std::uint32_t> Drawn(std::uint32_t seed) {
    std::vector<std::uint32_t> pixels = Plain(0xc0c0c0);
    for (std::size_t i = seed % 7; i < pixels.size(); i += 1 + (i * seed) % 13)
        pixels[i] = 0x2848ff + i * seed;
    pixels.front() = seed;  // runs at both ends
    pixels.back() = seed + 1;
    return pixels;
}

TEST(FrameCache, GivesBackExactlyWhatWasDrawnAndOnlyOverTheSameBackground) {
    FrameCache cache;
    const auto background = Plain(0xc0c0c0);
    cache.UseBackground(background.data(), kWidth, kHeight);
    std::vector<std::uint32_t> out = Plain(0);
    EXPECT_FALSE(cache.Restore(3, out.data())) << "nothing drawn yet";

    for (std::uint32_t frame = 0; frame < 5; ++frame) cache.Store(int(frame), Drawn(frame + 2).data());
    cache.Store(5, Plain(0x123456).data());
    for (std::uint32_t frame = 0; frame < 5; ++frame) {
        ASSERT_TRUE(cache.Restore(int(frame), out.data()));
        EXPECT_EQ(out, Drawn(frame + 2)) << frame;
    }
    ASSERT_TRUE(cache.Restore(5, out.data()));
    EXPECT_EQ(out, Plain(0x123456)) << "one run for the whole picture";
    EXPECT_LT(cache.Bytes(), 6 * background.size() * sizeof(std::uint32_t)) << "kept packed";

    cache.UseBackground(background.data(), kWidth, kHeight);
    EXPECT_TRUE(cache.Restore(2, out.data())) << "the same background keeps them";
    auto marked = background;
    marked[kWidth * 5 + 7] = 0x960000;  // the parent drew something new beneath
    cache.UseBackground(marked.data(), kWidth, kHeight);
    EXPECT_FALSE(cache.Restore(2, out.data()));
    cache.Store(2, Drawn(9).data());
    cache.UseBackground(marked.data(), kWidth / 2, kHeight * 2);
    EXPECT_FALSE(cache.Restore(2, out.data())) << "resized: same pixels, other picture";
    EXPECT_EQ(cache.Bytes(), 0u);
}

TEST(FrameCache, KeepsWithinItsBudgetAndDrawsTheRestAfresh) {
    const std::size_t budget = 2 * kWidth * kHeight * sizeof(std::uint32_t);
    FrameCache cache(budget);
    const auto background = Plain(0);
    cache.UseBackground(background.data(), kWidth, kHeight);
    std::vector<std::uint32_t> noisy(kWidth * kHeight);
    for (std::size_t i = 0; i < noisy.size(); ++i)
        noisy[i] = static_cast<std::uint32_t>(i);  // packs to twice its size
    cache.Store(0, noisy.data());
    EXPECT_LE(cache.Bytes(), budget);
    int kept = 0;
    std::vector<std::uint32_t> out(noisy.size());
    for (int frame = 1; frame < 40; ++frame) {
        cache.Store(frame, Drawn(std::uint32_t(frame)).data());
        EXPECT_LE(cache.Bytes(), budget);
    }
    for (int frame = 0; frame < 40; ++frame) kept += cache.Restore(frame, out.data());
    EXPECT_GT(kept, 0);
    EXPECT_LT(kept, 40);
}

}  // namespace
}  // namespace zarvik::movie
