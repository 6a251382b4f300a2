// What a frame shows: key values, the way they move between keys, showing and hiding, colour codes.
#include "app/windows/movie/MovieParser.h"

#include <gtest/gtest.h>

namespace zarvik::movie {
namespace {

Movie Parse(const std::string& items) {
    return ParseMovie("zarvik-movie 1\nstage 100 100\nrate 10\nframes 50\n" + items + "end\n").value();
}

// The first item's value of `property` at each of `frames`.
std::vector<double> Values(const Movie& movie, Property property, std::vector<int> frames) {
    std::vector<double> values;
    for (int frame : frames) values.push_back(FrameContents(movie, frame).at(0).values[property]);
    return values;
}

TEST(FrameContents, ValuesMoveBetweenKeysAsTheirEasingSays) {
    const std::pair<const char*, std::vector<double>> cases[] = {
        {"linear", {0, 20, 50, 80, 100}},
        {"in", {0, 4, 25, 64, 100}},
        {"out", {0, 36, 75, 96, 100}},
        {"inout", {0, 8, 50, 92, 100}},
    };
    for (const auto& [ease, expected] : cases) {
        const auto got = Values(Parse(std::string("rect\nat 10 x 0\nat 20 x 100 ease ") + ease + "\n"), kX,
                                {10, 12, 15, 18, 20});
        for (size_t i = 0; i < got.size(); ++i) EXPECT_NEAR(got[i], expected[i], 1e-9) << ease << " #" << i;
    }
}

TEST(FrameContents, EachPropertyFollowsOnlyTheKeysThatSetIt) {
    const Movie movie = Parse("rect\nat 0 x 10\nat 10 y 100\nat 20 x 30\nat 30 y 0 w 40\nellipse\nat 0\n");
    EXPECT_EQ(Values(movie, kX, {0, 10, 20, 40}), (std::vector<double>{10, 20, 30, 30}));
    EXPECT_EQ(Values(movie, kY, {0, 10, 20, 25, 30, 49}), (std::vector<double>{100, 100, 50, 25, 0, 0}))
        << "held back to the start, and after the last key";
    EXPECT_EQ(Values(movie, kW, {0, 30}), (std::vector<double>{40, 40}));
    EXPECT_EQ(Values(movie, kSize, {0}), (std::vector<double>{12})) << "never set: the default";
    EXPECT_EQ(FrameContents(movie, 0).at(1).item->shape, Shape::Ellipse) << "later items on top";
}

TEST(FrameContents, ItemsAppearAtTheirFirstKeyAndShowOrHideUntilTheNext) {
    const Movie movie =
        Parse("rect\nat 5\nat 10 hide\nat 15\nat 20 show\nat 25 hide\nellipse\nat 0 hide\nat 3 show\n");
    std::vector<std::string> seen;
    for (int frame : {0, 3, 5, 9, 10, 15, 19, 20, 24, 25, 49, 50, -1}) {
        std::string line;
        for (const Drawn& d : FrameContents(movie, frame)) line += d.item->shape == Shape::Rect ? "R" : "E";
        seen.push_back(line);
    }
    EXPECT_EQ(seen,
              (std::vector<std::string>{"", "E", "RE", "RE", "E", "E", "E", "RE", "RE", "E", "E", "", ""}));
}

TEST(FrameContents, ColoursMixChannelByChannel) {
    const Movie movie = Parse("rect\nat 0 colour 0\nat 10 colour #ff8040\ntext a\nat 0\n");
    EXPECT_EQ(FrameContents(movie, 5)[0].colour, (Colour{128, 64, 32}));
    EXPECT_EQ(FrameContents(movie, 30)[0].colour, (Colour{255, 128, 64}));
    EXPECT_EQ(FrameContents(movie, 0)[1].colour, GameColour(7)) << "never set: white";
}

TEST(SplitColourCodes, SplitsWhereTheGameWould) {
    const std::pair<const char*, std::vector<std::pair<std::string, int>>> cases[] = {
        {"^4Zar^6v^1i^6k", {{"Zar", 4}, {"v", 6}, {"i", 1}, {"k", 6}}},
        {"lead ^2green", {{"lead ", -1}, {"green", 2}}},  // -1: the item's own colour
        {"^1^2x", {{"x", 2}}},
        {"a^8b^", {{"a^8b^", -1}}},
        {"^^3x", {{"^", -1}, {"x", 3}}},
        {"^7", {}},
    };
    const Colour base{1, 2, 3};
    for (const auto& [text, runs] : cases) {
        std::vector<std::pair<std::string, Colour>> expected, got;
        for (const auto& [part, code] : runs) expected.push_back({part, code < 0 ? base : GameColour(code)});
        for (const TextRun& run : SplitColourCodes(text, base)) got.push_back({run.text, run.colour});
        EXPECT_EQ(got, expected) << text;
    }
}

}  // namespace
}  // namespace zarvik::movie
