// The player's settings by name, where the stage lands, and what each quality draws with.
#include "app/windows/movie/Stage.h"
#include "app/windows/movie/Supersample.h"

#include <algorithm>
#include <iterator>

#include <gtest/gtest.h>

namespace zarvik::movie {
namespace {

TEST(Stage, SettingsAreKnownByTheFlashControlsNamesInAnyCase) {
    EXPECT_EQ(WindowModeNamed("Transparent"), WindowMode::Transparent);
    EXPECT_EQ(WindowModeNamed("OPAQUE"), WindowMode::Opaque);
    EXPECT_EQ(WindowModeNamed("window"), WindowMode::Window);
    EXPECT_EQ(QualityNamed("AutoHigh"), Quality::AutoHigh);
    EXPECT_EQ(QualityNamed("autolow"), Quality::AutoLow);
    EXPECT_EQ(ScaleModeNamed("NoBorder"), ScaleMode::NoBorder);
    EXPECT_EQ(ScaleModeNamed("showall"), ScaleMode::ShowAll);
    for (const char* unknown : {"", "Transparent ", "Transparen", "Show All", "0", "AutoHighest"}) {
        EXPECT_FALSE(WindowModeNamed(unknown)) << unknown;
        EXPECT_FALSE(QualityNamed(unknown)) << unknown;
        EXPECT_FALSE(ScaleModeNamed(unknown)) << unknown;
    }
}

TEST(Stage, EachScaleModePlacesTheStageItsOwnWay) {
    struct Case {
        ScaleMode mode;
        int width, height, dpi;
        Placement expected;
    };
    // A 100 x 50 stage.
    const Case cases[] = {
        {ScaleMode::ShowAll, 300, 100, 96, {2, 2, 50, 0}},    // bands left and right
        {ScaleMode::ShowAll, 100, 100, 96, {1, 1, 0, 25}},    // bands above and below
        {ScaleMode::NoBorder, 300, 100, 96, {3, 3, 0, -25}},  // top and bottom cut off
        {ScaleMode::NoBorder, 100, 100, 96, {2, 2, -50, 0}},
        {ScaleMode::ExactFit, 300, 100, 96, {3, 2, 0, 0}},
        {ScaleMode::NoScale, 300, 100, 96, {1, 1, 100, 25}},
        {ScaleMode::NoScale, 300, 100, 144, {1.5, 1.5, 75, 12.5}},  // 96-dpi pixels on a 144-dpi screen
        {ScaleMode::NoScale, 300, 100, 0, {1, 1, 100, 25}},         // no DPI known: 96
        // The same window at 144 dpi is 1.5 times larger in pixels, and so is the stage in it.
        {ScaleMode::ShowAll, 450, 150, 144, {3, 3, 75, 0}},
        {ScaleMode::NoBorder, 150, 150, 144, {3, 3, -75, 0}},
        {ScaleMode::ShowAll, 0, 0, 96, {0, 0, 0, 0}},  // a player of no size shows nothing
    };
    for (const Case& c : cases) {
        const Placement p = PlaceStage(100, 50, c.width, c.height, c.mode, c.dpi);
        const std::string what = std::to_string(int(c.mode)) + " in " + std::to_string(c.width) + "x" +
                                 std::to_string(c.height) + " at " + std::to_string(c.dpi);
        EXPECT_DOUBLE_EQ(p.scaleX, c.expected.scaleX) << what;
        EXPECT_DOUBLE_EQ(p.scaleY, c.expected.scaleY) << what;
        EXPECT_DOUBLE_EQ(p.offsetX, c.expected.offsetX) << what;
        EXPECT_DOUBLE_EQ(p.offsetY, c.expected.offsetY) << what;
    }
}

TEST(Stage, QualityDecidesSmoothingAndTheAutoKindsFollowTheSpeed) {
    struct Case {
        Quality quality;
        PaintSpeed speed;
        bool smooth;
        int supersample;
    };
    const Case cases[] = {
        {Quality::Low, PaintSpeed::Fast, false, 1},        {Quality::Medium, PaintSpeed::Slow, true, 1},
        {Quality::High, PaintSpeed::Slow, true, 2},        {Quality::Best, PaintSpeed::Slow, true, 2},
        {Quality::AutoHigh, PaintSpeed::Unknown, true, 2}, {Quality::AutoHigh, PaintSpeed::Fast, true, 2},
        {Quality::AutoHigh, PaintSpeed::Slow, false, 1},   {Quality::AutoLow, PaintSpeed::Unknown, false, 1},
        {Quality::AutoLow, PaintSpeed::Slow, false, 1},    {Quality::AutoLow, PaintSpeed::Fast, true, 2},
    };
    for (const Case& c : cases) {
        const Rendering r = ChooseRendering(c.quality, c.speed);
        EXPECT_EQ(r.smoothText, c.smooth) << int(c.quality) << "/" << int(c.speed);
        EXPECT_EQ(r.supersample, c.supersample) << int(c.quality) << "/" << int(c.speed);
    }
}

TEST(Supersample, EachBlockBecomesItsAverage) {
    const std::uint32_t W = 0xffffff, K = 0x000000;
    // 3 x 2 pixels drawn twice as large: each 2 x 2 block lands on its own pixel.
    const std::uint32_t large[] = {
        W, W, W,        K,        0x102030, 0x102030,  //
        W, W, K,        W,        0x102030, 0x102031,  //
        K, K, 0xff0000, 0x00ff00, 0x0000ff, 0xffffff,  //
        K, W, 0xff0000, 0x00ff00, 0x000001, 0x000002,  //
    };
    std::uint32_t small[6] = {};
    AverageBlocks(large, 3, 2, 2, small);
    const std::uint32_t expected[6] = {W, 0x808080, 0x102030, 0x404040, 0x808000, 0x404080};
    for (int i = 0; i < 6; ++i) EXPECT_EQ(small[i], expected[i]) << "pixel " << i;

    const std::uint32_t one[] = {0x123456, 0xabcdef};
    std::uint32_t same[2] = {};
    AverageBlocks(one, 2, 1, 1, same);
    EXPECT_EQ(same[1], 0xabcdefu) << "n = 1 copies";

    std::uint32_t nine[9];
    std::fill(std::begin(nine), std::end(nine), 0x0a0b0c);
    nine[4] = 0xffffff;
    std::uint32_t centre = 0;
    AverageBlocks(nine, 1, 1, 3, &centre);
    EXPECT_EQ(centre, 0x252627u) << "red (8 * 10 + 255) / 9 rounded, and so on";
}

}  // namespace
}  // namespace zarvik::movie
