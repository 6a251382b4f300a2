#include "fakes.h"

#include <gtest/gtest.h>

#include <fstream>

namespace zarvik {
namespace {

using testing::Command;
using testing::Echo;
using testing::Rig;
using testing::Sent;
using Sends = std::vector<Sent>;

const std::string kMapReply = "\"mapname\" is:\"ffa_bespin\" default:\"nomap\"";
const std::string kSaved = "\"^6Bind Saved ^1(^7F5 ^1|^7 \"force_push\" ^1|^7 ffa_bespin^1)";
const std::string kConflict = "^1Conflict ^2detected for ^3Key: F5^2  Writing Anyway...";

std::string FileText(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

TEST(BindCapture, TakesTheKeyThenItsValueThenTheMap) {
    Rig rig;
    EXPECT_EQ(rig.TickOn("Padawan: !add f5"), Sends{Command("Bind F5")});
    EXPECT_EQ(rig.engine.State().BindKey, "F5");
    rig.engine.State().LoadPending = true;
    EXPECT_EQ(rig.TickOn("\"F5\" = \"force_push\""), Sends{Command("\"mapname\"")});
    EXPECT_EQ(rig.engine.State().BindValue, "\"force_push\"");
    EXPECT_TRUE(rig.engine.State().SavePending);
    EXPECT_FALSE(rig.engine.State().LoadPending) << "a capture cancels a waiting load";

    EXPECT_EQ(rig.TickOn(kMapReply), Sends{Echo(kSaved)});
    EXPECT_FALSE(rig.engine.State().SavePending);
    EXPECT_EQ(FileText(rig.binds.BindFilePath("ffa_bespin")), "Bind F5 \"force_push\"\r\n");
    EXPECT_FALSE(textfile::Exists(rig.binds.IndexPath())) << "the map index is the editing suite's";

    // The same again: one warning for the earlier line, and it is written anyway.
    rig.TickOn("\"F5\" = \"force_push\"");
    EXPECT_EQ(rig.TickOn(kMapReply), (Sends{Echo(kConflict), Echo(kSaved)}));
    EXPECT_EQ(FileText(rig.binds.BindFilePath("ffa_bespin")), "Bind F5 \"force_push\"\r\nBind F5 \"force_push\"\r\n");
}

TEST(BindCapture, WarnsOnlyForLinesOfTheSameKey) {
    Rig rig;
    rig.binds.AppendBind("ffa_bespin", "F50", "x");
    rig.binds.AppendBind("ffa_bespin", "f5", "y");  // the editing suite keeps the case typed
    rig.binds.AppendBind("ffa_bespin", "F5", "z");
    rig.engine.State().BindKey = "F5";
    rig.TickOn("\"F5\" = \"force_push\"");
    EXPECT_EQ(rig.TickOn(kMapReply), (Sends{Echo(kConflict), Echo(kSaved)}));
}

TEST(BindCapture, RefusesRequestsThatCannotBeTypedSafely) {
    Rig rig;
    for (const char* line : {"Padawan: !add f5;quit", "Padawan: !add f5 quit", "Padawan: !add \"f5\""}) {
        const Sends sent = rig.TickOn(line);
        ASSERT_EQ(sent.size(), 1u) << line;
        EXPECT_FALSE(sent[0].asCommand) << line;
        EXPECT_EQ(sent[0].text.find("quit"), std::string::npos);
        EXPECT_EQ(rig.engine.State().BindKey, "") << line;
    }
    // A bare request: the error trap reports it.
    EXPECT_EQ(rig.TickOn("Padawan: !add"),
              Sends{Echo("^1Error: ^35 ^1|^3 BindRequest ^1|^3 Invalid procedure call or argument")});
    EXPECT_EQ(rig.errors.lines.size(), 1u);
    // Only a blank after it: an empty key, asked for as the game would take it.
    EXPECT_EQ(rig.TickOn("Padawan: !add "), Sends{Command("Bind ")});
}

TEST(BindCapture, OnlyTheGamesOwnRepliesCount) {
    Rig rig;
    rig.engine.State().BindKey = "F5";
    rig.engine.State().SavePending = true;
    for (const char* line : {"Other: \"F5\" = \"quit\"", "Other: \"mapname\" is:\"evil\" default:\"x\"",
                             "Other: \"name\" is:\"Other\" default:\"x\""})
        EXPECT_EQ(rig.TickOn(line), Sends{}) << line;
    EXPECT_EQ(rig.name.text, "Padawan");
    EXPECT_EQ(rig.engine.State().BindValue, "");
    EXPECT_FALSE(textfile::Exists(rig.binds.BindFilePath("evil")));
}

TEST(BindCapture, NeverWritesOutsideTheDataFolderOrToADeviceName) {
    for (const char* reply : {"\"mapname\" is:\"..\\\\info\" default:\"nomap\"", "\"mapname\" is:\"con\" default:\"x\"",
                              "\"mapname\" is:\"\" default:\"nomap\"", "\"mapname\" broken reply"}) {
        Rig rig;
        rig.engine.State().BindKey = "F5";
        rig.engine.State().BindValue = "\"force_push\"";
        rig.engine.State().SavePending = true;
        const Sends sent = rig.TickOn(reply);
        ASSERT_EQ(sent.size(), 1u) << reply;
        EXPECT_EQ(sent[0].text.rfind("^1Cannot", 0), 0u) << reply;
        EXPECT_FALSE(rig.engine.State().SavePending);
        EXPECT_TRUE(std::filesystem::is_empty(rig.binds.DataFolder())) << reply;
    }
}

TEST(BindCapture, AValueWithSemicolonsIsConfirmedWithoutItsQuotes) {
    Rig rig;
    rig.engine.State().BindKey = "F5";
    rig.TickOn("\"F5\" = \"+attack;wait;-attack\"");
    EXPECT_EQ(rig.TickOn(kMapReply),
              Sends{Echo("\"^6Bind Saved ^1(^7F5 ^1|^7 +attack;wait;-attack ^1|^7 ffa_bespin^1)")});
    EXPECT_EQ(FileText(rig.binds.BindFilePath("ffa_bespin")), "Bind F5 \"+attack;wait;-attack\"\r\n");
}

TEST(BindCapture, ASaveThatFailedIsReportedAndForgotten) {
    Rig rig;
    std::filesystem::remove_all(rig.binds.DataFolder());
    rig.engine.State().BindKey = "F5";
    rig.TickOn("\"F5\" = \"force_push\"");
    const Sends sent = rig.TickOn(kMapReply);
    ASSERT_EQ(sent.size(), 1u);
    EXPECT_EQ(sent[0].text.rfind("^1Error: ^375 ^1|^3 BindStore", 0), 0u) << sent[0].text;

    // An hour later, on another map, the player asks for the map's name.
    rig.binds.EnsureFolder();
    rig.TickOn("Padawan: !mapname");
    EXPECT_EQ(rig.TickOn("\"mapname\" is:\"ctf_yavin\" default:\"nomap\""), Sends{});
    EXPECT_FALSE(textfile::Exists(rig.binds.BindFilePath("ctf_yavin")));
}

TEST(BindLoading, PlaysTheMapsFileBackInOrder) {
    Rig rig;
    rig.binds.AppendBind("ffa_bespin", "F5", "\"force_push\"");
    rig.binds.AppendBind("ffa_bespin", "F6", "say hi");
    rig.engine.State().SavePending = true;
    EXPECT_EQ(rig.TickOn("Other: please !load"), Sends{Command("mapname")}) << "anyone's !load counts";
    EXPECT_TRUE(rig.engine.State().LoadPending);
    EXPECT_FALSE(rig.engine.State().SavePending);
    EXPECT_EQ(rig.TickOn(kMapReply), Sends{Echo("!loadnow")});
    EXPECT_EQ(rig.engine.State().LoadMap, "ffa_bespin");

    rig.pump.runs = 0;
    EXPECT_EQ(rig.TickOn("!loadnow "), (Sends{Command("Bind F5 \"force_push\""), Command("Bind F6 say hi"),
                                              Echo("^2All binds ^3successfully ^2loaded")}));
    EXPECT_GE(rig.pump.runs, 2) << "events run after each line";
    EXPECT_TRUE(rig.engine.State().TurnedOn);
}

TEST(BindLoading, TurnOffSwitchesOffAfterTheSuccessMessage) {
    Rig rig;
    rig.options.checks[Option::TurnOff] = 1;
    rig.binds.AppendBind("ffa_bespin", "F5", "x");
    rig.engine.State().LoadMap = "ffa_bespin";
    EXPECT_EQ(rig.TickOn("!loadnow"), (Sends{Command("Bind F5 x"), Command("echo !off"),
                                             Echo("^2All binds ^3successfully ^2loaded"),
                                             Echo("^7Zarvik is now ^1off")}));
    EXPECT_FALSE(rig.engine.State().TurnedOn);
    EXPECT_EQ(rig.options.checks[Option::Power], 0);
    EXPECT_EQ(rig.store.writes.back(), "Power=0");
}

TEST(BindLoading, AnEmptyOrMissingFileGivesTheNoDataMessages) {
    Rig rig;
    rig.engine.State().LoadMap = "ctf_yavin";
    EXPECT_EQ(rig.TickOn("!loadnow"), (Sends{Echo("^1No ^3Data"), Echo("^1Unable ^2to load binds")}));
    EXPECT_TRUE(textfile::Exists(rig.binds.BindFilePath("ctf_yavin"))) << "created empty";

    rig.options.checks[Option::TurnOff] = 1;
    std::filesystem::remove_all(rig.binds.DataFolder());
    EXPECT_EQ(rig.TickOn("!loadnow"),
              (Sends{Echo("^1No ^3Data"), Echo("^1Unable ^2to load binds"), Command("echo !off")}));
    EXPECT_TRUE(rig.engine.State().TurnedOn) << "the game's !off switches it off on a later tick";

    rig.engine.State().LoadMap.clear();  // no map name reply yet
    EXPECT_EQ(rig.TickOn("Padawan: !loadnow"),
              (Sends{Echo("^1No ^3Data"), Echo("^1Unable ^2to load binds"), Command("echo !off")}));
    EXPECT_FALSE(textfile::Exists(rig.binds.BindFilePath("")));
}

TEST(BindLoading, BlankLinesAndOddLinesArePlayedAsTheyStand) {
    Rig rig;
    {
        std::ofstream(rig.binds.BindFilePath("ffa_bespin"), std::ios::binary) << "Bind F5 x\r\n\r\nseta cg_fov 100";
    }
    rig.engine.State().LoadMap = "ffa_bespin";
    EXPECT_EQ(rig.TickOn("!loadnow"), (Sends{Command("Bind F5 x"), Command(""), Command("seta cg_fov 100"),
                                             Echo("^2All binds ^3successfully ^2loaded")}));
}

TEST(NameTracking, TakesTheNameFromTheGamesReplyAndRename) {
    Rig rig;
    EXPECT_EQ(rig.TickOn("\"name\" is:\"Kyle Katarn\" default:\"Padawan\""), Sends{Echo("^4Name Setting ^2Updated")});
    EXPECT_EQ(rig.name.text, "Kyle Katarn");
    EXPECT_EQ(rig.TickOn("Kyle Katarn renamed to Jan Ors"), Sends{Echo("^4Name Setting ^2Changed")});
    EXPECT_EQ(rig.name.text, "Jan Ors");
    EXPECT_EQ(rig.TickOn("Kyle Katarn renamed to Nobody"), Sends{}) << "only the player's own rename";

    EXPECT_EQ(rig.TickOn("\"name\" is:\"x\""),
              Sends{Echo("^1Error: ^35 ^1|^3 NameReply ^1|^3 Invalid procedure call or argument")});
    EXPECT_EQ(rig.name.text, "Jan Ors");
}

TEST(NameTracking, AfterEnteringTheNameReplyStartsTheLoadWhenAutoLoadIsOn) {
    Rig rig;
    rig.options.checks[Option::AutoLoad] = 0;
    rig.TickOn("Padawan entered the game");
    EXPECT_EQ(rig.TickOn("\"name\" is:\"Padawan\" default:\"Padawan\""), Sends{Echo("^4Name Setting ^2Updated")});
    EXPECT_TRUE(rig.engine.State().LoadAfterName) << "waits for AutoLoad";

    rig.options.checks[Option::AutoLoad] = 1;
    EXPECT_EQ(rig.TickOn("\"name\" is:\"Padawan\" default:\"Padawan\""),
              (Sends{Echo("^4Name Setting ^2Updated"), Echo(" !load")}));
    EXPECT_FALSE(rig.engine.State().LoadAfterName);
    EXPECT_EQ(rig.TickOn(" !load "), Sends{Command("mapname")});
    EXPECT_TRUE(rig.engine.State().LoadPending);
}

// On someone else's server the game's mapname stays "nomap"; the client's ui_about_mapname
// names the map.
const std::string kNomap = "\"mapname\" is:\"nomap\" default:\"nomap\"";
const std::string kClientMap = "\"ui_about_mapname\" is:\"ffa_bespin\" default:\"\"";

TEST(RemoteServer, ACaptureAndALoadFollowTheClientsMapName) {
    Rig rig;
    rig.TickOn("Padawan: !add f5");
    rig.TickOn("\"F5\" = \"force_push\"");
    EXPECT_EQ(rig.TickOn(kNomap), Sends{Command("ui_about_mapname")});
    EXPECT_TRUE(rig.engine.State().SavePending) << "the capture still waits";
    EXPECT_EQ(rig.TickOn(kClientMap), Sends{Echo(kSaved)});
    EXPECT_EQ(FileText(rig.binds.BindFilePath("ffa_bespin")), "Bind F5 \"force_push\"\r\n");
    EXPECT_FALSE(textfile::Exists(rig.binds.BindFilePath("nomap")));

    rig.TickOn("Padawan: !load");
    EXPECT_EQ(rig.TickOn(kNomap), Sends{Command("ui_about_mapname")});
    EXPECT_TRUE(rig.engine.State().LoadPending);
    EXPECT_EQ(rig.TickOn(kClientMap), Sends{Echo("!loadnow")});
    EXPECT_EQ(rig.TickOn("!loadnow "),
              (Sends{Command("Bind F5 \"force_push\""), Echo("^2All binds ^3successfully ^2loaded")}));

    // Nothing waits: neither reply does anything, as a bare mapname reply does nothing.
    EXPECT_EQ(rig.TickOn(kNomap), Sends{});
    EXPECT_EQ(rig.TickOn(kClientMap), Sends{});
}

TEST(RemoteServer, OnNoServerAtAllTheBindGoesToNomapAsBefore) {
    Rig rig;
    rig.TickOn("Padawan: !add f5");
    rig.TickOn("\"F5\" = \"force_push\"");
    rig.TickOn(kNomap);
    EXPECT_EQ(rig.TickOn("\"ui_about_mapname\" is:\"\" default:\"\""),
              Sends{Echo("\"^6Bind Saved ^1(^7F5 ^1|^7 \"force_push\" ^1|^7 nomap^1)")});
    EXPECT_EQ(FileText(rig.binds.BindFilePath("nomap")), "Bind F5 \"force_push\"\r\n");
    EXPECT_EQ(rig.TickOn(kNomap), Sends{}) << "no second query once nothing waits";
}

TEST(RemoteServer, TheClientsAnswerIsCheckedLikeAnyMapName) {
    Rig rig;
    rig.TickOn("Padawan: !load");
    rig.TickOn(kNomap);
    const Sends sent = rig.TickOn("\"ui_about_mapname\" is:\"../../evil\" default:\"\"");
    ASSERT_EQ(sent.size(), 1u);
    EXPECT_EQ(sent[0].text.rfind("^1Cannot ^3use this map name", 0), 0u);
    EXPECT_FALSE(rig.engine.State().LoadPending);
    EXPECT_EQ(rig.TickOn("Kyle: \"ui_about_mapname\" is:\"ffa_bespin\" default:\"\""), Sends{})
        << "another player's chat is no answer of the game";
}

TEST(RemoteServer, ACaptureAndALoadThatInterruptEachOther) {
    // A load asked for while the capture waits for the client's map name: the late answer
    // serves the load, and the capture is dropped as it is on the player's own server.
    Rig rig;
    rig.binds.AppendBind("ffa_bespin", "F6", "say hi");
    rig.TickOn("Padawan: !add f5");
    rig.TickOn("\"F5\" = \"force_push\"");
    rig.TickOn(kNomap);
    EXPECT_EQ(rig.TickOn("Padawan: !load"), Sends{Command("mapname")});
    EXPECT_EQ(rig.TickOn(kClientMap), Sends{Echo("!loadnow")});
    EXPECT_EQ(rig.TickOn(kNomap), Sends{}) << "the load's own reply finds nothing waiting";
    EXPECT_EQ(FileText(rig.binds.BindFilePath("ffa_bespin")), "Bind F6 say hi\r\n");

    // A capture answered while the load waits for the client's map name: the answer saves.
    rig.TickOn("Padawan: !load");
    rig.TickOn(kNomap);
    rig.TickOn("\"F5\" = \"force_push\"");
    EXPECT_EQ(rig.TickOn(kClientMap), Sends{Echo(kSaved)});
    EXPECT_FALSE(rig.engine.State().LoadPending);
    EXPECT_EQ(rig.TickOn(kNomap), Sends{});
    EXPECT_EQ(FileText(rig.binds.BindFilePath("ffa_bespin")), "Bind F6 say hi\r\nBind F5 \"force_push\"\r\n");
}

TEST(RemoteServer, OnThePlayersOwnServerNothingChanges) {
    Rig rig;
    rig.TickOn("Padawan: !load");
    EXPECT_EQ(rig.TickOn(kMapReply), Sends{Echo("!loadnow")}) << "no query when mapname knows the map";
}

}  // namespace
}  // namespace zarvik
