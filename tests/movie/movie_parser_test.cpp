// The movie file reader: good files, every way a file can be damaged, and the limits.
#include "app/windows/movie/MovieParser.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

namespace zarvik::movie {
namespace {

const std::string kHeader = "zarvik-movie 1\nstage 100 50\nrate 10\nframes 20\n";

std::string Error(const std::string& text) {
    std::string error;
    EXPECT_FALSE(ParseMovie(text, &error)) << text;
    return error;
}

std::string Repeat(const std::string& part, int times) {
    std::string all;
    while (times--) all += part;
    return all;
}

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

TEST(MovieParser, ReadsEveryKindOfLine) {
    const auto movie = ParseMovie(
        "zarvik-movie 1\r\n# a comment\r\n\r\nstage 305.5 65\r\nrate 24\r\nframes 100\r\nbackground "
        "#102030\r\n"
        "rect\r\nat 0 x -5 y 0.25 colour 4\r\n  # indented\r\n"
        "ellipse\r\nat 3 hide\r\nat 4 show ease inout colour #FFa000\r\n"
        "line pen 2.5\r\nat 0 h -4 ease in\r\n"
        "text \"say \\\"hi\\\" \\\\ ^1x\" font \"Courier New\" bold align center\r\nat 99 size 30 color 6 "
        "ease out\r\n"
        "end\r\n# after the end\r\n");
    ASSERT_TRUE(movie);
    EXPECT_EQ(movie->width, 305.5);
    EXPECT_EQ(movie->rate, 24);
    EXPECT_EQ(movie->frames, 100);
    EXPECT_EQ(movie->background, (Colour{0x10, 0x20, 0x30}));
    ASSERT_EQ(movie->items.size(), 4u);
    const Item &rect = movie->items[0], &ellipse = movie->items[1], &line = movie->items[2],
               &text = movie->items[3];
    EXPECT_EQ(rect.keys[0].values[kX], -5);
    EXPECT_EQ(rect.keys[0].values[kY], 0.25);
    EXPECT_FALSE(rect.keys[0].values[kW]) << "left unset";
    EXPECT_EQ(rect.keys[0].colour, GameColour(4));
    EXPECT_EQ(ellipse.shape, Shape::Ellipse);
    EXPECT_EQ(ellipse.keys[0].visible, false);
    EXPECT_EQ(ellipse.keys[1].visible, true);
    EXPECT_EQ(ellipse.keys[1].ease, Ease::InOut);
    EXPECT_EQ(ellipse.keys[1].colour, (Colour{0xff, 0xa0, 0x00}));
    EXPECT_EQ(line.pen, 2.5);
    EXPECT_EQ(line.keys[0].ease, Ease::In);
    EXPECT_EQ(text.text, "say \"hi\" \\ ^1x");
    EXPECT_EQ(text.font, "Courier New");
    EXPECT_TRUE(text.bold);
    EXPECT_EQ(text.align, Align::Centre);
    EXPECT_EQ(text.keys[0].frame, 99);
    EXPECT_EQ(text.keys[0].colour, GameColour(6));
}

TEST(MovieParser, GameColoursAreTheGames) {
    const Colour expected[8] = {{0, 0, 0},   {255, 0, 0},   {0, 255, 0},   {255, 255, 0},
                                {0, 0, 255}, {0, 255, 255}, {255, 0, 255}, {255, 255, 255}};
    for (int code = 0; code < 8; ++code)
        EXPECT_EQ(ParseMovie(kHeader + "background " + std::to_string(code) + "\nend").value().background,
                  expected[code]);
}

TEST(MovieParser, RejectsDamagedFilesAndSaysWhereAndWhy) {
    const std::pair<std::string, std::string> cases[] = {
        {"", "not a movie"},
        {"FWS\x09\x10\x20\x30", "not a movie"},
        {std::string("zarvik-movie 1\n\0\0\0", 18), "binary data"},
        {"zarvik-movies 1\nend\n", "line 1: not a movie"},
        {"zarvik-movie 2\nend\n", "line 1: version 2 is not supported"},
        {"zarvik-movie\nend\n", "line 1: missing version"},
        {kHeader, "no \"end\" line"},
        {kHeader + "rect\nat 0\nen", "line 7: unknown word \"en\""},
        {"zarvik-movie 1\nrate 10\nframes 20\nend\n", "line 4: no \"stage\" line"},
        {kHeader + "rate 11\nend\n", "line 5: \"rate\" given twice"},
        {kHeader + "rect\nat 0\nbackground 1\nend\n", "line 7: \"background\" after the first item"},
        {kHeader + "at 0\nend\n", "line 5: \"at\" before the first item"},
        {kHeader + "rect\nellipse\nat 0\nend\n", "line 6: the item before has no \"at\" line"},
        {kHeader + "rect\nend\n", "line 6: the last item has no \"at\" line"},
        {kHeader + "rect\nat 5\nat 5\nend\n", "line 7: key frames of an item must rise"},
        {kHeader + "rect\nat 20\nend\n", "line 6: frame out of range: 20"},
        {kHeader + "rect\nat 1.5\nend\n", "line 6: frame is not a whole number"},
        {kHeader + "rect\nat 99999999999\nend\n", "line 6: frame out of range"},
        {kHeader + "rect\nat 0 x 1 x 2\nend\n", "line 6: \"x\" given twice"},
        {kHeader + "rect\nat 0 x 12abc\nend\n", "line 6: x is not a number: \"12abc\""},
        {kHeader + "rect\nat 0 x 1e999\nend\n", "line 6: x is not a number"},
        {kHeader + "rect\nat 0 x nan\nend\n", "line 6: x is not a number"},
        {kHeader + "rect\nat 0 y -100001\nend\n", "line 6: y out of range"},
        {kHeader + "rect\nat 0 size -1\nend\n", "line 6: size below 0"},
        {kHeader + "rect\nat 0 depth 3\nend\n", "line 6: unknown property \"depth\""},
        {kHeader + "rect\nat 0 colour 8\nend\n", "line 6: a colour is a digit 0-7 or #rrggbb, not \"8\""},
        {kHeader + "rect\nat 0 colour #12345g\nend\n", "line 6: a colour is"},
        {kHeader + "rect\nat 0 show hide\nend\n", "line 6: show or hide given twice"},
        {kHeader + "rect\nat 0 ease sideways\nend\n", "line 6: easing is linear, in, out or inout"},
        {kHeader + "rect bold\nat 0\nend\n", "line 5: \"bold\" does not belong to rect"},
        {kHeader + "text\nat 0\nend\n", "line 5: missing text"},
        {kHeader + "text \"open\nat 0\nend\n", "line 5: a quote is not closed"},
        {kHeader + "text \"a\"b\nat 0\nend\n", "line 5: a blank must follow a quoted word"},
        {kHeader + "text a align middle\nat 0\nend\n", "line 5: alignment is left, centre or right"},
        {kHeader + "\"rect\"\nat 0\nend\n", "line 5: unknown word \"\"rect\"\""},
        {kHeader + "end\nend\n", "line 6: text after \"end\""},
        {"zarvik-movie 1\nstage 0 10\nrate 1\nframes 1\nend\n", "line 2: stage width out of range: 0"},
        {"zarvik-movie 1\nstage 10 10\nrate 61\nframes 1\nend\n", "line 3: rate out of range: 61"},
        {"zarvik-movie 1\nstage 10 10\nrate 1\nframes 10001\nend\n", "line 4: frames out of range"},
    };
    for (const auto& [text, error] : cases) EXPECT_EQ(Error(text).substr(0, error.size()), error) << text;
}

TEST(MovieParser, EveryCutThroughAFileIsNoticed) {
    const std::string whole = ReadFile(ZARVIK_MOVIE_DIR "title.swf");
    const size_t end = whole.rfind("\nend");
    ASSERT_NE(end, std::string::npos);
    for (size_t cut = 0; cut < end + 4; ++cut)
        EXPECT_FALSE(ParseMovie(whole.substr(0, cut))) << cut << " bytes";
    EXPECT_TRUE(ParseMovie(whole.substr(0, end + 4))) << "all but the last line break";
}

TEST(MovieParser, LimitsHoldExactlyAtTheirEdge) {
    const std::string top = "zarvik-movie 1\nstage 4000 4000\nrate 60\nframes 10000\n";
    EXPECT_TRUE(ParseMovie(top + "end"));
    EXPECT_TRUE(ParseMovie(top + "text \"" + std::string(200, 'a') + "\" font \"" + std::string(31, 'f') +
                           "\"\nat 9999 x -100000 size 100000\nend\n"));
    EXPECT_EQ(Error(top + "text \"" + std::string(201, 'a') + "\"\nat 0\nend\n"),
              "line 5: text longer than 200");
    EXPECT_EQ(Error(top + "text a font \"" + std::string(32, 'f') + "\"\nat 0\nend\n"),
              "line 5: font name empty or too long");

    const std::string longest = "# " + std::string(998, 'x') + "\n";
    EXPECT_TRUE(ParseMovie(top + longest + "end\n"));
    EXPECT_EQ(Error(top + "#" + longest + "end\n"), "line 5: line longer than 1000");

    EXPECT_TRUE(ParseMovie(top + Repeat("rect\nat 0\n", kMaxItems) + "end\n"));
    EXPECT_EQ(Error(top + Repeat("rect\nat 0\n", kMaxItems + 1) + "end\n"),
              "line 4005: more than 2000 items");

    std::string keys;  // five items of 10000 keys: the movie's whole allowance
    for (int frame = 0; frame < 10000; ++frame) keys += "at " + std::to_string(frame) + "\n";
    const std::string full = top + Repeat("rect\n" + keys, 5);
    EXPECT_TRUE(ParseMovie(full + "end\n"));
    EXPECT_EQ(Error(full + "rect\nat 0\nend\n"), "line 50011: more than 50000 keys");

    std::string big = top + "end\n" + Repeat("#" + std::string(998, ' ') + "\n", 1049);
    EXPECT_EQ(Error(big), "larger than 1048576 bytes");
    big.resize(kMaxMovieBytes);
    big.back() = '\n';
    EXPECT_TRUE(ParseMovie(big)) << "exactly 1 MiB";
}

TEST(MovieParser, TheShippedMoviesAreWhatTheWindowsNeed) {
    const auto title = ParseMovie(ReadFile(ZARVIK_MOVIE_DIR "title.swf"));
    ASSERT_TRUE(title);
    EXPECT_GE(title->frames, 65) << "the main window rests on frame 64";
    EXPECT_EQ(title->width * 65, title->height * 305) << "the title area's shape: NoBorder cuts nothing off";

    // On the resting frame the title reads ^4Zar^6v^1i^6k, in place, left to right.
    std::string letters;
    std::vector<Colour> colours;
    double lastX = -1;
    for (const Drawn& drawn : FrameContents(*title, 64)) {
        if (drawn.item->shape != Shape::Text) continue;
        EXPECT_GT(drawn.values[kX], lastX);
        lastX = drawn.values[kX];
        EXPECT_GT(drawn.values[kY] - drawn.values[kSize] * 0.75, 0) << drawn.item->text << " below the top";
        EXPECT_LE(drawn.values[kY], title->height);
        letters += drawn.item->text;
        colours.push_back(drawn.colour);
    }
    EXPECT_EQ(letters, "Zarvik");
    const Colour blue = GameColour(4), magenta = GameColour(6), red = GameColour(1);
    EXPECT_EQ(colours, (std::vector<Colour>{blue, blue, blue, magenta, red, magenta}));

    const auto credits = ParseMovie(ReadFile(ZARVIK_MOVIE_DIR "credits.swf"));
    ASSERT_TRUE(credits);
    std::string all;
    for (const Item& item : credits->items) all += item.text + "\n";
    for (const char* must :
         {"^4Zar^6v^1i^6k", "Version 1.0.0", "Perchicon", "Holvane", "The project", "[^1k^3I"})
        EXPECT_NE(all.find(must), std::string::npos) << must;
}

}  // namespace
}  // namespace zarvik::movie
