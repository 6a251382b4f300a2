// The simulator's window and program, as every end-to-end test will rely on them.
#include "tests/win/message_loop.h"
#include "SimWindow.h"
#include "app/console/ConsoleLink.h"
#include "sim_process.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <sstream>

namespace zarvik::sim {
namespace {

std::string TextOf(HWND hwnd) { return WindowText(hwnd); }

std::string ClassOf(HWND hwnd) {
    char name[64] = {};
    GetClassNameA(hwnd, name, sizeof name);
    return name;
}

class SimWindowTest : public ::testing::Test {
protected:
    SimWindowTest() { window.OnReceived([this](const std::string& c) { received.push_back(c); }); }

    void Type(const std::string& line) {
        SendMessageA(window.input(), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(line.c_str()));
        SendMessageA(window.input(), WM_CHAR, 13, 0);
    }
    // Types a line the way the console link does, and returns what the game prints for it.
    std::string Answer(const std::string& line) {
        Type(line);
        SendMessageA(window.buffer(), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(""));
        RunMessagesFor(60);
        return TextOf(window.buffer());
    }

    std::ostringstream log;
    Transcript transcript{[] { return 0L; }, {&log}};
    SimWindow window{{false, 5}, transcript};
    std::vector<std::string> received;
};

TEST_F(SimWindowTest, ChildrenComeInTheGamesOrder) {
    EXPECT_EQ(FindWindowA("jk2mp winconsole", nullptr), window.window());
    EXPECT_EQ(TextOf(window.window()), "Jedi Knight 2: Jedi Outcast MP Console");
    std::vector<std::string> children;
    for (HWND c = GetWindow(window.window(), GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT))
        children.push_back(ClassOf(c) + ":" + TextOf(c));
    const std::vector<std::string> expected = {"Edit:", "Button:Copy", "Button:Clear", "Button:Quit", "Edit:"};
    EXPECT_EQ(children, expected);
    EXPECT_EQ(GetConsoleEdit(true), window.input());
    EXPECT_EQ(GetConsoleEdit(false), window.buffer());
    EXPECT_EQ(GetDlgCtrlID(window.input()), 101);
    EXPECT_EQ(GetDlgCtrlID(window.buffer()), 100);
}

TEST_F(SimWindowTest, EnterEchoesAtOnceAndRunsTheLineOnALaterFrame) {
    Type("echo hi");
    EXPECT_EQ(TextOf(window.buffer()), "]echo hi\r\n") << "only the echo, inside the keystroke";
    EXPECT_EQ(TextOf(window.input()), "");
    EXPECT_EQ(received, std::vector<std::string>{"echo hi"});

    // A clear sent right after Enter comes before the reply: the reply lands in the empty buffer.
    SendMessageA(window.buffer(), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(""));
    RunMessagesFor(60);
    EXPECT_EQ(TextOf(window.buffer()), "hi \r\n");
}

TEST_F(SimWindowTest, RepliesReachTheWindowInTheGamesForms) {
    EXPECT_EQ(Answer("echo ^7Zarvik is now ^2on"), "Zarvik is now on \r\n");
    EXPECT_EQ(Answer("name"), "\"name\" is:\"Padawan\" default:\"Padawan\"\r\n");
    window.Game().ChangeMap("ffa_bespin");
    EXPECT_EQ(Answer("mapname"), "\"mapname\" is:\"ffa_bespin\" default:\"nomap\"\r\n");
    EXPECT_EQ(Answer("bind F5"), "\"F5\" is not bound\r\n");
    EXPECT_EQ(Answer("bind F5 force_push;bind F5"), "\"F5\" = \"force_push\"\r\n");
    EXPECT_EQ(Answer("say ^1!time"), "Padawan: !time\r\n");
    EXPECT_EQ(Answer("/name Kyle"), "Padawan renamed to Kyle\r\n");
    EXPECT_EQ(Answer("xyzzy"), "Unknown command \"xyzzy\"\r\n");
}

TEST_F(SimWindowTest, ALongLineIsReadUpTo1023Characters) {
    const std::string line = "echo " + std::string(1500, 'x');
    Type(line);
    ASSERT_EQ(received.size(), 1u);
    EXPECT_EQ(received[0], line.substr(0, 1023));
}

TEST_F(SimWindowTest, TheWindowIsReplacedOncePast0x7fffCharacters) {
    const std::string line(998, 'a');  // 1000 characters with CR LF
    for (int i = 0; i < 32; ++i) window.Game().PrintLine(line);
    EXPECT_EQ(TextOf(window.buffer()).size(), 32000u);
    const std::string last(800, 'b');  // 32800 in all: past the limit
    window.Game().PrintLine(last);
    const std::string shown = TextOf(window.buffer());
    EXPECT_EQ(shown.size(), 802u);
    EXPECT_TRUE(shown == last + "\r\n");
    EXPECT_NE(log.str().find("reset"), std::string::npos);
}

TEST_F(SimWindowTest, TheClearButtonEmptiesTheBuffer) {
    window.Game().PrintLine("something");
    HWND clear = FindWindowExA(window.window(), nullptr, "button", "Clear");
    SendMessageA(clear, BM_CLICK, 0, 0);
    EXPECT_EQ(TextOf(window.buffer()), "");
}

// The program itself, started as its own process the way the end-to-end tests start it.
TEST(SimProgram, PassesWhenTheExpectedAnswerIsTypedThroughTheConsoleLink) {
    SimProcess sim("chat !time\nexpect 900-5000 echo It is time\nexpect-none 200\n");
    HWND output = nullptr;
    for (int i = 0; i < 400 && !(output = GetConsoleEdit(false)); ++i) Sleep(25);
    ASSERT_NE(output, nullptr) << "the simulator's console never appeared";
    for (int i = 0; i < 400 && TextOf(output).find("Padawan: !time") == std::string::npos; ++i) Sleep(25);

    bool lineCleared = false;
    SendToConsole("It is time", false, [&] { lineCleared = true; });
    EXPECT_TRUE(lineCleared);
    EXPECT_EQ(sim.Finish(), 0u) << sim.Log();
    const std::string log = sim.Log();
    EXPECT_NE(log.find("typed  echo It is time"), std::string::npos) << log;
    EXPECT_NE(log.find("print  It is time "), std::string::npos) << log;
    EXPECT_NE(log.find("pass   3 steps held"), std::string::npos) << log;
}

TEST(SimProgram, FailsWithTheStepAndReasonWhenNothingIsTyped) {
    SimProcess sim("print hello\nexpect 300 mapname\n");
    EXPECT_EQ(sim.Finish(), 1u);
    EXPECT_NE(sim.Log().find("fail   line 2 (expect 300 mapname): nothing was typed within 300 ms"),
              std::string::npos)
        << sim.Log();
}

TEST(SimProgram, RefusesAMalformedScenario) {
    SimProcess sim("print hello\nexpect soon mapname\n");
    EXPECT_EQ(sim.Finish(), 2u);
}

}  // namespace
}  // namespace zarvik::sim
