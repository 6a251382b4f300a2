// The link to the game's console window, against the simulator's window made in this process:
// its children in the game's order, a line typed echoed at once and run on a later frame.
#include "SimWindow.h"
#include "app/console/ConsoleLink.h"
#include "app/console/Win32GamePort.h"
#include "tests/windows/win_test.h"

namespace zarvik {
namespace {

class Link : public ::testing::Test {
  protected:
    Link() {
        window.OnReceived([this](const std::string& line) { received.push_back(line); });
    }
    std::ostringstream log;
    sim::Transcript transcript{[] { return 0L; }, {&log}};
    sim::SimWindow window{{false, 5}, transcript};
    std::vector<std::string> received;
};

TEST_F(Link, FindsTheInputLineThenTheBufferAndNoBufferOnceTheInputLineIsGone) {
    EXPECT_EQ(GetConsoleEdit(true), window.input());
    EXPECT_EQ(GetConsoleEdit(false), window.buffer());
    // After a fatal error the game destroys its input line: the first edit is then the buffer.
    DestroyWindow(window.input());
    EXPECT_EQ(GetConsoleEdit(true), window.buffer());
    EXPECT_EQ(GetConsoleEdit(false), nullptr);
}

TEST_F(Link, AnEchoIsTypedWithItsPrefixACommandAsItIsAndTheBufferEmptiedOfBothButAnAnswer) {
    window.Game().PrintLine("Padawan: !on");
    std::string currentLine = "Padawan: !on";
    SendToConsole("^7Zarvik is now ^2on", false, [&] { currentLine.clear(); });
    EXPECT_EQ(WindowText(window.buffer()), "") << "the answered line and the typed one are gone";
    EXPECT_EQ(currentLine, "");
    // The game runs the line on a later frame: its output lands in the emptied buffer.
    RunMessagesFor(100);
    EXPECT_EQ(WindowText(window.buffer()), "Zarvik is now on \r\n");

    SendToConsole("mapname", true, {});
    EXPECT_EQ(received, (std::vector<std::string>{"echo ^7Zarvik is now ^2on", "mapname"}));

    // The game's frame may run between Enter and the clear: its answer must not be wiped, or
    // a capture or a load waiting for it would never finish.
    window.OnReceived([this](const std::string&) { window.Game().PrintLine("mapname is here"); });
    window.Game().PrintLine("Padawan: !load");
    SendToConsole("mapname", true, {});
    EXPECT_EQ(WindowText(window.buffer()), "mapname is here\r\n") << "the request and the echo are gone";
    window.Game().PrintLine("Kyle: hi");
    EXPECT_EQ(WindowText(window.buffer()), "mapname is here\r\nKyle: hi\r\n") << "later prints still append";
}

TEST_F(Link, EveryPrintIsReadThoughTheBufferKeepsItsLength) {
    Win32GameConsole console;
    window.Game().PrintLine("Padawan: !date");
    EXPECT_EQ(console.ReadOutput(), "Padawan: !date\r\n");
    EXPECT_EQ(console.ReadOutput(), "Padawan: !date\r\n");
    // Past 0x7fff characters the game selects the whole buffer and its next print replaces it.
    SendMessageA(window.buffer(), EM_SETSEL, 0, -1);
    SendMessageA(window.buffer(), EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>("Padawan: !time\r\n"));
    EXPECT_EQ(console.ReadOutput(), "Padawan: !time\r\n");
    window.Game().PrintLine("Padawan: !time");
    EXPECT_EQ(console.ReadOutput(), "Padawan: !time\r\nPadawan: !time\r\n");
}

int g_ticks = 0;
void CALLBACK CountTick(HWND, UINT, UINT_PTR, DWORD) { ++g_ticks; }

// The engine pauses inside the main window's timer: the program's messages (its timer, the
// tray, the suite) must go on meanwhile, and a quit must end the pause and reach the loop.
TEST(Pause, RunsTheProgramsMessagesAndEndsWhenItQuits) {
    UINT_PTR timer = SetTimer(nullptr, 0, 50, CountTick);
    Pause(1);
    KillTimer(nullptr, timer);
    EXPECT_GE(g_ticks, 5) << "other timers keep firing during the pause";

    g_ticks = 0;
    PostQuitMessage(7);
    timer = SetTimer(nullptr, 0, 500, CountTick);
    Pause(2);
    KillTimer(nullptr, timer);
    EXPECT_EQ(g_ticks, 0) << "ended at the quit, before a tick";
    MSG msg;
    ASSERT_TRUE(PeekMessageA(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
    EXPECT_EQ(msg.wParam, 7u);
}

// A value read back whole up to the original's 254 characters.
TEST(IniFile, ReadsWhatIsThereCutAsTheOriginalCutIt) {
    const fs::path folder = TempFolder("zarvik-ini");
    const std::string file = (folder / "info.ini").string();
    const std::string value = std::string(250, 'a') + "bcdefghij";
    EXPECT_NE(WriteIni("%General%", "Editor", value, file), 0);
    EXPECT_EQ(ReadIni("%General%", "Editor", file), value.substr(0, 254));
    fs::remove_all(folder);
}

}  // namespace
}  // namespace zarvik
