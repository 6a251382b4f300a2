#include "ConsoleBuffer.h"
#include "Scenario.h"

#include <gtest/gtest.h>

#include <map>

namespace zarvik::sim {
namespace {

class FakeWorld : public World {
public:
    GameConsole game{[this](const std::string& p) { shown += StripColours(p); }};
    std::string shown;
    std::vector<std::string> typedByPlayer;
    std::map<std::string, std::vector<std::string>> files;
    std::map<std::string, std::string> ini;  // "file|key" -> value

    GameConsole& Game() override { return game; }
    void TypeAsPlayer(const std::string& line) override { typedByPlayer.push_back(line); }
    std::optional<std::vector<std::string>> ReadLines(const std::string& path) override {
        auto it = files.find(path);
        if (it == files.end()) return std::nullopt;
        return it->second;
    }
    std::string IniValue(const std::string& file, const std::string& key) override { return ini[file + "|" + key]; }
};

struct Play {
    FakeWorld world;
    std::vector<std::string> notes;
    ScenarioRunner runner;

    explicit Play(const std::string& text)
        : runner(ParseScenario(text), world,
                 [this](const std::string& kind, const std::string& t) { notes.push_back(kind + " " + t); }) {}
};

TEST(ParseScenario, ReadsEachStepsWords) {
    const auto steps = ParseScenario(
        "# a comment\n"
        "\n"
        "chat-from \"Kyle Katarn\" please  !load\r\n"
        "expect 900-2500 echo ^7The ^5Time\n"
        "print  !load\n"
        "ini Power\n"
        "enter\n");
    ASSERT_EQ(steps.size(), 5u);
    EXPECT_EQ(steps[0].kind, Step::Kind::ChatFrom);
    EXPECT_EQ(steps[0].line, 3);
    EXPECT_EQ(steps[0].a, "Kyle Katarn");
    EXPECT_EQ(steps[0].b, "please  !load");
    EXPECT_EQ(steps[1].minMs, 900);
    EXPECT_EQ(steps[1].maxMs, 2500);
    EXPECT_EQ(steps[1].a, "echo ^7The ^5Time");
    EXPECT_EQ(steps[2].a, " !load") << "blanks after the first belong to the text";
    EXPECT_EQ(steps[3].a, "Power");
    EXPECT_EQ(steps[3].b, "");
    EXPECT_EQ(steps[4].a, "");
}

TEST(ParseScenario, RejectsHalfWrittenSteps) {
    const char* bad[] = {
        "teleport now",        // no such step
        "expect echo hi",      // no time
        "expect 500",          // no command
        "expect 900-500 x",    // min above max
        "expect -5 x",
        "expect-match 100 (",  // not a pattern
        "wait soon",
        "chat",
        "rename",
        "rename-from Kyle",
        "remote maybe",
        "map a b",
        "contains Data\\data.txt",
    };
    for (const char* line : bad) {
        try {
            ParseScenario(std::string("print ok\n") + line + "\n");
            ADD_FAILURE() << "accepted: " << line;
        } catch (const ScenarioError& e) {
            EXPECT_EQ(e.line, 2) << line;
        }
    }
}

TEST(ScenarioRunner, PlaysTheWorldAndPassesWhenTheExpectedCommandsCome) {
    Play run("map ffa_bespin\nenter\nchat !time\nexpect 900-2000 echo hi\nexpect-match 100 say .*\n"
            "rename-from Kyle Jan\ntype bind F5\n");
    EXPECT_EQ(run.runner.Advance(0), ScenarioRunner::State::Running);
    EXPECT_EQ(run.world.shown, "Padawan entered the game\nPadawan: !time\n");
    EXPECT_EQ(run.runner.Advance(800), ScenarioRunner::State::Running);
    run.runner.CommandReceived("echo hi", 1000);
    run.runner.CommandReceived("say Padawan: it is 10:00", 1050);
    EXPECT_EQ(run.runner.Advance(1060), ScenarioRunner::State::Passed);
    EXPECT_EQ(run.world.typedByPlayer, std::vector<std::string>{"bind F5"});
    EXPECT_NE(run.world.shown.find("Kyle renamed to Jan\n"), std::string::npos);
}

TEST(ScenarioRunner, FailsOnTheWrongCommandNamingTheLine) {
    Play run("chat !time\nexpect 2000 echo hi\n");
    run.runner.Advance(0);
    run.runner.CommandReceived("echo bye", 500);
    EXPECT_EQ(run.runner.Advance(500), ScenarioRunner::State::Failed);
    EXPECT_EQ(run.runner.Failure(), "line 2 (expect 2000 echo hi): \"echo bye\" was typed");
}

TEST(ScenarioRunner, FailsWhenTheCommandIsTooLateOrTooEarly) {
    Play late("expect 1000 mapname\n");
    EXPECT_EQ(late.runner.Advance(0), ScenarioRunner::State::Running);
    EXPECT_EQ(late.runner.Advance(1000), ScenarioRunner::State::Running);
    EXPECT_EQ(late.runner.Advance(1001), ScenarioRunner::State::Failed);
    EXPECT_EQ(late.runner.Failure(), "line 1 (expect 1000 mapname): nothing was typed within 1000 ms");

    Play early("expect 900-2000 mapname\n");
    early.runner.Advance(100);
    early.runner.CommandReceived("mapname", 300);
    EXPECT_EQ(early.runner.Advance(300), ScenarioRunner::State::Failed);
    EXPECT_EQ(early.runner.Failure(), "line 1 (expect 900-2000 mapname): it was typed 200 ms in, not within 900-2000 ms");
}

TEST(ScenarioRunner, TimesEachExpectFromTheCommandBeforeIt) {
    Play run("chat !load\nexpect 1500 mapname\nexpect 900-1500 echo !loadnow\n");
    run.runner.Advance(0);
    run.runner.CommandReceived("mapname", 1200);
    run.runner.CommandReceived("echo !loadnow", 2300);  // 1100 ms after the first, 2300 after the start
    EXPECT_EQ(run.runner.Advance(2305), ScenarioRunner::State::Passed) << run.runner.Failure();

    Play waited("chat !time\nwait 1000\nexpect 100 say hi\n");
    waited.runner.Advance(0);
    waited.runner.CommandReceived("say hi", 400);  // came during the wait: still the next command
    EXPECT_EQ(waited.runner.Advance(1000), ScenarioRunner::State::Passed) << waited.runner.Failure();
}

TEST(ScenarioRunner, ExpectNoneAndWaitHoldTheirTime) {
    Play quiet("wait 100\nexpect-none 200\n");
    EXPECT_EQ(quiet.runner.Advance(0), ScenarioRunner::State::Running);
    EXPECT_EQ(quiet.runner.Advance(99), ScenarioRunner::State::Running);
    EXPECT_EQ(quiet.runner.Advance(100), ScenarioRunner::State::Running);
    EXPECT_EQ(quiet.runner.Advance(299), ScenarioRunner::State::Running);
    EXPECT_EQ(quiet.runner.Advance(300), ScenarioRunner::State::Passed);

    Play noisy("expect-none 500\n");
    noisy.runner.Advance(0);
    noisy.runner.CommandReceived("say hi", 120);
    EXPECT_EQ(noisy.runner.Advance(130), ScenarioRunner::State::Failed);
    EXPECT_EQ(noisy.runner.Failure(), "line 1 (expect-none 500): \"say hi\" was typed 120 ms in");
}

TEST(ScenarioRunner, ChecksFilesAndSettingsInTheProgramFolder) {
    const std::string script =
        "folder C:\\zarvik\n"
        "exists Data\\data.txt\n"
        "missing Data\\ctf_yavin.txt\n"
        "contains Data\\ffa_bespin.txt Bind F5 \"force_push\"\n"
        "lacks Data\\ffa_bespin.txt Bind F6 x\n"
        "ini Power 1\n"
        "ini AutoLoad\n";
    Play good(script);
    good.world.files["C:\\zarvik\\Data\\data.txt"] = {"ffa_bespin"};
    good.world.files["C:\\zarvik\\Data\\ffa_bespin.txt"] = {"Bind F5 \"force_push\""};
    good.world.ini["C:\\zarvik\\info.ini|Power"] = "1";
    EXPECT_EQ(good.runner.Advance(0), ScenarioRunner::State::Passed) << good.runner.Failure();

    Play bad(script);
    bad.world.files["C:\\zarvik\\Data\\data.txt"] = {"ffa_bespin"};
    bad.world.files["C:\\zarvik\\Data\\ffa_bespin.txt"] = {"Bind F5 force_push"};
    EXPECT_EQ(bad.runner.Advance(0), ScenarioRunner::State::Failed);
    EXPECT_EQ(bad.runner.Failure(),
              "line 4 (contains Data\\ffa_bespin.txt Bind F5 \"force_push\"): C:\\zarvik\\Data\\ffa_bespin.txt has no "
              "line \"Bind F5 \"force_push\"\"");

    Play unset("folder C:\\zarvik\\\nini Power 1\n");
    EXPECT_EQ(unset.runner.Advance(0), ScenarioRunner::State::Failed);
    EXPECT_EQ(unset.runner.Failure(), "line 2 (ini Power 1): Power is \"\", not \"1\"");
}

TEST(ScenarioRunner, AnUnknownKeyInABindStepFails) {
    Play run("bind NOSUCHKEY x\n");
    EXPECT_EQ(run.runner.Advance(0), ScenarioRunner::State::Failed);
}

}  // namespace
}  // namespace zarvik::sim
