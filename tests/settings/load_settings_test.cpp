#include "app/settings/LoadSettings.h"
#include "tests/engine/fakes.h"

#include <gtest/gtest.h>

namespace zarvik {
namespace {

using File = std::map<std::string, std::string>;
using Writes = std::vector<std::string>;  // "Key=Value", in order
using Moves = std::vector<std::pair<std::int32_t, std::int32_t>>;

// A 320 x 240 window on a 1024 x 768 screen, in twips.
struct FakePlacement : MainWindowPlacement {
    Moves moves;
    void OuterSize(std::int32_t& w, std::int32_t& h) override { w = 4800, h = 3600; }
    void ScreenSize(std::int32_t& w, std::int32_t& h) override { w = 15360, h = 11520; }
    void MoveTo(std::int32_t left, std::int32_t top) override { moves.emplace_back(left, top); }
};

struct Session {
    testing::FakeStore store;
    OptionModel options{store};
    FakePlacement placement;
    bool turnedOn = false;
    explicit Session(File file) { store.values = std::move(file); }
    void Load() { LoadSettings(store, options, turnedOn, placement, NumberFormat{}); }
    std::vector<int> Checks() const {  // Power, AutoLoad, Date, Time, GetName, TurnOff
        std::vector<int> all;
        for (int o = 0; o < 6; ++o) all.push_back(options.Check(static_cast<Option>(o)));
        return all;
    }
};

// One row per way to misread a number: blanks and signs, separators, halves to even, the limits.
TEST(WholeNumber, ReadsDecimalTextAsTheLocaleWritesIt) {
    const NumberFormat en{'.', ','}, de{',', '.'};
    const std::optional<std::int32_t> none;
    // A table reads best in its columns.
    // clang-format off
    const std::tuple<const char*, std::optional<std::int32_t>, NumberFormat> cases[] = {
        {"  -17\t", -17, en},   {"1,440.5", 1440, en},   {"1441.5", 1442, en},       {"2.5000001", 3, en},
        {"-3.5", -4, en},        {".5", 0, en},           {"7.", 7, en},              {"1.440,5", 1440, de},
        {"", none, en},          {"1e", none, en},        {"--1", none, en},          {".", none, en},
        {",5", none, en},   {"5,", none, en},        {"1,,000", none, en},    {"2147483647.4", INT32_MAX, en},
        {"2147483647.5", none, en},                       {"-2147483648.5", INT32_MIN, en},
        {"99999999999999999999999", none, en},
    };
    // clang-format on
    for (const auto& [text, expected, format] : cases) EXPECT_EQ(WholeNumber(text, format), expected) << text;
    EXPECT_EQ(WholeNumber16("32766.5", en), std::int16_t{32766});
    EXPECT_EQ(WholeNumber16("32767.5", en), std::nullopt);
}

// Whole files as a first run finds them; a second run over the same state must change nothing.
TEST(LoadSettings, AppliesEachKeyItCanUseInItsOwnOrderAndKeepsTheWindowOnScreen) {
    // The file, then the checks (Power, AutoLoad, Date, Time, GetName, TurnOff), the power, the writes.
    // clang-format off
    const std::tuple<File, std::vector<int>, bool, Writes> cases[] = {
        {{{"AutoLoad", "abc"}, {"Date", "5"}, {"Time", ""}, {"GetName", "0.5"}, {"TurnOff", " 1.5 "}, {"Power", "3"},
          {"Editor", "x"}},
         {1, 1, 1, 1, 0, 2}, true, {"GetName=0", "Editor=x", "TurnOff=2"}},
        {{{"AutoLoad", "0"}, {"Date", "0"}, {"Time", "0"}, {"GetName", "0"}, {"Power", "0"}, {"TurnOff", "1"},
          {"Editor", "e.exe"}},
         {0, 0, 0, 0, 0, 1}, false, {"AutoLoad=0", "Date=0", "GetName=0", "Time=0", "Editor=e.exe", "Power=0", "TurnOff=1"}},
    };
    // clang-format on
    for (const auto& [file, checks, on, writes] : cases) {
        Session run(file);
        run.Load();
        EXPECT_EQ(run.Checks(), checks);
        EXPECT_EQ(run.turnedOn, on);
        EXPECT_EQ(run.store.writes, writes);
        run.store.writes.clear();
        run.Load();
        EXPECT_EQ(run.store.writes, Writes{}) << "the store only changes by its writes";
    }

    // The window kept on screen: touching the right or bottom edge counts as past it; the bottom
    // keeps room for the taskbar.
    // clang-format off
    const std::tuple<const char*, const char*, std::int32_t, std::int32_t> places[] = {
        {"abc", "-1", 0, 0},          {"10559", "7919", 10559, 7919},          {"10560", "7920", 10560, 7470},
        {"12000", "9000", 10560, 7470}, {"2147483647", "2147483000", 10560, 7470},
    };
    // clang-format on
    for (const auto& [left, top, x, y] : places) {
        Session run({{"LeftPos", left}, {"TopPos", top}});
        run.Load();
        EXPECT_EQ(run.placement.moves, (Moves{{x, y}})) << left << ' ' << top;
    }
}

}  // namespace
}  // namespace zarvik
