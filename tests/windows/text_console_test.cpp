// Zarvik.exe with today's clients: it starts the game (the simulator in its text-console mode)
// in a hidden console of its own, and answers there as in the original console window. And
// what both links meet alike: a game that stops reading for a while, each version's colours.
#include "tests/windows/win_test.h"

#include "app/console/ConsoleHost.h"

#include <tlhelp32.h>

#include <atomic>
#include <thread>

namespace {

// How many processes of that program run.
int Running(const char* exe) {
    int found = 0;
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    PROCESSENTRY32 entry = {};
    entry.dwSize = sizeof entry;
    for (BOOL more = Process32First(snapshot, &entry); more; more = Process32Next(snapshot, &entry))
        found += _stricmp(entry.szExeFile, exe) == 0;
    CloseHandle(snapshot);
    return found;
}

class TextConsole : public ProgramTest {
  protected:
    // A player never sees the game's console: not as it is made, nor during the match.
    ~TextConsole() override {
        stop = true, looker.join();
        EXPECT_EQ(shown, 0) << "a console window was shown";
    }
    // The game Zarvik starts next: the simulator in text-console mode playing `scenario`,
    // logging to `name`.log; `options` go before the rest of its command line.
    void SetGame(const std::string& name, const std::string& scenario, const std::string& options = "") {
        std::ofstream(folder / (name + ".txt"), std::ios::binary) << scenario;
        const std::string ini = (folder / "info.ini").string();
        const std::string game = (Tree() / "tools" / "console-sim" / "console-sim.exe").string();
        WritePrivateProfileStringA("%General%", "Game", game.c_str(), ini.c_str());
        const std::string arguments = "--text-console " + options + " --log \"" + (folder / (name + ".log")).string() +
                                      "\" \"" + (folder / (name + ".txt")).string() + "\"";
        WritePrivateProfileStringA("%General%", "GameArgs", arguments.c_str(), ini.c_str());
    }
    // How the game's scenario ended ("passed", "FAIL ..."); "" when it did not end in time.
    std::string GameResult(const std::string& name, DWORD ms) {
        std::string result;
        WaitUntil(
            [&] {
                const std::string log = ReadFile(folder / (name + ".log"));
                const std::size_t at = log.find(" result ");
                if (at == std::string::npos) return false;
                result = log.substr(log.find_first_not_of(' ', at + 8), log.find('\n', at) - at - 8);
                return true;
            },
            ms);
        return result;
    }
    // `scenario` played by the game in its console window with Zarvik beside it, then by the
    // game Zarvik starts in its text console; `options` for the game.
    void PlayInBothLinks(const std::string& scenario, const std::string& options) {
        {
            SimProcess sim(scenario, options);
            HANDLE zarvik = Start();
            EXPECT_EQ(sim.Finish(60000), 0u) << "console window " << options << "\n" << sim.Log();
            Close(zarvik);
        }
        SetGame("text", scenario, options);
        HANDLE zarvik = Start("--start-game");
        EXPECT_EQ(GameResult("text", 60000), "passed") << "text console " << options << "\n"
                                                       << ReadFile(folder / "text.log");
        Close(zarvik);
    }
    void WriteBinds(const std::string& lines) {
        fs::create_directories(folder / "Data");
        std::ofstream(folder / "Data" / "ffa_bespin.txt", std::ios::binary) << lines;
    }
    std::atomic<bool> stop = false;
    std::atomic<int> shown = 0;
    std::thread looker{[this] {
        for (; !stop; Sleep(10))
            for (const char* name : {"ConsoleWindowClass", "WineConsoleClass"})
                for (HWND window = nullptr; (window = FindWindowExA(nullptr, window, name, nullptr));)
                    shown += IsWindowVisible(window);
    }};
};

// The game loads a map for longer than Zarvik waited for it before: once just after it took the
// first part of a line (the first piece of keys, or the text of its input line), once while
// Zarvik pauses before the next.
TEST_F(TextConsole, ALineTypedWhileTheGameStopsReadingReachesItWholeAndAlone) {
    const std::string value(245, 'v');  // "Bind F6 "...: the game's whole line, three pieces of keys
    WriteBinds("Bind F6 " + value + "\r\nBind F7 say seven\r\n");
    PlayInBothLinks(
        "map ffa_bespin\n"
        "wait 2500\n"
        "chat !load\n"
        "expect 950-3000 mapname\n"
        "expect 950-3000 echo !loadnow\n"
        "stall-on-input 6000\n"
        "expect 6000-9000 Bind F6 " +
            value +
            "\n"
            "wait 300\n"
            "stall 6000\n"
            "expect 950-9000 Bind F7 say seven\n"
            "expect 950-3000 echo ^2All binds ^3successfully ^2loaded\n",
        "");
}

// Lines whose colour codes only 1.02 strips, played by 1.04, and a byte the text console shows
// as a dot: each link finds its echo at once, so the next line follows a second later. (Which
// form each version shows is the console rules' test.)
TEST_F(TextConsole, LinesWithCodesOnlyOneVersionStripsAndBytesShownAsDots) {
    WriteBinds("Bind F5 \"say ^9nine ^atea\"\r\nBind F6 say caf\xe9\r\n");
    PlayInBothLinks(
        "map ffa_bespin\n"
        "wait 2500\n"
        "chat !load\n"
        "expect 950-3000 mapname\n"
        "expect 950-3000 echo !loadnow\n"
        "expect 950-2500 Bind F5 \"say ^9nine ^atea\"\n"
        "expect 950-2500 Bind F6 say caf\xe9\n"
        "expect 950-2500 echo ^2All binds ^3successfully ^2loaded\n",
        "--version 1.04");
}

// The run command's match, the game started from Zarvik's command line, a 1.04 game (the console
// window's match plays 1.02). Its run of exchanges alone notices a link that stops following
// its read mark after typing.
TEST_F(TextConsole, PlaysAPlayersMatchWithTheGameItStarted) {
    const std::string scenario = ReadFile(ZARVIK_SESSION_SCENARIO);
    ASSERT_NE(scenario, "<missing>");
    SetGame("match",
            scenario + "\nfolder " + folder.string() +
                "\ncontains Data/ffa_bespin.txt Bind F5 \"force_push\"\nini Name Padawan\n",
            "--version 1.04");
    HANDLE zarvik = Start("--start-game");
    EXPECT_EQ(GameResult("match", 60000), "passed") << ReadFile(folder / "match.log");
    Close(zarvik);
}

TEST_F(TextConsole, LongLinesAnswersBeforeTheMarkAndAGameThatEndsStartsAgainAndOutlivesZarvik) {
    std::ofstream(folder / "info.ini", std::ios::binary) << "[%General%]\r\nName=Padawan\r\n";
    // A game program that is not there: the player is told, and may choose another (No here).
    WritePrivateProfileStringA("%General%", "Game", (folder / "missing.exe").string().c_str(),
                               (folder / "info.ini").string().c_str());
    HANDLE zarvik = Start("--start-game");
    PressButton("Zarvik", "&No");  // the missing program is reported

    // The game runs each command in the frame that takes it (--frame 0): every answer is printed
    // before Zarvik has seen the echo of what it typed, and must stay for the engine to read.
    const std::string value(245, 'v');  // "Bind F6 "...": 255 characters, the game's whole line
    SetGame("edges",
            "wait 2500\n"
            "map ffa_bespin\n"
            "chat-from Kyle gg\n"
            "wait 300\n"
            "chat !time " +
                std::string(4500, 'x') +
                "\n"  // five rows of the console
                "expect-match 950-3000 echo \\^7The \\^5Time \\^7is currently: .*\n"
                "bind F6 " +
                value +
                "\n"
                "chat !add f6\n"
                "expect 950-3000 Bind F6\n"
                "expect 950-3000 \"mapname\"\n"
                "expect-match 950-3000 echo \"\\^6Bind Saved .*\n"
                "bind F6 nothing\n"
                "chat !load\n"
                "expect 950-3000 mapname\n"
                "expect 950-3000 echo !loadnow\n"
                "expect 950-3000 Bind F6 \"" +
                value +
                "\"\n"
                "expect 950-3000 echo ^2All binds ^3successfully ^2loaded\n",
            "--frame 0");
    // Both start at the screen's top left: move Zarvik off Wine's tray window.
    HWND main = Main();
    ASSERT_NE(main, nullptr);
    SetWindowPos(main, nullptr, 300, 300, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    ASSERT_TRUE(ChooseFromTrayMenu('g')) << "Start Game in the tray menu";
    EXPECT_EQ(GameResult("edges", 40000), "passed") << ReadFile(folder / "edges.log");

    // The game has ended; the next start makes a fresh console (a shortcut's second start hands
    // it to the running Zarvik). Zarvik ended by force leaves the game playing; a Zarvik started
    // again finds it, starts nothing twice and says so, and answers there.
    SetGame("again",
            "wait 6000\nchat !about\n"
            "expect 950-3000 say ^4Zar^6v^1i^6k ^7v1.0.0 ^6 by ^2[^1k^3I^1r^3!^2]\n");
    EXPECT_EQ(ExitCode(Start("--start-game"), 10000), 0u) << "no question, no window";
    WaitUntil([] { return Running("console-sim.exe") > 0; }, 10000);
    TerminateProcess(zarvik, 1);
    // Its tray icon stays until the pointer passes over it, as on Windows.
    if (HWND icon = TrayIcon()) SetCursorPos(Centre(icon).x, Centre(icon).y);
    HANDLE again = Start("--start-game");
    PressButton("Zarvik", "OK");  // the game runs already
    EXPECT_EQ(GameResult("again", 30000), "passed") << ReadFile(folder / "again.log");
    Close(again);
}

TEST_F(TextConsole, AGameWhoseConsoleCannotBeReachedIsToldOf) {
    // The game's host as Zarvik finds it after the host lost its console: running, without one.
    HANDLE host = StartProcess("\"" + (Tree() / "tools" / "console-sim" / "console-sim.exe").string() + "\" --hidden",
                               {}, DETACHED_PROCESS);
    HANDLE record = CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, 4, zarvik::kGameRecordName);
    auto* id = static_cast<DWORD*>(MapViewOfFile(record, FILE_MAP_WRITE, 0, 0, sizeof(DWORD)));
    *id = GetProcessId(host);
    HANDLE zarvik = Start("--start-game");
    PressButton("Zarvik", "OK");  // its console cannot be reached
    PressButton("Zarvik", "OK");  // and the game is not started twice
    Close(zarvik);
    UnmapViewOfFile(id);
    CloseHandle(record);
    EndProcess(host);
}

}  // namespace
