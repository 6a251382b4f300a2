#include "fakes.h"

#include <gtest/gtest.h>

namespace zarvik {
namespace {

using namespace testing;  // the engine's fakes

const std::string kMapReply = "\"mapname\" is:\"ffa_bespin\" default:\"nomap\"";
const std::string kSaved = "\"^6Bind Saved ^1(^7F5 ^1|^7 \"force_push\" ^1|^7 ffa_bespin^1)";
const std::string kConflict = "^1Conflict ^2detected for ^3Key: F5^2  Writing Anyway...";
const Sent kLoaded = Echo("^2All binds ^3successfully ^2loaded");
// On someone else's server the game's mapname stays "nomap"; the client's ui_about_mapname
// names the map.
const std::string kNomap = "\"mapname\" is:\"nomap\" default:\"nomap\"";
const std::string kClientMap = "\"ui_about_mapname\" is:\"ffa_bespin\" default:\"\"";

TEST(BindCapture, TakesTheKeyThenItsValueThenTheMap) {
    Rig rig;
    EXPECT_EQ(rig.TickOn("Padawan: !add f5"), Sends{Command("Bind F5")});
    rig.engine.State().LoadPending = true;
    EXPECT_EQ(rig.TickOn("\"F5\" = \"force_push\""), Sends{Command("\"mapname\"")});
    EXPECT_FALSE(rig.engine.State().LoadPending) << "a capture cancels a waiting load";
    EXPECT_EQ(rig.TickOn(kMapReply), Sends{Echo(kSaved)});
    EXPECT_EQ(testing::ReadFile(rig.binds.BindFilePath("ffa_bespin")), "Bind F5 \"force_push\"\r\n");
    EXPECT_FALSE(textfile::Exists(rig.binds.IndexPath())) << "the map index is the editing suite's";

    // Again: one warning per earlier line of the same key, and it is written anyway.
    rig.binds.AppendBind("ffa_bespin", "F50", "x");
    rig.binds.AppendBind("ffa_bespin", "f5", "y");  // the editing suite keeps the case typed
    rig.TickOn("\"F5\" = \"force_push\"");
    EXPECT_EQ(rig.TickOn(kMapReply), (Sends{Echo(kConflict), Echo(kSaved)}));
    EXPECT_EQ(rig.binds.ReadBindLines("ffa_bespin").back(), "Bind F5 \"force_push\"");
}

// Which names are refused is the store's test; here, that a refusal writes nothing and waits no
// more, nor does a save that failed.
TEST(BindCapture, AnUnusableMapNameIsRefusedForASaveAndALoadAndAFailedSaveIsForgotten) {
    Rig rig;
    rig.TickOn("Padawan: !add f5");
    rig.TickOn("\"F5\" = \"force_push\"");
    EXPECT_EQ(rig.TickOn("\"mapname\" is:\"..\\\\info\" default:\"nomap\""),
              Sends{Echo("^1Cannot ^3use this map name ^1for a bind file: ^7nothing was written")});
    EXPECT_FALSE(rig.engine.State().SavePending);
    EXPECT_TRUE(std::filesystem::is_empty(rig.binds.DataFolder()));

    rig.TickOn("Padawan: !load");
    rig.TickOn(kNomap);
    EXPECT_EQ(rig.TickOn("\"ui_about_mapname\" is:\"../../evil\" default:\"\"").at(0).text.rfind("^1Cannot", 0), 0u);
    EXPECT_FALSE(rig.engine.State().LoadPending);
    EXPECT_TRUE(std::filesystem::is_empty(rig.binds.DataFolder()));

    // A save that failed is reported and forgotten.
    std::filesystem::remove_all(rig.binds.DataFolder());
    rig.TickOn("Padawan: !add f5");
    rig.TickOn("\"F5\" = \"force_push\"");
    const Sends failed = rig.TickOn(kMapReply);
    EXPECT_EQ(failed.size() == 1 ? failed[0].text.rfind("^1Error: ^375 ^1|^3 BindStore", 0) : 1, 0u);

    // An hour later, on another map, the player asks for the map's name.
    rig.binds.EnsureFolder();
    rig.TickOn("Padawan: !mapname");
    EXPECT_EQ(rig.TickOn("\"mapname\" is:\"ctf_yavin\" default:\"nomap\""), Sends{});
    EXPECT_FALSE(textfile::Exists(rig.binds.BindFilePath("ctf_yavin")));
}

TEST(BindLoading, PlaysTheMapsFileBackInOrder) {
    Rig rig;
    // Lines as they stand: a blank line too, and no line end after the last.
    std::ofstream(rig.binds.BindFilePath("ffa_bespin"), std::ios::binary)
        << "Bind F5 \"force_push\"\r\n\r\nBind F6 say hi";
    rig.engine.State().SavePending = true;
    rig.options.checks[Option::TurnOff] = 1;
    EXPECT_EQ(rig.TickOn("Other: please !load"), Sends{Command("mapname")}) << "anyone's !load counts";
    EXPECT_FALSE(rig.engine.State().SavePending);
    EXPECT_EQ(rig.TickOn(kMapReply), Sends{Echo("!loadnow")});

    // The editing suite deletes a line while the load plays (its events run after each line):
    // the file is not held open meanwhile, and the load plays what the file held when it began.
    int deleted = -1;
    rig.pump.during = [&] {
        if (rig.console.sent.size() == 1) deleted = rig.binds.DeleteBind("ffa_bespin", "F6", "say hi");
    };
    EXPECT_EQ(rig.TickOn("!loadnow "), (Sends{Command("Bind F5 \"force_push\""), Command(""), Command("Bind F6 say hi"),
                                              Command("echo !off"), kLoaded, Echo("^7Zarvik is now ^1off")}));
    EXPECT_EQ(deleted, 1) << "run between the lines, on a file not held open";
    EXPECT_FALSE(rig.engine.State().TurnedOn) << "TurnOff switches off after the success message";
    EXPECT_EQ(rig.store.writes.back(), "Power=0");
}

TEST(BindLoading, AnEmptyOrMissingFileGivesTheNoDataMessages) {
    const Sends noData = {Echo("^1No ^3Data"), Echo("^1Unable ^2to load binds")};
    Rig rig;
    rig.engine.State().LoadMap = "ctf_yavin";
    EXPECT_EQ(rig.TickOn("!loadnow"), noData);
    EXPECT_TRUE(textfile::Exists(rig.binds.BindFilePath("ctf_yavin"))) << "created empty";

    rig.options.checks[Option::TurnOff] = 1;
    rig.engine.State().LoadMap.clear();  // no map name reply yet
    EXPECT_EQ(rig.TickOn("Padawan: !loadnow"), (Sends{noData[0], noData[1], Command("echo !off")}));
    EXPECT_TRUE(rig.engine.State().TurnedOn) << "the game's !off switches it off on a later tick";
    EXPECT_FALSE(textfile::Exists(rig.binds.BindFilePath("")));
}

TEST(NameTracking, TakesTheNameFromTheGamesReplyAndRenameAndStartsTheLoadAfterEntering) {
    Rig rig;
    EXPECT_EQ(rig.TickOn("\"name\" is:\"Kyle Katarn\" default:\"Padawan\""), Sends{Echo("^4Name Setting ^2Updated")});
    EXPECT_EQ(rig.name.text, "Kyle Katarn");
    // A rename is taken once the game confirms it: a player may be named like one.
    EXPECT_EQ(rig.TickOn("Kyle Katarn renamed to Jan Ors entered the game"), Sends{Command("name")});
    EXPECT_EQ(rig.TickOn("\"name\" is:\"Kyle Katarn\" default:\"Padawan\""), Sends{});
    EXPECT_EQ(rig.name.text, "Kyle Katarn");
    EXPECT_EQ(rig.TickOn("Kyle Katarn renamed to Jan Ors"), Sends{Command("name")});
    EXPECT_EQ(rig.name.text, "Kyle Katarn");
    EXPECT_EQ(rig.TickOn("\"name\" is:\"Jan Ors\" default:\"Padawan\""), Sends{Echo("^4Name Setting ^2Changed")});
    EXPECT_EQ(rig.name.text, "Jan Ors");
    EXPECT_EQ(rig.TickOn("Kyle Katarn renamed to Nobody"), Sends{}) << "only the player's own rename";

    // Today's clients say so when the name is the default, instead of naming it again.
    EXPECT_EQ(rig.TickOn("\"name\" is:\"Padawan\" (the default)"), Sends{Echo("^4Name Setting ^2Updated")});
    EXPECT_EQ(rig.name.text, "Padawan");

    EXPECT_EQ(rig.TickOn("\"name\" is:\"x\""),
              Sends{Echo("^1Error: ^35 ^1|^3 NameReply ^1|^3 Invalid procedure call or argument")});
    EXPECT_EQ(rig.name.text, "Padawan");

    // After entering, the name reply starts the load once AutoLoad is on.
    rig.options.checks[Option::AutoLoad] = 0;
    rig.TickOn("Padawan entered the game");
    EXPECT_EQ(rig.TickOn("\"name\" is:\"Padawan\" default:\"Padawan\""), Sends{Echo("^4Name Setting ^2Updated")});
    EXPECT_TRUE(rig.engine.State().LoadAfterName) << "waits for AutoLoad";

    rig.options.checks[Option::AutoLoad] = 1;
    EXPECT_EQ(rig.TickOn("\"name\" is:\"Padawan\" default:\"Padawan\""),
              (Sends{Echo("^4Name Setting ^2Updated"), Echo(" !load")}));
    EXPECT_FALSE(rig.engine.State().LoadAfterName);
    EXPECT_EQ(rig.TickOn(" !load "), Sends{Command("mapname")});
}

TEST(RemoteServer, ACaptureAndALoadFollowTheClientsMapName) {
    Rig rig;
    rig.TickOn("Padawan: !add f5");
    rig.TickOn("\"F5\" = \"force_push\"");
    EXPECT_EQ(rig.TickOn(kNomap), Sends{Command("ui_about_mapname")});
    EXPECT_EQ(rig.TickOn(kClientMap), Sends{Echo(kSaved)});
    EXPECT_EQ(testing::ReadFile(rig.binds.BindFilePath("ffa_bespin")), "Bind F5 \"force_push\"\r\n");

    rig.TickOn("Padawan: !load");
    EXPECT_EQ(rig.TickOn(kNomap), Sends{Command("ui_about_mapname")});
    EXPECT_EQ(rig.TickOn(kClientMap), Sends{Echo("!loadnow")});
    EXPECT_EQ(rig.TickOn("!loadnow "), (Sends{Command("Bind F5 \"force_push\""), kLoaded}));

    // Nothing waits: neither reply does anything, as a bare mapname reply does nothing.
    for (const std::string& reply : {kNomap, kClientMap}) EXPECT_EQ(rig.TickOn(reply), Sends{});

    // On no server at all the client's name is empty: the bind goes to nomap, as before. A value
    // with semicolons is confirmed without its quotes, and kept with them.
    rig.TickOn("Padawan: !add f5");
    rig.TickOn("\"F5\" = \"+attack;wait;-attack\"");
    rig.TickOn(kNomap);
    EXPECT_EQ(rig.TickOn("\"ui_about_mapname\" is:\"\" default:\"\"").at(0).text,
              "\"^6Bind Saved ^1(^7F5 ^1|^7 +attack;wait;-attack ^1|^7 nomap^1)");
    EXPECT_EQ(rig.binds.ReadBindLines("nomap"), std::vector<std::string>{"Bind F5 \"+attack;wait;-attack\""});
}

}  // namespace
}  // namespace zarvik
