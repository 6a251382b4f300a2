#include "fakes.h"

#include "app/engine/FileErrorReport.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

namespace zarvik {
namespace {

using testing::Command;
using testing::Echo;
using testing::Rig;
using testing::Sent;
using Sends = std::vector<Sent>;

const std::string kAbout = "say ^4Zar^6v^1i^6k ^7v1.0.0 ^6 by ^2[^1k^3I^1r^3!^2]";
const std::string kGreeting = "say ^2[^1k^3I^1r^3!^2]'s ^4Zar^6v^1i^6k ^7v1.0.0";

TEST(Engine, AnswersThePlayersChatCommands) {
    Rig rig;
    EXPECT_EQ(rig.TickOn("Padawan: !about"), Sends{Command(kAbout)});
    EXPECT_EQ(rig.TickOn("Padawan: !date"), Sends{Echo("^7The ^5Date ^7is: ^106/12/2026")});
    EXPECT_EQ(rig.TickOn("Padawan: !time"), Sends{Echo("^7The ^5Time ^7is currently: ^121:30:07")});
    EXPECT_EQ(rig.TickOn("Padawan: !name"), Sends{Echo("^1Your name is: ^7Padawan")});
    EXPECT_EQ(rig.TickOn("Padawan: !mapname"), Sends{Command("mapname")});
    EXPECT_EQ(rig.TickOn("Padawan: !timer please"), Sends{Echo("^7The ^5Time ^7is currently: ^121:30:07")})
        << "the commands are prefix tests";
    EXPECT_TRUE(rig.store.writes.empty());
}

TEST(Engine, LinesOfOthersOrWithoutTheNameDoNotCount) {
    Rig rig;
    for (const char* line : {"Other: !time", "padawan: !time", " Padawan: !time", "Padawan : !about", "Padawan:!about",
                             "Padawan2: !about", "Padawan"})
        EXPECT_EQ(rig.TickOn(line), Sends{}) << line;
}

TEST(Engine, DateAndTimeAnswerOnlyWhileTheirOptionIsOn) {
    Rig rig;
    rig.options.checks[Option::Date] = 0;
    rig.options.checks[Option::Time] = 2;  // grey counts as on
    EXPECT_EQ(rig.TickOn("Padawan: !date"), Sends{});
    EXPECT_EQ(rig.engine.State().CurrentLine, "Padawan: !date") << "an unanswered line stays";
    EXPECT_EQ(rig.TickOn("Padawan: !time").size(), 1u);
}

TEST(Engine, PowerOffSilencesAllButPowerOn) {
    Rig rig;
    EXPECT_EQ(rig.TickOn("Padawan: !off"), Sends{Echo("^7Zarvik is now ^1off")});
    EXPECT_FALSE(rig.engine.State().TurnedOn);
    EXPECT_EQ(rig.options.checks[Option::Power], 0);
    EXPECT_EQ(rig.store.writes, std::vector<std::string>{"Power=0"});

    for (const char* line : {"Padawan: !time", "Padawan: !about", "Padawan entered the game", "Padawan: !off"})
        EXPECT_EQ(rig.TickOn(line), Sends{}) << line;

    EXPECT_EQ(rig.TickOn("Padawan: !onwards"), Sends{Echo("^7Zarvik is now ^2on")});
    EXPECT_TRUE(rig.engine.State().TurnedOn);
    EXPECT_EQ(rig.options.checks[Option::Power], 1);
    EXPECT_EQ(rig.store.writes.back(), "Power=1");
}

TEST(Engine, TheGamesPrintoutOfEchoOffSwitchesOff) {
    Rig rig;
    EXPECT_EQ(rig.TickOn("!off"), Sends{Echo("^7Zarvik is now ^1off")});
    EXPECT_FALSE(rig.engine.State().TurnedOn);
    Rig again;
    EXPECT_EQ(again.TickOn("Other: !off"), Sends{}) << "another player cannot switch it off";
}

TEST(Engine, PowerOnWhileOnRepeatsReplyAndStore) {
    Rig rig;
    EXPECT_EQ(rig.TickOn("Padawan: !on"), Sends{Echo("^7Zarvik is now ^2on")});
    EXPECT_EQ(rig.store.writes, std::vector<std::string>{"Power=1"});
    EXPECT_TRUE(rig.engine.State().TurnedOn);
}

TEST(Engine, GreetsThePlayerEnteringAndAsksForTheName) {
    Rig rig;
    EXPECT_EQ(rig.TickOn("Padawan entered the game"), (Sends{Command(kGreeting), Command("name")}));
    EXPECT_TRUE(rig.engine.State().LoadAfterName);

    Rig quiet;
    quiet.options.checks[Option::GetName] = 0;
    EXPECT_EQ(quiet.TickOn("Padawan entered the game  "), Sends{Command(kGreeting)});
    EXPECT_TRUE(quiet.engine.State().LoadAfterName);
}

TEST(Engine, WithAnEmptyNameBoxTheTriggersStartWithTheColon) {
    Rig rig;
    rig.name.text.clear();
    EXPECT_EQ(rig.TickOn(": !about"), Sends{Command(kAbout)});
    EXPECT_EQ(rig.TickOn("Padawan: !about"), Sends{});
}

TEST(Engine, ASubmissionConsumesTheLineForTheRestOfTheTick) {
    Rig rig;
    // !time (test 9) comes before !load (test 11): only the time answers.
    EXPECT_EQ(rig.TickOn("Padawan: !time !load"), Sends{Echo("^7The ^5Time ^7is currently: ^121:30:07")});
    EXPECT_EQ(rig.engine.State().CurrentLine, "");
    // The console was emptied: the next tick has nothing to examine.
    rig.console.sent.clear();
    rig.engine.Tick();
    EXPECT_EQ(rig.console.sent, Sends{});
}

TEST(Engine, WithoutACompleteLineNothingIsExaminedOrReported) {
    for (const char* copy : {"", "Padawan: !about", "no line end yet"}) {
        Rig rig;
        rig.console.output = copy;
        rig.engine.Tick();
        EXPECT_EQ(rig.console.sent, Sends{}) << copy;
        EXPECT_TRUE(rig.errors.lines.empty()) << copy;
    }
}

TEST(Engine, FindsTheLastLineOfAHugeConsole) {
    Rig rig;
    std::string copy;
    while (copy.size() < (1u << 20)) copy += "Other: chatter\r\n";
    rig.console.output = copy + "Padawan: !about\r\n";
    rig.engine.Tick();
    EXPECT_EQ(rig.console.sent, Sends{Command(kAbout)});
    EXPECT_GT(rig.pump.runs, 60000) << "window events run after every piece";
}

TEST(Engine, TicksNeverNest) {
    Rig rig;
    rig.pump.during = [&] { rig.engine.Tick(); };  // the timer firing while the tick yields
    rig.TickOn("Padawan: !about");
    EXPECT_EQ(rig.console.reads, 1);
    EXPECT_EQ(rig.console.sent.size(), 1u);
    rig.pump.during = nullptr;
    rig.TickOn("Padawan: !name");
    EXPECT_EQ(rig.console.reads, 2) << "a finished tick lets the next one run";
}

TEST(ErrorTrap, ReportsAFailureInBothFormsAndEndsTheTick) {
    Rig rig;
    rig.clock.date = []() -> std::string { throw EngineError(57, "DateReply", "Device I/O error"); };
    rig.TickOn("Padawan: !date");
    EXPECT_EQ(rig.errors.lines, std::vector<std::string>{"Error: 57 | DateReply | Device I/O error"});
    EXPECT_EQ(rig.console.sent, Sends{Echo("^1Error: ^357 ^1|^3 DateReply ^1|^3 Device I/O error")});
    EXPECT_EQ(rig.engine.State().CurrentLine, "");

    // The next tick starts afresh.
    EXPECT_EQ(rig.TickOn("Padawan: !about"), Sends{Command(kAbout)});
}

TEST(ErrorTrap, NamesOtherFailuresByWhatHappened) {
    Rig rig;
    rig.console.onRead = [] { throw std::length_error("basic_string::_M_create"); };
    rig.engine.Tick();
    EXPECT_EQ(rig.errors.lines, std::vector<std::string>{"Error: 51 | Tick | basic_string::_M_create"});
}

TEST(ErrorTrap, EchoesEvenWhenNoFileTakesTheReport) {
    for (bool throws : {false, true}) {
        Rig rig;
        rig.errors.accepts = false;
        rig.errors.throws = throws;
        rig.clock.date = []() -> std::string { throw EngineError(75, "DateReply", "Path/File access error"); };
        rig.TickOn("Padawan: !date");
        EXPECT_EQ(rig.console.sent, Sends{Echo("^1Error: ^375 ^1|^3 DateReply ^1|^3 Path/File access error")});
        EXPECT_EQ(rig.TickOn("Padawan: !time").size(), 1u) << "the engine goes on";
    }
}

TEST(FileErrorReport, FallsBackToTheNextPlaceThatTakesTheLine) {
    const auto folder = std::filesystem::temp_directory_path() / "zarvik-error-report";
    std::filesystem::remove_all(folder);
    std::filesystem::create_directories(folder);
    const std::string unwritable = (folder / "no-such-folder" / "Debug.txt").string();
    const std::string fallback = (folder / "Debug.txt").string();

    FileErrorReport report({unwritable, fallback});
    EXPECT_TRUE(report.Append("Error: 5 | BindReply | Invalid procedure call or argument"));
    EXPECT_TRUE(report.Append("Error: 53 | LoadNow | File not found"));
    std::string text;
    {
        std::ifstream in(fallback, std::ios::binary);
        text.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
    EXPECT_EQ(text,
              "Error: 5 | BindReply | Invalid procedure call or argument\r\n"
              "Error: 53 | LoadNow | File not found\r\n");

    FileErrorReport nowhere({unwritable});
    EXPECT_FALSE(nowhere.Append("Error: 57 | x | y"));
    std::filesystem::remove_all(folder);
}

}  // namespace
}  // namespace zarvik
