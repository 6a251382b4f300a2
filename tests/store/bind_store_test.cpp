#include "app/store/BindStore.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <tuple>

#ifndef _WIN32
#include <csignal>
#include <sys/wait.h>
#include <unistd.h>
#endif

namespace zarvik {
namespace {

namespace fs = std::filesystem;
using Lines = std::vector<std::string>;

const std::string kBind = "Bind F5 \"say hi; wait\"";  // key F5, value with its quotes and blank

std::string Get(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void Put(const std::string& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
}

bool Present(const std::string& path) {
    return std::ifstream(path, std::ios::binary).good();
}

// A private root per test holds the program folder and everything the store makes, so it all
// goes away afterwards.
class Store : public ::testing::Test {
  protected:
    Store() : root_(MakeRoot()), s((root_ / "prog").string()) { s.EnsureFolder(); }
    ~Store() override {
        std::error_code ignored;
        fs::remove_all(root_, ignored);
    }
    static fs::path MakeRoot() {
        static int serial = 0;
        const fs::path root =
            fs::temp_directory_path() /
            ("zarvik-store-" + std::to_string(std::random_device{}()) + "-" + std::to_string(serial++));
        fs::create_directories(root / "prog");
        return root;
    }
    std::string File(const std::string& map = "ffa_bespin") const { return s.BindFilePath(map); }
    std::size_t RegularFiles() const {
        std::size_t n = 0;
        for (const auto& entry : fs::recursive_directory_iterator(root_)) n += entry.is_regular_file();
        return n;
    }

    fs::path root_;
    BindStore s;
};

TEST_F(Store, ReadersTakeEveryKindOfLineBreak) {
    const std::tuple<const char*, std::string, Lines> cases[] = {
        {"empty file", "", {}},
        {"CR LF", "a\r\nb\r\n", {"a", "b"}},
        {"no last break", "a\r\nb", {"a", "b"}},
        {"CR only", "a\rb\r", {"a", "b"}},
        {"LF only", "a\nb", {"a", "b"}},
        {"mixed", "a\r\nb\rc\nd", {"a", "b", "c", "d"}},
        {"LF then CR is two breaks", "a\n\rb", {"a", "", "b"}},
        {"blank lines kept", "\r\n\r\na\r\n\r\n", {"", "", "a", ""}},
        {"CR before CR LF", "\r\r\n", {"", ""}},
        {"ANSI bytes", "Bind \xE9\xFC \"\xE9t\xE9\"\r\n", {"Bind \xE9\xFC \"\xE9t\xE9\""}},
    };
    for (const auto& [name, text, lines] : cases) {
        Put(File(), text);
        EXPECT_EQ(s.ReadBindLines("ffa_bespin"), lines) << name;
        Put(s.IndexPath(), text);
        EXPECT_EQ(s.ListMaps(), lines) << name;
    }
}

TEST_F(Store, MissingFilesAreCreatedEmptyAndKnownOnesKept) {
    EXPECT_FALSE(Present(File()));
    EXPECT_EQ(s.ReadBindLines("ffa_bespin"), Lines{});
    EXPECT_TRUE(Present(File()));
    EXPECT_EQ(Get(File()), "");

    s.EnsureIndex();
    EXPECT_TRUE(Present(s.IndexPath()));
    EXPECT_EQ(Get(s.IndexPath()), "");
    Put(s.IndexPath(), "ffa_bespin");
    s.EnsureIndex();
    EXPECT_EQ(Get(s.IndexPath()), "ffa_bespin");
}

TEST_F(Store, AppendsWriteExactBytesEndedByCrLf) {
    s.AppendBind("ffa_bespin", "F5", "\"say hi; wait\"");
    s.AppendBind("ffa_bespin", "\xE9\xFC", "\"\xE9t\xE9\"");
    s.AppendBind("ffa_bespin", "MOUSE1", "");
    EXPECT_EQ(Get(File()), kBind + "\r\nBind \xE9\xFC \"\xE9t\xE9\"\r\nBind MOUSE1 \r\n");

    const std::string accented =
        "ffa_\xE9"
        "cole";
    s.AppendBind(accented, "F1", "kill");
    EXPECT_EQ(Get(File(accented)), "Bind F1 kill\r\n");
    EXPECT_EQ(s.ReadBindLines(accented), Lines{"Bind F1 kill"});

    // Each a map with a bind file, by the file's name as the system lists it.
    s.EnsureIndex();
    fs::create_directory(File("folder"));
    Put(File("x") + "1", "");
    Put(s.DataFolder() + "/UPPER.TXT", "");
    Lines maps = s.BindFileMaps();
    std::sort(maps.begin(), maps.end());
    EXPECT_EQ(maps, (Lines{"UPPER", "ffa_bespin", accented})) << "not the index, a folder or x.txt1";
}

TEST_F(Store, AppendMapAddsOnlyNamesNotYetListedExactly) {
    s.AppendMap("ffa_bespin");  // the index does not exist yet
    s.AppendMap("ffa_bespin");
    s.AppendMap("FFA_Bespin");
    s.AppendMap("ctf_\xE9t\xE9");
    s.AppendMap("ffa_bespin ");  // a trailing blank makes another name
    s.AppendMap("ffa_bespin");
    EXPECT_EQ(Get(s.IndexPath()), "ffa_bespin\r\nFFA_Bespin\r\nctf_\xE9t\xE9\r\nffa_bespin \r\n");

    Put(s.IndexPath(), "ffa_deathstar\rctf_yavin\n\r\nffa_bespin");
    s.AppendMap("ctf_yavin");
    s.AppendMap("ffa_bespin");
    EXPECT_EQ(Get(s.IndexPath()), "ffa_deathstar\rctf_yavin\n\r\nffa_bespin");
}

TEST_F(Store, AppendingToAFileSavedWithoutItsLastLineBreakKeepsLinesApart) {
    Put(s.IndexPath(), "ffa_bespin");
    s.AppendMap("ctf_yavin");
    EXPECT_EQ(Get(s.IndexPath()), "ffa_bespin\r\nctf_yavin\r\n");
    Put(File(), "Bind F5 a");
    s.AppendBind("ffa_bespin", "F6", "b");
    EXPECT_EQ(Get(File()), "Bind F5 a\r\nBind F6 b\r\n");
    Put(File(), "Bind F5 a\r");
    s.AppendBind("ffa_bespin", "F6", "b");
    EXPECT_EQ(Get(File()), "Bind F5 a\rBind F6 b\r\n");
}

TEST_F(Store, ListBindsCutsKeyAtFirstBlankAndSkipsBlankLines) {
    Put(File(), kBind +
                    "\r\n"
                    "\r\n"
                    "Bind MOUSE1 +attack\r"
                    "Bind  KP_ENTER x\n"
                    "bind f1 \"echo  two  blanks \"\r\n"
                    "Bind F9\r\n"
                    "Bind\r\n"
                    "Bind \xE9\xFC \xE9 \xFC");
    const std::vector<std::pair<std::string, std::string>> expected = {
        {"F5", "\"say hi; wait\""},
        {"MOUSE1", "+attack"},
        {"", "KP_ENTER x"},
        {"f1", "\"echo  two  blanks \""},
        {"F9", ""},
        {"", ""},
        {"\xE9\xFC", "\xE9 \xFC"},
    };
    const auto listed = s.ListBinds("ffa_bespin");
    ASSERT_EQ(listed.size(), expected.size());
    for (std::size_t i = 0; i < listed.size(); ++i) {
        EXPECT_EQ(listed[i].key, expected[i].first) << i;
        EXPECT_EQ(listed[i].value, expected[i].second) << i;
    }
}

TEST_F(Store, ListBindsStopsAt501WhileReadBindLinesGivesAll) {
    std::string text;
    for (int i = 1; i <= 600; ++i) text += "Bind K" + std::to_string(i) + " v" + std::to_string(i) + "\r\n";
    Put(File(), text);
    const auto listed = s.ListBinds("ffa_bespin");
    ASSERT_EQ(listed.size(), 501u);
    EXPECT_EQ(listed.front().key, "K1");
    EXPECT_EQ(listed.back().key, "K501");
    EXPECT_EQ(listed.back().value, "v501");
    const auto lines = s.ReadBindLines("ffa_bespin");
    ASSERT_EQ(lines.size(), 600u);
    EXPECT_EQ(lines.back(), "Bind K600 v600");
}

TEST_F(Store, AFileMarkedReadOnlyIsNeverWritten) {
    const std::string text = std::string(kBind) + "\r\n";
    Put(File(), text);
    fs::permissions(File(), fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
    EXPECT_THROW(s.AppendBind("ffa_bespin", "F6", "force_pull"), StoreError);
    EXPECT_THROW(s.DeleteBind("ffa_bespin", "F5", "\"say hi; wait\""), StoreError);
    EXPECT_THROW(textfile::ReplaceWhole(File(), ""), StoreError);
    EXPECT_EQ(Get(File()), text) << "even for a user whom permissions do not stop";
    EXPECT_EQ(RegularFiles(), 1u) << "no temporary file left";
    fs::permissions(File(), fs::perms::owner_write, fs::perm_options::add);
}

#ifndef _WIN32
// A Data folder the player may not write in (a copy under Program Files, say): a rewrite needs a
// new file beside the old one, so it must fail whole and say so, while an append to a file the
// player may write still lands. Run as an unprivileged user, since root writes anywhere.
TEST_F(Store, AFolderThePlayerMayNotWriteInLosesNothing) {
    const std::string text = std::string(kBind) + "\r\n";
    Put(File(), text);
    fs::permissions(File(), fs::perms::all);
    fs::permissions(s.DataFolder(), fs::perms::owner_read | fs::perms::owner_exec | fs::perms::group_read |
                                        fs::perms::group_exec | fs::perms::others_read | fs::perms::others_exec);
    const pid_t child = fork();
    ASSERT_NE(child, -1);
    if (child == 0) {
        if (geteuid() == 0 && setuid(65534) != 0) _exit(10);
        int failed = 0;
        auto throws = [&](int bit, auto&& step) {
            try {
                step();
                failed |= bit;
            } catch (const StoreError& e) {
                if (e.Number() != 75) failed |= bit;
            }
        };
        throws(1, [&] { s.DeleteBind("ffa_bespin", "F5", "\"say hi; wait\""); });
        throws(2, [&] { s.ChangeBind("ffa_bespin", "F5", "\"say hi; wait\"", "x"); });
        throws(4, [&] { s.EnsureBindFile("new_map"); });
        try {
            s.AppendBind("ffa_bespin", "F6", "force_pull");
        } catch (...) {
            failed |= 8;
        }
        _exit(failed);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    fs::permissions(s.DataFolder(), fs::perms::owner_write, fs::perm_options::add);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0) << "1 delete, 2 change, 4 new file did not fail as 75; 8 append failed";
    EXPECT_EQ(Get(File()), text + "Bind F6 force_pull\r\n");
    EXPECT_EQ(RegularFiles(), 1u) << "no temporary file left, no new map file";
}
#endif

TEST_F(Store, DeleteBindRemovesEachMatchingLineWithItsBreak) {
    const std::string X = kBind;
    const std::tuple<const char*, std::string, std::string, int> cases[] = {
        {"first of several", X + "\r\nA\r\nB\r\n", "A\r\nB\r\n", 1},
        {"middle", "A\r\n" + X + "\r\nB\r\n", "A\r\nB\r\n", 1},
        {"last with break", "A\r\nB\r\n" + X + "\r\n", "A\r\nB\r\n", 1},
        {"last without break", "A\r\nB\r\n" + X, "A\r\nB", 1},
        {"only line", X + "\r\n", "", 1},
        {"only line without break", X, "", 1},
        {"duplicates", X + "\r\nA\r\n" + X + "\r\n" + X, "A", 3},
        {"lone breaks kept", "A\r" + X + "\nB\nC", "A\rB\nC", 1},
        {"last line takes a lone CR along", "A\nB\r" + X, "A\nB", 1},
        {"blank lines kept", "A\r\n\r\n" + X + "\r\n\r\nB", "A\r\n\r\n\r\nB", 1},
        {"ANSI bytes", "Bind \xE9\xFC \xE9\r\nBind \xE9\xFC \xFC\r\n", "Bind \xE9\xFC \xFC\r\n", 1},
        {"longer lines stay", X + " x\r\nx" + X + "\r\n " + X + "\n" + X + " \r", "", 0},
        {"case counts", "bind F5 \"say hi; wait\"\r\nBind f5 \"say hi; wait\"\r\nBind F5 \"SAY hi; wait\"",
         "", 0},
    };
    for (const auto& [name, before, after, count] : cases) {
        Put(File(), before);
        const bool ansi = std::string(name) == "ANSI bytes";
        EXPECT_EQ(ansi ? s.DeleteBind("ffa_bespin", "\xE9\xFC", "\xE9")
                       : s.DeleteBind("ffa_bespin", "F5", "\"say hi; wait\""),
                  count)
            << name;
        EXPECT_EQ(Get(File()), count ? after : before) << name;
    }
    EXPECT_EQ(RegularFiles(), 1u) << "a temporary file was left behind";
}

TEST_F(Store, ChangeBindReplacesOnlyWholeMatchingLines) {
    const std::string X = kBind, Y = "Bind F5 \"say bye\"";
    const std::tuple<const char*, std::string, std::string, int> cases[] = {
        {"first, breaks kept", X + "\rA\nB", Y + "\rA\nB", 1},
        {"last without break", "A\r\n" + X, "A\r\n" + Y, 1},
        {"duplicates and blanks", X + "\r\n\r\n" + X + "\n", Y + "\r\n\r\n" + Y + "\n", 2},
        {"near misses stay", X + " \r\nBind F5 \"say hi;  wait\"\r\nbind F5 \"say hi; wait\"", "", 0},
    };
    for (const auto& [name, before, after, count] : cases) {
        Put(File(), before);
        EXPECT_EQ(s.ChangeBind("ffa_bespin", "F5", "\"say hi; wait\"", "\"say bye\""), count) << name;
        EXPECT_EQ(Get(File()), count ? after : before) << name;
    }
    Put(File(), "Bind \xE9 \xFC\r\n");
    EXPECT_EQ(s.ChangeBind("ffa_bespin", "\xE9", "\xFC", "\xFC\xE9"), 1);
    EXPECT_EQ(Get(File()), "Bind \xE9 \xFC\xE9\r\n");
    EXPECT_EQ(RegularFiles(), 1u) << "a temporary file was left behind";
}

TEST_F(Store, FailuresCarryTheEngineErrorNumber) {
    const auto number = [](auto&& call) {
        try {
            call();
        } catch (const StoreError& e) {
            return e.Number();
        }
        return 0;
    };
    EXPECT_EQ(number([&] { textfile::ReadWhole(File("ffa_nowhere")); }), 53);
    EXPECT_FALSE(Present(File("ffa_nowhere")));
    const BindStore homeless((root_ / "gone" / "prog").string());  // its Data folder cannot exist
    EXPECT_EQ(number([&] { homeless.AppendBind("ffa_bespin", "F5", "kill"); }), 75);
    EXPECT_EQ(number([&] { homeless.AppendMap("ffa_bespin"); }), 75);
}

TEST(MapName, RefusesWhatCannotNameAFileInTheDataFolder) {
    const char* const refused[] = {"",
                                   ".",
                                   "..",
                                   "mp/ffa1",
                                   "mp\\ffa1",
                                   "a<b",
                                   "a>b",
                                   "c:ffa",
                                   "say\"hi",
                                   "a|b",
                                   "what?",
                                   "ffa*",
                                   "a;b",
                                   "tab\tbed",
                                   "\x1F"
                                   "x",
                                   "ffa.",
                                   "ffa ",
                                   "CON",
                                   "con.txt",
                                   "Lpt3",
                                   "aux.a.b",
                                   "nul",
                                   "PRN",
                                   "com1",
                                   "COM9",
                                   "LPT1",
                                   "lpt9.map",
                                   "Com5.",
                                   "\x7F"
                                   "\x01"};
    for (const char* name : refused) EXPECT_TRUE(MapNameProblem(name).has_value()) << '"' << name << '"';
    const char* const accepted[] = {"ffa_bespin", "ctf_yavin.v2",  "COM10",   "nul_arena",
                                    "LPT",        "com0",          "conduit", ".hidden",
                                    "a b",        "ffa_\xE9t\xE9", "x.con",   "duel_\x7F"};
    for (const char* name : accepted) EXPECT_EQ(MapNameProblem(name), std::nullopt) << '"' << name << '"';
}

TEST(SafeKey, RefusesWhatWouldBreakTheBindCommand) {
    const std::string refused[] = {" ",  "F 5", "\"", "a;b",  std::string(1, '\0'),
                                   "\t", "\r",  "\n", "\x1B", "\x7F"};
    for (const auto& key : refused) EXPECT_FALSE(IsSafeKey(key)) << key;
    const std::string accepted[] = {"", "F5", "MOUSE1", "KP_ENTER", "\xE9", "\xFC\xDF", "'", "["};
    for (const auto& key : accepted) EXPECT_TRUE(IsSafeKey(key)) << key;
}

#ifndef _WIN32
// A rewrite killed at any moment leaves one whole version of the file, never a part of one.
TEST_F(Store, KilledRewriteLeavesOneWholeVersion) {
    const std::string oldValue = "\"say hi\"", newValue = "\"say a much longer goodbye; wait 50; quit\"";
    std::string a, b;
    for (int i = 0; i < 200; ++i) {
        const bool moving = i % 3 == 0;
        a += (moving ? BindLine("F5", oldValue) : BindLine("K" + std::to_string(i), "v")) + "\r\n";
        b += (moving ? BindLine("F5", newValue) : BindLine("K" + std::to_string(i), "v")) + "\r\n";
    }
    Put(File(), a);
    // Kills land anywhere within about two rewrites of a running child, whatever a rewrite costs here.
    auto clock = std::chrono::steady_clock::now();
    for (int i = 0; i < 5; ++i) {
        s.ChangeBind("ffa_bespin", "F5", oldValue, newValue);
        s.ChangeBind("ffa_bespin", "F5", newValue, oldValue);
    }
    const auto rewrite =
        std::chrono::duration_cast<std::chrono::microseconds>(std::chrono::steady_clock::now() - clock) / 10;
    std::mt19937 random(20240611);
    std::uniform_int_distribution<long long> delayMicros(0, 2 * rewrite.count() + 100);
    int seenA = 0, seenB = 0;
    const auto start = std::chrono::steady_clock::now();
    for (int round = 0; round < 100; ++round) {
        int ready[2];
        ASSERT_EQ(pipe(ready), 0);
        const pid_t child = fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            try {
                for (bool first = true;; first = false) {
                    s.ChangeBind("ffa_bespin", "F5", oldValue, newValue);
                    s.ChangeBind("ffa_bespin", "F5", newValue, oldValue);
                    if (first && write(ready[1], "r", 1) != 1)
                        _exit(1);  // past the slow first touch after fork
                }
            } catch (...) {
            }
            _exit(1);
        }
        char byte = 0;
        ASSERT_EQ(read(ready[0], &byte, 1), 1);
        close(ready[0]), close(ready[1]);
        usleep(static_cast<useconds_t>(delayMicros(random)));
        kill(child, SIGKILL);
        int status = 0;
        ASSERT_EQ(waitpid(child, &status, 0), child);
        ASSERT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL)
            << "the rewriting child failed on its own";
        const std::string now = Get(File());
        ASSERT_TRUE(now == a || now == b) << "round " << round << ": " << now.size() << " bytes";
        (now == a ? seenA : seenB)++;
        ASSERT_LE(RegularFiles(), 2u) << "temporary files pile up";
    }
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(9));
    EXPECT_GT(seenA, 0);
    EXPECT_GT(seenB, 0);
}
#endif

}  // namespace
}  // namespace zarvik
