// The editing suite on a real bind store in a folder of its own, the boxes answered by a script.
#include "app/window-rules/EditingSuite.h"
#include "tests/engine/fakes.h"
#include "tests/window-rules/scripted_dialogs.h"

#include <gtest/gtest.h>

namespace zarvik {
namespace {

using Keys = std::vector<std::string>;

struct Suite : ::testing::Test {
    std::string Data(const std::string& name) const { return folder.path() + "/Data/" + name; }
    std::string Read(const std::string& name) const { return testing::ReadFile(Data(name)); }
    void Write(const std::string& name, const std::string& text) {
        std::filesystem::create_directories(folder.path() + "/Data");
        std::ofstream(Data(name), std::ios::binary) << text;
    }
    // The map's keys, as List2 shows them after the map is clicked.
    Keys Open(int map) {
        suite.SelectMap(map);
        return suite.View().keys;
    }

    testing::TempFolder folder;
    testing::FakeOptions options;
    ScriptedDialogs dialogs;
    int settingsLoads = 0;
    EditingSuite suite{folder.path(), options, dialogs, [this] { ++settingsLoads; }};
};

TEST_F(Suite, BrowsesMapsKeysAndValues) {
    Write("data.txt", "ffa_bespin\r\n\r\nctf_yavin\r\n../evil\r\n");
    Write("ffa_bespin.txt", "Bind F5 force_push\r\n\r\nBind X say hello there\r\n");
    Write("ctf_yavin.txt", "\r\n\r\n");
    Write("t1_rail.txt", "Bind F6 force_pull\r\n");  // captured in the game: no line in the index
    Write("mp_duel.txt", "");                        // joined only: auto-load made it empty
    Write("ffa_deathstar.txt", "\r\n \r\n");
    Write("(no data).txt", "Bind F7 a\r\n");
    Write("CTF_Yavin.txt", "Bind F7 a\r\n");
    suite.Load();
    EXPECT_EQ(settingsLoads, 1) << "every load reads the settings again";
    EXPECT_EQ(suite.View().maps, (Keys{"ffa_bespin", "", "ctf_yavin", "../evil", "t1_rail"}))
        << "blank lines stay as entries; a bind file with binds gets a line unless Add would refuse its name";
    EXPECT_EQ(Read("data.txt"), "ffa_bespin\r\n\r\nctf_yavin\r\n../evil\r\nt1_rail\r\n");

    EXPECT_EQ(Open(0), (Keys{"F5", "X"})) << "the blank line takes no place";
    suite.SelectKey(1);
    EXPECT_EQ(suite.View().value, "say hello there");

    EXPECT_EQ(Open(2), Keys{}) << "blank lines only: not empty, so no placeholder";
    EXPECT_EQ(Open(3), Keys{}) << "shown, but its file is neither made nor read";
    suite.EditFile();
    EXPECT_EQ(dialogs.shown.back(),
              "Zarvik will not open the binds of map \"../evil\": the map name holds the character /.");
    EXPECT_TRUE(dialogs.started.empty());
    EXPECT_FALSE(std::filesystem::exists(folder.path() + "/evil.txt"));
}

TEST_F(Suite, AnIndexThatTakesNoMapListsTheMapsBesideItAndSaysWhyOnce) {
    Write("data.txt", "ffa_bespin\r\n");
    Write("t1_rail.txt", "Bind F6 force_pull\r\n");
    Write("mp_duel.txt", "Bind F7 a\r\n");
    std::filesystem::permissions(Data("data.txt"), std::filesystem::perms::owner_write,
                                 std::filesystem::perm_options::remove);
    suite.Load();
    EXPECT_EQ(suite.View().maps, (Keys{"ffa_bespin", "mp_duel", "t1_rail"}));
    EXPECT_EQ(Read("data.txt"), "ffa_bespin\r\n");
    EXPECT_EQ(dialogs.shown, std::vector<std::string>{"Zarvik could not update its list of maps: " + Data("data.txt") +
                                                      " is marked read-only.\nThe maps with binds in the Data "
                                                      "folder are listed all the same."});

    // No data.txt, and none can be made in its place.
    std::filesystem::remove(Data("data.txt"));
    std::filesystem::create_directory(Data("data.txt"));
    suite.Reload();
    EXPECT_EQ(suite.View().maps, (Keys{"mp_duel", "t1_rail"}));
    ASSERT_EQ(dialogs.shown.size(), 2u);
    EXPECT_EQ(dialogs.shown[1].rfind("Zarvik could not update its list of maps: Path/File access error: ", 0), 0u);
}

TEST_F(Suite, AddsAMapAndABindAskingAgainForNamesItCannotUse) {
    suite.Load();
    dialogs.answers = {"my map", "..", "ffa_bespin", "F 5", "a;b", "F5", "say hello there"};
    suite.Add();
    // Every message, without the input boxes asking again.
    std::vector<std::string> told;
    std::copy_if(dialogs.shown.begin(), dialogs.shown.end(), std::back_inserter(told),
                 [](const std::string& box) { return box.find("|Enter the ") == std::string::npos; });
    EXPECT_EQ(told, (std::vector<std::string>{
                        "Map's Name is not allowed to contain any spaces",
                        "That map name cannot be used: the map name would leave the Data folder.",
                        "Bind Key is not allowed to contain any spaces",
                        "Bind Key is not allowed to contain double quotes, semicolons or control characters",
                        "Bind Added!",
                    }));
    EXPECT_EQ(dialogs.shown.size(), 12u) << "each refusal asks again";
    EXPECT_EQ(Read("data.txt"), "ffa_bespin\r\n");
    EXPECT_EQ(Read("ffa_bespin.txt"), "Bind F5 say hello there\r\n");

    // Given up at the key: the map and its empty file stay.
    Open(0);
    dialogs.answers = {"ctf_yavin", ""};
    suite.Add();
    EXPECT_EQ(dialogs.shown.back(), "Bind Key was blank.");
    EXPECT_EQ(Read("data.txt"), "ffa_bespin\r\nctf_yavin\r\n");
    EXPECT_EQ(Read("ctf_yavin.txt"), "");
    EXPECT_EQ(dialogs.shown[dialogs.shown.size() - 3], "Add Bind|Enter the map:|ffa_bespin")
        << "the selected map is the default answer";
}

// The plain add, change and delete are tested through the window's controls under Wine.
TEST_F(Suite, ADeleteRemovesOnlyTheListedLineNeverThePlaceholderAndSaysWhenItFindsNone) {
    Write("data.txt", "m\r\n");
    suite.Load();
    Write("m.txt", "Bind F5 a");
    Open(0);
    suite.SelectKey(0);
    dialogs.yes = {false};
    suite.Delete(46);
    EXPECT_EQ(Read("m.txt"), "Bind F5 a") << "No keeps it";
    BindStore(folder.path()).AppendBind("m", "F6", "\"force_pull\"");  // the engine's capture meanwhile
    dialogs.yes = {true};
    suite.Delete(46);
    EXPECT_EQ(Read("m.txt"), "Bind F6 \"force_pull\"\r\n") << "the only bind listed: its line goes, no other";
    Write("m.txt", "");
    EXPECT_EQ(Open(0), Keys{kNoData});
    suite.SelectKey(0);
    const auto shown = dialogs.shown.size();
    suite.Delete(46);
    EXPECT_EQ(dialogs.shown.size(), shown) << "the placeholder is not deleted, not asked about";

    // A change or delete that finds no line says so: a line the list shows but that is not
    // written "Bind ", or a line edited since the list was filled.
    Write("m.txt", "bind F5 x\r\n");
    Open(0);
    suite.SelectKey(0);
    Write("m.txt", "bind F5 x\r\nBind F5 y\r\n");
    for (const bool deleting : {false, true}) {
        suite.ValueChanged("z");
        dialogs.yes = {true};
        deleting ? suite.Delete(46) : suite.ChangeValue();
        EXPECT_EQ(Read("m.txt"), "bind F5 x\r\nBind F5 y\r\n");
        const std::string told = dialogs.shown.empty() ? "" : dialogs.shown.back();
        EXPECT_EQ(told.rfind("No line \"Bind F5 x\" was found in ", 0), 0u) << told;
        suite.SelectKey(0);
    }
}

TEST_F(Suite, StartsTheEditorWithPathsThatSurviveBlanks) {
    Write("data.txt", "ffa_bespin\r\n");
    suite.Load();
    Open(0);
    options.editor = "C:\\Program Files\\Notepad++\\notepad++.exe";
    dialogs.starts = {StartResult::NotFound};
    dialogs.yes = {true};
    dialogs.chosenEditor = "C:\\Windows\\notepad.exe";
    suite.EditFile();
    const std::string file = QuotedIfBlank(folder.path() + "/Data/ffa_bespin.txt");
    EXPECT_EQ(dialogs.started, (std::vector<std::string>{"\"C:\\Program Files\\Notepad++\\notepad++.exe\" " + file,
                                                         "C:\\Windows\\notepad.exe " + file}));
    EXPECT_EQ(options.editor, "C:\\Windows\\notepad.exe") << "browsed";

    options.editor = "";
    dialogs.started.clear();
    dialogs.yes = {true};
    suite.EditFile();
    EXPECT_EQ(dialogs.started, std::vector<std::string>{"C:\\Windows\\notepad.exe " + file})
        << "an empty box is a missing editor: the question, then Browse";
    EXPECT_EQ(QuotedIfBlank("\"C:\\My Games\\ed.exe\""), "\"C:\\My Games\\ed.exe\"") << "quoted once";
}

}  // namespace
}  // namespace zarvik
