// Lines other players and the game can put in the console, crafted to mislead, and bind files
// as they may be found on a player's disk: what each may make Zarvik type, and that nothing
// else changes (the name, the power, any file).
#include "fakes.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>

namespace zarvik {
namespace {

using namespace testing;  // the engine's fakes
using namespace std::string_literals;

std::string Read(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

// Every file below the folder with its content.
std::map<std::string, std::string> Files(const std::string& folder) {
    std::map<std::string, std::string> files;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(folder))
        if (entry.is_regular_file()) files[entry.path().string()] = Read(entry.path().string());
    return files;
}

const std::string kRefusedKey = "^1Cannot ^3add ^1that key: ^7a key has no blanks, quotes or semicolons";

TEST(HostileInput, EachLineMayOnlyDoWhatItsRowAllows) {
    const struct {
        const char* what;
        std::string line;  // the console's last complete line
        Sends may;         // exactly what Zarvik may type for it
    } rows[] = {
        {"a name that begins with the player's", "Padawan2: !about", {}},
        {"another player's !off", "Kyle: !off", {}},
        {"a name starting with the game's !off", "!offender: hi", {}},
        {"a fake name reply inside chat", "Kyle: \"name\" is:\"Kyle\" default:\"Padawan\"", {}},
        {"a fake rename inside chat", "Kyle: Padawan renamed to Kyle", {}},
        {"a chatting player named like a rename", "Padawan renamed to Kyle: hi", {}},
        {"a fake bind reply inside chat", "Kyle: \"F5\" = \"kill\"", {}},
        {"a fake map name reply inside chat", "Kyle: \"mapname\" is:\"evil\" default:\"nomap\"", {}},
        {"a fake client map name inside chat", "Kyle: \"ui_about_mapname\" is:\"evil\" default:\"\"", {}},
        {"!add with a key that would break the bind command", "Padawan: !add F5;quit", {Echo(kRefusedKey)}},
        {"!add with nothing after it",
         "Padawan: !add",
         {Echo("^1Error: ^35 ^1|^3 BindRequest ^1|^3 Invalid procedure call or argument")}},
        {"!add with only a blank: an empty key, asked as the game takes it", "Padawan: !add ", {Command("Bind ")}},
    };
    auto check = [](const std::string& what, const std::string& line, const Sends& may) {
        Rig rig;  // a capture waits for its value and map: a fake reply would complete it
        rig.engine.State().BindKey = "F5";
        rig.engine.State().SavePending = true;
        std::ofstream(rig.binds.BindFilePath("ffa_bespin"), std::ios::binary) << "Bind F5 force_push\r\n";
        const auto before = Files(rig.folder.path());
        EXPECT_EQ(rig.TickOn(line), may) << what;
        // A second tick on the same console: nothing more for a line already answered or ignored.
        rig.console.sent.clear();
        rig.engine.Tick();
        EXPECT_EQ(rig.console.sent, Sends{}) << what;
        EXPECT_TRUE(rig.engine.State().TurnedOn) << what;
        EXPECT_EQ(rig.name.text, "Padawan") << what;
        EXPECT_EQ(rig.store.writes, std::vector<std::string>{}) << what;
        EXPECT_EQ(Files(rig.folder.path()), before) << what << ": no file made or changed";
    };
    for (const auto& row : rows) check(row.what, row.line, row.may);
    // Each of the player's commands quoted by another player.
    for (const char* command : {"!about", "!date", "!time", "!name", "!mapname", "!off", "!add f5"})
        check("quoted "s + command, "Kyle: Padawan: "s + command, {});
}

// The player's !load on ffa_bespin, through the game's replies; what was typed from the load-now
// step on.
Sends Load(Rig& rig) {
    rig.TickOn("Padawan: !load");
    rig.TickOn("\"mapname\" is:\"ffa_bespin\" default:\"nomap\"");
    return rig.TickOn("!loadnow ");
}

TEST(BadFiles, ALoadTypesEachLineAsItStandsAndChangesNoFile) {
    const Sent loaded = Echo("^2All binds ^3successfully ^2loaded");
    const std::string longLine = "Bind F5 " + std::string(100000, 'x');
    const struct {
        const char* what;
        std::string content;
        Sends typed;
    } cases[] = {
        {"empty", "", {Echo("^1No ^3Data"), Echo("^1Unable ^2to load binds")}},
        {"binary in the middle",
         "Bind F1 a\r\n\0\x01\xff\r\nBind F2 b\r\n"s,
         {Command("Bind F1 a"), Command("\0\x01\xff"s), Command("Bind F2 b"), loaded}},
        {"a line longer than any buffer", longLine, {Command(longLine), loaded}},
        {"only blank lines", "\r\n\r\n", {Command(""), Command(""), loaded}},
    };
    for (const auto& c : cases) {
        Rig rig;
        const std::string path = rig.binds.BindFilePath("ffa_bespin");
        std::ofstream(path, std::ios::binary) << c.content;
        EXPECT_EQ(Load(rig), c.typed) << c.what;
        EXPECT_EQ(Read(path), c.content) << c.what << ": the file stays as it was";
        EXPECT_TRUE(rig.errors.lines.empty()) << c.what;
    }
}

TEST(BadFiles, DataThatIsAFileIsReportedAndKept) {
    Rig rig;
    const std::string data = rig.binds.DataFolder();
    std::filesystem::remove_all(data);
    std::ofstream(data, std::ios::binary) << "not a folder";
    const Sends typed = Load(rig);
    ASSERT_EQ(typed.size(), 1u);
    EXPECT_EQ(typed[0].text.rfind("^1Error: ^3", 0), 0u) << "the trap says what failed: " << typed[0].text;
    EXPECT_EQ(rig.errors.lines.size(), 1u);
    EXPECT_EQ(Read(data), "not a folder");
}

}  // namespace
}  // namespace zarvik
