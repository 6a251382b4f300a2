#include "app/store/BindStore.h"
#include "tests/engine/fakes.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <tuple>

namespace zarvik {
namespace {

namespace fs = std::filesystem;
using Lines = std::vector<std::string>;

const std::string kBind = "Bind F5 \"say hi; wait\"";  // key F5, value with its quotes and blank

void Put(const std::string& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
}

// A program folder of its own per test, with its Data folder.
struct Store : ::testing::Test {
    Store() { s.EnsureFolder(); }
    std::string File(const std::string& map = "ffa_bespin") const { return s.BindFilePath(map); }
    std::size_t RegularFiles() const {
        std::size_t n = 0;
        for (const auto& entry : fs::recursive_directory_iterator(folder.path())) n += entry.is_regular_file();
        return n;
    }

    testing::TempFolder folder;
    BindStore s{folder.path()};
};

TEST_F(Store, AppendsNeverGlueLinesAndReadersTakeEveryKindOfLineBreak) {
    // Appends write exact bytes and never glue lines.
    s.AppendBind("ffa_bespin", "F5", "\"say hi; wait\"");
    s.AppendBind("ffa_bespin", "\xE9\xFC", "\"\xE9t\xE9\"");
    EXPECT_EQ(testing::ReadFile(File()), kBind + "\r\nBind \xE9\xFC \"\xE9t\xE9\"\r\n");
    // A file saved by hand without its last line break.
    for (const std::string last : {"Bind F5 a", "Bind F5 a\r"}) {  // a lone CR ends the line
        Put(File(), last);
        s.AppendBind("ffa_bespin", "F6", "b");
        EXPECT_EQ(testing::ReadFile(File()), (last.back() == '\r' ? last : last + "\r\n") + "Bind F6 b\r\n");
    }

    const std::tuple<std::string, Lines> cases[] = {
        {"", {}},
        {"\r\n\r\na\r\nb", {"", "", "a", "b"}},  // blank lines kept, no last break
        {"a\rb\nc", {"a", "b", "c"}},
        {"a\n\rb", {"a", "", "b"}},  // LF then CR is two breaks
        {"\r\r\n", {"", ""}},
    };
    for (const auto& [text, lines] : cases) {
        Put(File(), text);
        EXPECT_EQ(s.ReadBindLines("ffa_bespin"), lines) << text;
        Put(s.IndexPath(), text);
        EXPECT_EQ(s.ListMaps(), lines) << text;
    }
}

TEST_F(Store, ListsMapsByIndexAndByBindFile) {
    s.AppendMap("ffa_bespin");  // the index does not exist yet
    s.AppendMap("ffa_bespin");
    s.AppendMap("FFA_Bespin");
    s.AppendMap("ffa_bespin ");  // a trailing blank makes another name
    EXPECT_EQ(testing::ReadFile(s.IndexPath()), "ffa_bespin\r\nFFA_Bespin\r\nffa_bespin \r\n");

    // Each a map with a bind file, by the file's name as the system lists it.
    const std::string accented = "ffa_\351cole";  // an ANSI file name on Windows
    s.AppendBind(accented, "F1", "kill");
    EXPECT_EQ(s.ReadBindLines(accented), Lines{"Bind F1 kill"});
    fs::create_directory(File("folder"));
    Put(File("x") + "1", "");
    Put(s.DataFolder() + "/UPPER.TXT", "");
    Lines maps = s.BindFileMaps();
    std::sort(maps.begin(), maps.end());
    EXPECT_EQ(maps, (Lines{"UPPER", accented})) << "not the index, a folder or x.txt1";
}

TEST_F(Store, ListBindsCutsKeyAtFirstBlankSkipsBlankLinesAndStopsAtTheLimit) {
    std::string text = kBind + "\r\n\r\nBind  KP_ENTER x\nBind F9\r\nBind\r\n";
    for (int i = 6; i <= 600; ++i) text += "Bind K" + std::to_string(i) + " v\r\n";
    Put(File(), text);
    const auto listed = s.ListBinds("ffa_bespin");
    ASSERT_EQ(listed.size(), 501u);
    const std::vector<std::pair<std::string, std::string>> first = {
        {"F5", "\"say hi; wait\""}, {"", "KP_ENTER x"}, {"F9", ""}, {"", ""}, {"K6", "v"}};
    for (std::size_t i = 0; i < first.size(); ++i)
        EXPECT_EQ(std::make_pair(listed[i].key, listed[i].value), first[i]) << i;
    EXPECT_EQ(listed.back().key, "K502");
    EXPECT_EQ(s.ReadBindLines("ffa_bespin").size(), 600u) << "a load plays every line";
}

TEST_F(Store, AFileMarkedReadOnlyIsNeverWritten) {
    const std::string text = std::string(kBind) + "\r\n";
    Put(File(), text);
    fs::permissions(File(), fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
    EXPECT_THROW(s.AppendBind("ffa_bespin", "F6", "force_pull"), StoreError);
    EXPECT_THROW(s.DeleteBind("ffa_bespin", "F5", "\"say hi; wait\""), StoreError);
    EXPECT_EQ(testing::ReadFile(File()), text) << "even for a user whom permissions do not stop";
    EXPECT_EQ(RegularFiles(), 1u) << "no temporary file left";
    fs::permissions(File(), fs::perms::owner_write, fs::perm_options::add);
}

TEST_F(Store, DeleteAndChangeTouchOnlyWholeEqualLines) {
    const std::string X = kBind, Y = "Bind F5 \"say bye\"";
    // Deleting X, or changing it to Y.
    const std::tuple<bool, const char*, std::string, std::string, int> cases[] = {
        {true, "middle", "A\r\n" + X + "\r\nB\r\n", "A\r\nB\r\n", 1},
        {true, "last without break", "A\r\nB\r\n" + X, "A\r\nB", 1},
        {true, "duplicates, lone breaks kept", X + "\r\nA\r" + X + "\nB\n" + X, "A\rB", 3},
        {true, "near misses stay", X + " x\r\nx" + X + "\r\nbind F5 \"say hi; wait\"\r\nBind F5 \"SAY hi; wait\"", "",
         0},
        {false, "breaks kept", X + "\rA\n" + X, Y + "\rA\n" + Y, 2},
        {false, "a longer line stays", X + " \r\n" + X + "\r\n", X + " \r\n" + Y + "\r\n", 1},
        {false, "near misses stay", X + " \r\nBind F5 \"say hi;  wait\"", "", 0},
    };
    for (const auto& [deleting, name, before, after, count] : cases) {
        Put(File(), before);
        EXPECT_EQ(deleting ? s.DeleteBind("ffa_bespin", "F5", "\"say hi; wait\"")
                           : s.ChangeBind("ffa_bespin", "F5", "\"say hi; wait\"", "\"say bye\""),
                  count)
            << name;
        EXPECT_EQ(testing::ReadFile(File()), count ? after : before) << name;
    }
    EXPECT_EQ(RegularFiles(), 1u) << "a temporary file was left behind";
}

// The one place that holds each rule for map names and keys: the engine and the editing suite ask it.
TEST(MapNameAndKey, RefuseWhatCannotNameAFileOrWouldBreakTheBindCommand) {
    // Data\data.txt is the index; "NUL .x" and "COM\xB9" are devices to Windows; ffa_be~1 may be
    // another map's file.
    std::vector<std::string> refused = {"",          ".",
                                        "..",        "\x1Fx",
                                        "ffa.",      "ffa ",
                                        "con.txt",   "Lpt9",
                                        "aux.a",     "nul",
                                        "PRN",       "com1",
                                        "COM9",      "LPT1",
                                        "data",      "DaTa",
                                        "NUL .x",    "COM1 .txt",
                                        "conin$",    "CONOUT$.x",
                                        "Clock$",    "COM\xB9",
                                        "com\xB2.a", "LPT\xB3",
                                        "ffa_be~1",  std::string(65, 'm')};
    for (const char c : std::string("<>:\"/\\|?*;")) refused.push_back(std::string("a") + c + "b");
    for (const auto& name : refused) EXPECT_TRUE(MapNameProblem(name).has_value()) << '"' << name << '"';
    const std::vector<std::string> usable = {
        "ffa_bespin", "COM10",     "com0",     "LPT",      "conduit", ".hidden", "a b",
        "x.con",      "duel_\x7F", "data.txt", "database", "COM\xB4", "NUL x",   std::string(64, 'm')};
    for (const std::string& name : usable) EXPECT_EQ(MapNameProblem(name), std::nullopt) << '"' << name << '"';

    for (const std::string key : {" ", "\"", ";", "\x1F", "\x7F", "F\x01"}) EXPECT_FALSE(IsSafeKey(key)) << key;
    EXPECT_FALSE(IsSafeKey(std::string(1, '\0')));
    for (const std::string key : {"", "F5", "!", "\xE9", "~"}) EXPECT_TRUE(IsSafeKey(key)) << key;
}

}  // namespace
}  // namespace zarvik
