// The movie file reader (each way a file can be damaged) and what a frame of the
// movie read shows.
#include "app/windows/movie/MovieParser.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

namespace zarvik::movie {
namespace {

const std::string kHeader = "zarvik-movie 1\nstage 100 50\nrate 10\nframes 20\n";

// One row for each check the reader makes; then every cut through a real file.
TEST(MovieParser, RejectsDamagedOrCutFilesAndSaysWhereAndWhy) {
    const std::pair<std::string, std::string> cases[] = {
        {std::string("zarvik-movie 1\n\0\0\0", 18), "binary data"},
        {"zarvik-movie 2\nend\n", "line 1: version 2 is not supported"},
        {"zarvik-movie 1\nrate 10\nframes 20\nend\n", "line 4: no \"stage\" line"},
        {kHeader + "rate 11\nend\n", "line 5: \"rate\" given twice"},
        {kHeader + "rect\nat 0\nbackground 1\nend\n", "line 7: \"background\" after the first item"},
        {kHeader + "rect\nellipse\nat 0\nend\n", "line 6: the item before has no \"at\" line"},
        {kHeader + "rect\nat 5\nat 5\nend\n", "line 7: key frames of an item must rise"},
        {kHeader + "rect\nat 20\nend\n", "line 6: frame out of range: 20"},
        {kHeader + "rect\nat 0 x 12abc\nend\n", "line 6: x is not a number: \"12abc\""},
        {kHeader + "rect\nat 0 x nan\nend\n", "line 6: x is not a number"},
        {kHeader + "rect\nat 0 colour 8\nend\n", "line 6: a colour is a digit 0-7 or #rrggbb, not \"8\""},
        {kHeader + "text \"open\nat 0\nend\n", "line 5: a quote is not closed"},
        {kHeader + "end\nend\n", "line 6: text after \"end\""},
        {"zarvik-movie 1\nstage 10 10\nrate 61\nframes 1\nend\n", "line 3: rate out of range: 61"},
    };
    for (const auto& [text, error] : cases) {
        std::string said;
        EXPECT_FALSE(ParseMovie(text, &said)) << text;
        EXPECT_EQ(said.substr(0, error.size()), error) << text;
    }

    std::ifstream in(ZARVIK_MOVIE_DIR "title.swf", std::ios::binary);
    const std::string whole{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    const size_t end = whole.rfind("\nend");
    ASSERT_NE(end, std::string::npos);
    for (size_t cut = 0; cut < end + 4; ++cut) EXPECT_FALSE(ParseMovie(whole.substr(0, cut))) << cut << " bytes";
    EXPECT_TRUE(ParseMovie(whole.substr(0, end + 4))) << "all but the last line break";
}

// What a frame shows.
Movie Parse(const std::string& items) {
    return ParseMovie("zarvik-movie 1\nstage 100 100\nrate 10\nframes 50\n" + items + "end\n").value();
}

// The first item's value of `property` at each of `frames`.
std::vector<double> Values(const Movie& movie, Property property, std::vector<int> frames) {
    std::vector<double> values;
    for (int frame : frames) values.push_back(FrameContents(movie, frame).at(0).values[property]);
    return values;
}

TEST(FrameContents, ItemsShowFromTheirFirstKeyAndValuesMoveAsTheirEasingSays) {
    const std::pair<const char*, double> cases[] = {{"linear", 20}, {"in", 4}, {"out", 36}, {"inout", 8}};
    for (const auto& [ease, expected] : cases)
        EXPECT_NEAR(Values(Parse(std::string("rect\nat 10 x 0\nat 20 x 100 ease ") + ease + "\n"), kX, {12})[0],
                    expected, 1e-9)
            << ease << ", a fifth of the way";
    const Movie movie = Parse("rect\nat 0 x 10\nat 10 y 100\nat 20 x 30 colour 0\nat 30 colour #ff8040\n");
    EXPECT_EQ(Values(movie, kY, {0, 10, 30}), (std::vector<double>{100, 100, 100})) << "held before and after";
    EXPECT_EQ(Values(movie, kX, {10}), (std::vector<double>{20})) << "only keys that set x count";
    EXPECT_EQ(FrameContents(movie, 25)[0].colour, (Colour{128, 64, 32})) << "channel by channel";

    // Items appear at their first key and show or hide until the next.
    const Movie shows = Parse("rect\nat 5\nat 10 hide\nat 15\nat 20 show\nat 25 hide\nellipse\nat 0 hide\nat 3 show\n");
    std::vector<std::string> seen;
    for (int frame : {0, 3, 5, 9, 10, 15, 19, 20, 24, 25, 49, 50, -1}) {
        std::string line;
        for (const Drawn& d : FrameContents(shows, frame)) line += d.item->shape == Shape::Rect ? "R" : "E";
        seen.push_back(line);
    }
    EXPECT_EQ(seen, (std::vector<std::string>{"", "E", "RE", "RE", "E", "E", "E", "RE", "RE", "E", "E", "", ""}));
}

}  // namespace
}  // namespace zarvik::movie
