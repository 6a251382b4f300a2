// The playhead: frames by the clock, looping, the end of a movie, going to a frame, late timers.
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

TEST(Playhead, FramesFollowTheClockAndLoop) {
    Playhead head = Playing(100, 10, 1000);
    EXPECT_EQ(FramesAt(head, {1099, 1100, 1150, 1350, 1999, 2000}), (std::vector<int>{0, 1, 1, 3, 9, 10}));
    Playhead loop = Playing(5, 10, 0);
    EXPECT_EQ(FramesAt(loop, {400, 500, 700, 1000}), (std::vector<int>{4, 0, 2, 0}));
    EXPECT_TRUE(loop.playing());
}

TEST(Playhead, WithoutLoopingItStopsOnTheLastFrameAndPlaysAgainFromTheStart) {
    Playhead head = Playing(5, 10, 0, false);
    EXPECT_EQ(FramesAt(head, {300, 900}), (std::vector<int>{3, 4}));
    EXPECT_FALSE(head.playing());
    EXPECT_FALSE(head.Running()) << "no timer needed at the end";
    head.Play(2000);
    EXPECT_EQ(FramesAt(head, {2000, 2100}), (std::vector<int>{0, 1}));
}

TEST(Playhead, StopHoldsAndGotoFrameClampsAndRestartsTheTiming) {
    Playhead head = Playing(80, 10, 0);
    head.Tick(250);
    head.Stop();
    EXPECT_FALSE(head.Running());
    EXPECT_FALSE(head.Tick(5000));
    EXPECT_EQ(head.frame(), 2);
    head.GotoFrame(64, 5000);
    EXPECT_FALSE(head.playing()) << "going to a frame does not start playing";
    head.Play(10000);
    EXPECT_EQ(FramesAt(head, {10050, 10100}), (std::vector<int>{64, 65})) << "timed from the Play";
    head.GotoFrame(10, 10190);
    EXPECT_TRUE(head.playing());
    EXPECT_EQ(FramesAt(head, {10200, 10289, 10290}), (std::vector<int>{10, 10, 11}));
    head.GotoFrame(-3, 0);
    EXPECT_EQ(head.frame(), 0);
    head.GotoFrame(500, 0);
    EXPECT_EQ(head.frame(), 79);
}

TEST(Playhead, MoreThanASecondLateItGoesOnInsteadOfRacing) {
    Playhead head = Playing(1000, 10, 0);
    head.Tick(100);
    EXPECT_TRUE(head.Tick(60000));
    EXPECT_EQ(FramesAt(head, {60000, 60099, 60100}), (std::vector<int>{2, 2, 3}));
    EXPECT_EQ(FramesAt(head, {61100}), (std::vector<int>{13})) << "a second late still catches up";
}

TEST(Playhead, TheTimerIsSetForTheNextFrame) {
    Playhead head = Playing(100, 12, 0);  // 83.3 ms a frame
    EXPECT_EQ(head.MsToNextFrame(0), 84u);
    EXPECT_EQ(head.MsToNextFrame(50), 34u);
    EXPECT_EQ(head.MsToNextFrame(84), 1u) << "due now: soon, never 0";
    head.Tick(84);
    EXPECT_EQ(head.MsToNextFrame(84), 83u);
    head.Tick(1000);
    EXPECT_EQ(head.MsToNextFrame(1000), 84u);

    Playhead none;
    none.Play(0);
    EXPECT_FALSE(none.Running()) << "no movie: no timer";
    none.Reset(1, 10, 0);
    EXPECT_FALSE(none.Running()) << "a still picture: no timer";
    none.Reset(2, 10, 0);
    EXPECT_TRUE(none.Running()) << "a new movie plays on as the old one did";
}

TEST(Playhead, KeepsTimeAcrossTheTickCountWrap) {
    // Hours of playing with a timer every 0.997 s, through the 32-bit millisecond counter's wrap.
    const int frames = 1234, rate = 20;
    const std::uint32_t start = 0xFFFFFFFFu - 3600000u;
    Playhead head = Playing(frames, rate, start);
    for (std::uint64_t elapsed = 997; elapsed < 20000000; elapsed += 997) {
        head.Tick(start + std::uint32_t(elapsed));
        ASSERT_EQ(head.frame(), int(elapsed * rate / 1000 % frames)) << "at " << elapsed << " ms";
    }
}

}  // namespace
}  // namespace zarvik::movie
