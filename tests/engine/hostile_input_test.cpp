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

}  // namespace
}  // namespace zarvik
