// The player's portable parts: the playhead (frames by the clock, looping, the end, going to a
// frame, late timers) and the pictures of frames already drawn.
#include "app/windows/movie/FrameCache.h"
#include "app/windows/movie/Playhead.h"

#include <gtest/gtest.h>

#include <cstdint>

namespace zarvik::movie {
namespace {

// The frame after a tick at each of `times` (ms).
std::vector<int> FramesAt(Playhead& head, std::vector<std::uint32_t> times) {
    std::vector<int> frames;
    for (std::uint32_t t : times) {
        head.Tick(t);
        frames.push_back(head.frame());
    }
    return frames;
}

Playhead Playing(int frames, int rate, std::uint32_t now, bool loop = true) {
    Playhead head;
    head.SetLoop(loop);
    head.Reset(frames, rate, now);
    head.Play(now);
    return head;
}

TEST(Playhead, FramesFollowTheClockLateTimersAndTheWrapLoopOrStopAtTheEndAndStopOrGotoFrameHold) {
    Playhead head = Playing(100, 10, 1000);
    EXPECT_EQ(FramesAt(head, {1099, 1100, 1350, 2000}), (std::vector<int>{0, 1, 3, 10}));
    Playhead loop = Playing(5, 10, 0);
    EXPECT_EQ(FramesAt(loop, {400, 500, 700}), (std::vector<int>{4, 0, 2}));
    Playhead once = Playing(5, 10, 0, false);
    EXPECT_EQ(FramesAt(once, {300, 900}), (std::vector<int>{3, 4}));
    EXPECT_FALSE(once.Running()) << "no timer needed at the end";
    once.Play(2000);
    EXPECT_EQ(FramesAt(once, {2000, 2100}), (std::vector<int>{0, 1})) << "played again: from the start";

    // Stop holds; GotoFrame clamps, and the timing restarts from the Play.
    Playhead held = Playing(80, 10, 0);
    held.Tick(250);
    held.Stop();
    EXPECT_FALSE(held.Tick(5000));
    EXPECT_EQ(held.frame(), 2);
    held.GotoFrame(64, 5000);
    held.Play(10000);
    EXPECT_EQ(FramesAt(held, {10050, 10100}), (std::vector<int>{64, 65})) << "timed from the Play";
    held.GotoFrame(-3, 0);
    EXPECT_EQ(held.frame(), 0);
    held.GotoFrame(500, 0);
    EXPECT_EQ(held.frame(), 79);

    Playhead late = Playing(1000, 10, 0);
    late.Tick(100);
    EXPECT_EQ(FramesAt(late, {60000, 60099, 60100}), (std::vector<int>{2, 2, 3})) << "a minute late: on from here";
    EXPECT_EQ(late.MsToNextFrame(60150), 50u);
    // Hours of playing with a timer every 0.997 s, through the 32-bit millisecond counter's wrap.
    const std::uint32_t start = 0xFFFFFFFFu - 3600000u;
    Playhead wraps = Playing(1234, 20, start);
    for (std::uint64_t elapsed = 997; elapsed < 20000000; elapsed += 997) {
        wraps.Tick(start + std::uint32_t(elapsed));
        ASSERT_EQ(wraps.frame(), int(elapsed * 20 / 1000 % 1234)) << "at " << elapsed << " ms";
    }
}

TEST(FrameCache, GivesBackWhatWasDrawnOverTheSameBackgroundAndKeepsItsBudget) {
    constexpr int kWidth = 40, kHeight = 10;
    const std::vector<std::uint32_t> background(kWidth * kHeight, 0xc0c0c0);
    auto drawn = [&](std::uint32_t seed) {  // strokes over the background, runs of every length
        std::vector<std::uint32_t> pixels = background;
        for (std::size_t i = seed % 7; i < pixels.size(); i += 1 + (i * seed) % 13) pixels[i] = 0x2848ff + i * seed;
        pixels.back() = seed;
        return pixels;
    };
    const std::size_t budget = 3 * background.size() * sizeof(std::uint32_t);
    FrameCache cache(budget);
    cache.UseBackground(background.data(), kWidth, kHeight);
    std::vector<std::uint32_t> out(background.size());
    int kept = 0;
    for (std::uint32_t frame = 0; frame < 40; ++frame) cache.Store(int(frame), drawn(frame + 2).data());
    EXPECT_LE(cache.Bytes(), budget);
    for (std::uint32_t frame = 0; frame < 40; ++frame) {
        if (!cache.Restore(int(frame), out.data())) continue;
        ++kept;
        EXPECT_EQ(out, drawn(frame + 2)) << frame;
    }
    EXPECT_GT(kept, 3) << "kept packed";
    EXPECT_LT(kept, 40) << "the rest are drawn afresh";

    cache.UseBackground(background.data(), kWidth, kHeight);
    EXPECT_TRUE(cache.Restore(0, out.data())) << "the same background keeps them";
    cache.UseBackground(background.data(), kWidth, kHeight / 2);
    EXPECT_FALSE(cache.Restore(0, out.data())) << "lower: the same pixels, another picture";
    cache.Store(0, drawn(9).data());
    auto marked = background;
    marked[kWidth + 7] = 0x960000;  // the parent drew something new beneath
    cache.UseBackground(marked.data(), kWidth, kHeight / 2);
    EXPECT_FALSE(cache.Restore(0, out.data()));
}

}  // namespace
}  // namespace zarvik::movie
