#include "fakes.h"

#include "app/engine/FileErrorReport.h"

#include <gtest/gtest.h>

namespace zarvik {
namespace {

using namespace testing;  // the engine's fakes
using namespace std::string_literals;

const std::string kAbout = "say ^4Zar^6v^1i^6k ^7v1.0.0 ^6 by ^2[^1k^3I^1r^3!^2]";
const std::string kGreeting = "say ^2[^1k^3I^1r^3!^2]'s ^4Zar^6v^1i^6k ^7v1.0.0";
const std::string kTime = "^7The ^5Time ^7is currently: ^121:30:07";

TEST(Engine, AnswersThePlayersChatCommands) {
    Rig rig;
    EXPECT_EQ(rig.TickOn("Padawan: !about"), Sends{Command(kAbout)});
    EXPECT_EQ(rig.TickOn("Padawan: !date"), Sends{Echo("^7The ^5Date ^7is: ^106/12/2026")});
    EXPECT_EQ(rig.TickOn("Padawan: !name"), Sends{Echo("^1Your name is: ^7Padawan")});
    EXPECT_EQ(rig.TickOn("Padawan: !mapname"), Sends{Command("mapname")});
    EXPECT_EQ(rig.TickOn("Padawan: !timer please"), Sends{Echo(kTime)}) << "the commands are prefix tests";

    rig.options.checks[Option::Date] = 0;
    rig.options.checks[Option::Time] = 2;  // grey counts as on
    EXPECT_EQ(rig.TickOn("Padawan: !date"), Sends{});
    EXPECT_EQ(rig.TickOn("Padawan: !time"), Sends{Echo(kTime)});
}

TEST(Engine, PowerOffSilencesAllButThePlayersPowerOn) {
    Rig rig;
    EXPECT_EQ(rig.TickOn("Padawan: !off"), Sends{Echo("^7Zarvik is now ^1off")});
    EXPECT_FALSE(rig.engine.State().TurnedOn);
    EXPECT_EQ(rig.options.checks[Option::Power], 0);
    EXPECT_EQ(rig.store.writes, std::vector<std::string>{"Power=0"});

    for (const char* line : {"Padawan: !time", "Padawan entered the game", "Kyle: Padawan: !on"})
        EXPECT_EQ(rig.TickOn(line), Sends{}) << line;

    EXPECT_EQ(rig.TickOn("Padawan: !onwards"), Sends{Echo("^7Zarvik is now ^2on")});
    EXPECT_TRUE(rig.engine.State().TurnedOn);
    EXPECT_EQ(rig.store.writes.back(), "Power=1");

    // The game prints the engine's "echo !off" as "!off ".
    EXPECT_EQ(rig.TickOn("!off "), Sends{Echo("^7Zarvik is now ^1off")});
    EXPECT_FALSE(rig.engine.State().TurnedOn);
}

TEST(Engine, GreetsThePlayerEnteringAndAsksForTheName) {
    Rig rig;
    EXPECT_EQ(rig.TickOn("Padawan entered the game"), (Sends{Command(kGreeting), Command("name")}));

    Rig quiet;
    quiet.options.checks[Option::GetName] = 0;
    EXPECT_EQ(quiet.TickOn("Padawan entered the game  "), Sends{Command(kGreeting)});
    EXPECT_TRUE(quiet.engine.State().LoadAfterName);

    // With an empty name box the triggers start with the colon, and anyone's entering greets.
    Rig nameless;
    nameless.name.text.clear();
    EXPECT_EQ(nameless.TickOn(": !about"), Sends{Command(kAbout)});
    EXPECT_EQ(nameless.TickOn("Padawan: !about"), Sends{});
    EXPECT_EQ(nameless.TickOn("Kyle: I entered the game"), Sends{}) << "chat never greets";
    EXPECT_EQ(nameless.TickOn("Kyle entered the game").size(), 2u);
}

TEST(Engine, ExaminesTheLastCompleteLineOnlyOnceATickAndTicksNeverNest) {
    const std::pair<std::string, bool> rows[] = {
        // the console's copy, whether Zarvik answers
        {"Kyle: hi\r\nPadawan: !about\r\n", true},
        {"Padawan: !about\r\nKyle: hi\r\n", false},
        {"Padawan: !about\r\nPadawan: !ab", true},  // the game is still printing the last one
        {"Padawan: !about", false},                 // nothing complete yet
        {"Padawan: !about\r\n", true},
        {"\r\nPadawan: !about\r\n\r\n", false},  // an empty line printed after it
        {"x\r\r\nPadawan: !about\r\n", true},    // a lone CR is no line break
    };
    for (const auto& [copy, answers] : rows) {
        Rig rig;
        rig.console.output = copy;
        rig.engine.Tick();
        EXPECT_EQ(rig.console.sent.size(), answers ? 1u : 0u) << copy;
        EXPECT_EQ(rig.pump.runs, 1) << "window events run once a tick, however long the console";
    }

    Rig rig;
    rig.pump.during = [&] { rig.engine.Tick(); };  // the timer firing while the tick yields
    rig.TickOn("Padawan: !about");
    EXPECT_EQ(rig.console.reads, 1);
    rig.pump.during = nullptr;
    rig.TickOn("Padawan: !name");
    EXPECT_EQ(rig.console.reads, 2) << "a finished tick lets the next one run";
}

TEST(ErrorTrap, ReportsAFailureInBothFormsEndsTheTickAndFallsBackToAPlaceThatTakesIt) {
    Rig rig;
    rig.clock.date = []() -> std::string { throw EngineError(57, "DateReply", "Device I/O error"); };
    const Sends echoed = {Echo("^1Error: ^357 ^1|^3 DateReply ^1|^3 Device I/O error")};
    EXPECT_EQ(rig.TickOn("Padawan: !date"), echoed);
    EXPECT_EQ(rig.errors.lines, std::vector<std::string>{"Error: 57 | DateReply | Device I/O error"});

    // A report no file takes is still echoed, and the engine goes on.
    rig.errors.throws = true;
    EXPECT_EQ(rig.TickOn("Padawan: !date"), echoed);
    EXPECT_EQ(rig.TickOn("Padawan: !about"), Sends{Command(kAbout)});

    // The program's report falls back to the next place that takes the line.
    const std::string unwritable = rig.folder.path() + "/no-such-folder/Debug.txt";
    const std::string fallback = rig.folder.path() + "/Debug.txt";
    FileErrorReport report({unwritable, fallback});
    EXPECT_TRUE(report.Append("Error: 5 | BindReply | x"));
    EXPECT_TRUE(report.Append("Error: 53 | LoadNow | y"));
    EXPECT_EQ(ReadFile(fallback), "Error: 5 | BindReply | x\r\nError: 53 | LoadNow | y\r\n");
    EXPECT_FALSE(FileErrorReport({unwritable}).Append("Error: 57 | x | y"));
}

// Lines other players and the game can put in the console, crafted to mislead: what each may
// make Zarvik type, and that nothing else changes (the name, the power, any file).
// Every file below the folder with its content.
std::map<std::string, std::string> Files(const std::string& folder) {
    std::map<std::string, std::string> files;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(folder))
        if (entry.is_regular_file()) files[entry.path().string()] = ReadFile(entry.path().string());
    return files;
}

const std::string kRefusedKey = "^1Cannot ^3add ^1that key: ^7a key has no blanks, quotes or semicolons";

TEST(HostileInput, EachLineMayOnlyDoWhatItsRowAllows) {
    // What each row is, the console's last complete line, exactly what Zarvik may type for it.
    std::vector<std::tuple<std::string, std::string, Sends>> rows = {
        {"a name that begins with the player's", "Padawan2: !about", {}},
        {"another player's !off", "Kyle: !off", {}},
        {"a name starting with the game's !off", "!offender: hi", {}},
        {"a fake name reply inside chat", "Kyle: \"name\" is:\"Kyle\" default:\"Padawan\"", {}},
        {"a fake rename inside chat", "Kyle: Padawan renamed to Kyle", {}},
        {"a chatting player named like a rename", "Padawan renamed to Kyle: hi", {}},
        {"a player named like a rename enters: the game is asked",
         "Padawan renamed to Kyle entered the game",
         {Command("name")}},
        {"a fake bind reply inside chat", "Kyle: \"F5\" = \"kill\"", {}},
        {"a fake map name reply inside chat", "Kyle: \"mapname\" is:\"evil\" default:\"nomap\"", {}},
        {"a fake client map name inside chat", "Kyle: \"ui_about_mapname\" is:\"evil\" default:\"\"", {}},
        {"!add with a key that would break the bind command", "Padawan: !add F5;quit", {Echo(kRefusedKey)}},
        {"!add with nothing after it",
         "Padawan: !add",
         {Echo("^1Error: ^35 ^1|^3 BindRequest ^1|^3 Invalid procedure call or argument")}},
        {"!add with only a blank: an empty key, asked as the game takes it", "Padawan: !add ", {Command("Bind ")}},
    };
    // Each of the player's commands quoted by another player.
    for (const char* command : {"!about", "!date", "!time", "!name", "!mapname", "!off", "!add f5"})
        rows.emplace_back("quoted "s + command, "Kyle: Padawan: "s + command, Sends{});
    for (const auto& [what, line, may] : rows) {
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
    }
}

}  // namespace
}  // namespace zarvik
