// Lines other players and the game can put in the console, crafted to mislead: what each may
// make Zarvik type, and that nothing else changes (the name, the power, any file).
#include "fakes.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>

namespace zarvik {
namespace {

using namespace testing;  // the engine's fakes

// Every file below the folder with its content.
std::map<std::string, std::string> Files(const std::string& folder) {
    std::map<std::string, std::string> files;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(folder)) {
        if (!entry.is_regular_file()) continue;
        std::ifstream in(entry.path(), std::ios::binary);
        std::stringstream text;
        text << in.rdbuf();
        files[std::filesystem::relative(entry.path(), folder).string()] = text.str();
    }
    return files;
}

struct Hostile {
    const char* what;
    std::string line;  // the console's last complete line
    Sends may;         // exactly what Zarvik may type for it
    bool powerAfter = true;
    std::string nameAfter = "Padawan";
};

const std::string kTime = "^7The ^5Time ^7is currently: ^121:30:07";
const std::string kAbout = "say ^4Zar^6v^1i^6k ^7v1.0.0 ^6 by ^2[^1k^3I^1r^3!^2]";
const std::string kRefusedKey = "^1Cannot ^3add ^1that key: ^7a key has no blanks, quotes or semicolons";

const std::vector<Hostile> kTable = {
    {"another player quoting the player's command", "Kyle: Padawan: !time", {}},
    {"a name that ends in the player's name", "DarthPadawan: !time", {}},
    {"a name that begins with it", "Padawan2: !about", {}},
    {"team chat of the player", "(Padawan): !time", {}},
    {"a private message in the player's name", "[Padawan]: !time", {}},
    {"the command in the middle of another's line", "Kyle: try Padawan: !time", {}},
    {"another player's !off", "Kyle: !off", {}},
    {"another player's !on while on", "Kyle: !on", {}},
    {"a fake name reply inside chat", "Kyle: \"name\" is:\"Kyle\" default:\"Padawan\"", {}},
    {"a fake rename inside chat", "Kyle: Padawan renamed to Kyle", {}},
    {"a fake bind reply inside chat", "Kyle: \"F5\" = \"kill\"", {}},
    {"a fake map name reply inside chat", "Kyle: \"mapname\" is:\"../../evil\" default:\"nomap\"", {}},
    {"quotes and semicolons after a real command", "Padawan: !time\";quit;\"", {Echo(kTime)}},
    {"colour codes around the command", "Padawan: ^1!time", {}},
    {"a carriage return inside the line", "Padawan: !ti\rme", {}},
    {"a lone line feed splits nothing: the player's own line",
     "Padawan: !about\nKyle: hi",
     {Command(kAbout)}},
    {"a very long line", "Kyle: " + std::string(30000, 'x'), {}},
    {"a very long line ending in the command", "Padawan: !time" + std::string(20000, ' '), {Echo(kTime)}},
    {"a name starting with the game's !off", "!offender: hi", {}},
    {"an empty line", "", {}},
    {"only blanks", "      ", {}},
    {"a NUL inside", std::string("Padawan: !ti\0me", 15), {}},
    {"bytes above 127", "Padawan: !time \xff\xfe", {Echo(kTime)}},
    {"!add with a key that would break the bind command", "Padawan: !add F5;quit", {Echo(kRefusedKey)}},
    {"!add with a quote in the key", "Padawan: !add \"F5", {Echo(kRefusedKey)}},
    {"!add with nothing after it",
     "Padawan: !add",
     {Echo("^1Error: ^35 ^1|^3 BindRequest ^1|^3 Invalid procedure call or argument")}},
    {"!mapname from another player", "Kyle: !mapname", {}},
    {"!name from another player", "Kyle: !name", {}},
};

TEST(HostileInput, EachLineMayOnlyDoWhatItsRowAllows) {
    for (const Hostile& row : kTable) {
        Rig rig;
        std::ofstream(rig.binds.BindFilePath("ffa_bespin"), std::ios::binary) << "Bind F5 force_push\r\n";
        const auto before = Files(rig.folder.path());
        EXPECT_EQ(rig.TickOn(row.line), row.may) << row.what;
        // A second tick on the same console: nothing more for a line already answered or ignored.
        rig.console.sent.clear();
        rig.engine.Tick();
        const Sends again = rig.console.sent;
        EXPECT_TRUE(again.empty() || again == row.may) << row.what;
        EXPECT_EQ(rig.engine.State().TurnedOn, row.powerAfter) << row.what;
        EXPECT_EQ(rig.name.text, row.nameAfter) << row.what;
        EXPECT_EQ(Files(rig.folder.path()), before) << row.what << ": no file made or changed";
        EXPECT_TRUE(rig.store.writes.empty() || !row.powerAfter) << row.what;
    }
}

TEST(HostileInput, AMapNameThatWouldLeaveTheDataFolderSavesNothing) {
    Rig rig;
    rig.TickOn("Padawan: !add f5");
    rig.TickOn("\"F5\" = \"force_push\"");
    const auto before = Files(rig.folder.path());
    for (const char* map : {"../../evil", "..\\..\\evil", "CON", "ffa;quit", "C:\\Windows\\x", ""}) {
        rig.TickOn(std::string("\"mapname\" is:\"") + map + "\" default:\"nomap\"");
        EXPECT_EQ(Files(rig.folder.path()), before) << map;
        EXPECT_FALSE(
            std::filesystem::exists(std::filesystem::path(rig.folder.path()).parent_path() / "evil.txt"));
    }
}

}  // namespace
}  // namespace zarvik
