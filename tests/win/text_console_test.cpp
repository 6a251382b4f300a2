// Zarvik.exe with today's clients: it starts the game (the simulator in its text-console mode)
// in a hidden console of its own, and answers there as in the original console window.
#include "tests/win/message_loop.h"

#include <windows.h>

#include <tlhelp32.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

namespace {

namespace fs = std::filesystem;

fs::path Tree() {
    char exe[MAX_PATH];
    GetModuleFileNameA(nullptr, exe, MAX_PATH);
    return fs::path(exe).parent_path().parent_path().parent_path();  // <tree>/tests/win/this.exe
}

std::string Read(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

std::string ExeOf(DWORD pid) {
    std::string name;
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    PROCESSENTRY32 entry = {};
    entry.dwSize = sizeof entry;
    for (BOOL more = Process32First(snapshot, &entry); more; more = Process32Next(snapshot, &entry))
        if (entry.th32ProcessID == pid) name = entry.szExeFile;
    CloseHandle(snapshot);
    return name;
}

int Running(const char* exe) {
    int count = 0;
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    PROCESSENTRY32 entry = {};
    entry.dwSize = sizeof entry;
    for (BOOL more = Process32First(snapshot, &entry); more; more = Process32Next(snapshot, &entry))
        if (_stricmp(entry.szExeFile, exe) == 0) ++count;
    CloseHandle(snapshot);
    return count;
}

BOOL CALLBACK FindShownConsole(HWND hwnd, LPARAM found) {
    DWORD pid = 0;
    GetWindowThreadProcessId(hwnd, &pid);
    if (IsWindowVisible(hwnd) && _stricmp(ExeOf(pid).c_str(), "conhost.exe") == 0) {
        *reinterpret_cast<bool*>(found) = true;
        return FALSE;
    }
    return TRUE;
}

// A console window on the player's screen.
bool ConsoleShown() {
    bool found = false;
    EnumWindows(FindShownConsole, reinterpret_cast<LPARAM>(&found));
    return found;
}

class TextConsole : public ::testing::Test {
  protected:
    void SetUp() override {
        char temp[MAX_PATH];
        GetTempPathA(MAX_PATH, temp);
        folder = fs::path(temp) / ("zarvik-text-" + std::to_string(GetCurrentProcessId()));
        fs::remove_all(folder);
        fs::create_directories(folder);
        fs::copy_file(Tree() / "program" / "Zarvik.exe", folder / "Zarvik.exe");
    }
    void TearDown() override {
        for (auto& pi : started) {
            if (WaitForSingleObject(pi.hProcess, 0) == WAIT_TIMEOUT) TerminateProcess(pi.hProcess, 1);
            CloseHandle(pi.hThread);
            CloseHandle(pi.hProcess);
        }
        std::error_code ignored;
        fs::remove_all(folder, ignored);
    }
    HANDLE Start(const std::string& arguments) {
        std::string command = "\"" + (folder / "Zarvik.exe").string() + "\" " + arguments;
        STARTUPINFOA si = {};
        si.cb = sizeof si;
        PROCESS_INFORMATION pi = {};
        EXPECT_TRUE(CreateProcessA(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr,
                                   folder.string().c_str(), &si, &pi));
        started.push_back(pi);
        return pi.hProcess;
    }
    // The game Zarvik starts next: the simulator in text-console mode playing `scenario`,
    // logging to `name`.log; `options` go before the rest of its command line.
    void SetGame(const std::string& name, const std::string& scenario, const std::string& options = "") {
        std::ofstream(folder / (name + ".txt"), std::ios::binary) << scenario;
        const std::string ini = (folder / "info.ini").string();
        WritePrivateProfileStringA("%General%", "Game", (Tree() / "tools" / "console-sim" / "console-sim.exe").string().c_str(),
                                   ini.c_str());
        const std::string arguments = "--text-console " + options + " --log \"" + (folder / (name + ".log")).string() +
                                      "\" \"" + (folder / (name + ".txt")).string() + "\"";
        WritePrivateProfileStringA("%General%", "GameArgs", arguments.c_str(), ini.c_str());
    }
    // How the game's scenario ended ("passed", "FAIL ..."), watching meanwhile that no console
    // window ever shows; "" when it did not end in time.
    std::string GameResult(const std::string& name, DWORD ms) {
        bool shown = false;
        for (DWORD start = GetTickCount(); GetTickCount() - start < ms; Sleep(20)) {
            if (!shown && ConsoleShown()) {
                ADD_FAILURE() << "a console window on the player's screen";
                shown = true;
            }
            const std::string log = Read(folder / (name + ".log"));
            const std::size_t at = log.find(" result ");
            if (at != std::string::npos) return log.substr(log.find_first_not_of(' ', at + 8), log.find('\n', at) - at - 8);
        }
        return "";
    }
    void Close(HANDLE zarvik) {
        if (HWND main = WaitForWindow("ZarvikMain", "Zarvik")) PostMessageA(main, WM_CLOSE, 0, 0);
        DWORD code = 999;
        if (WaitForSingleObject(zarvik, 15000) == WAIT_OBJECT_0) GetExitCodeProcess(zarvik, &code);
        EXPECT_EQ(code, 0u);
    }

    fs::path folder;
    std::vector<PROCESS_INFORMATION> started;
};

TEST_F(TextConsole, PlaysAPlayersMatchWithTheGameItStarted) {
    // The run command's match, the game started from Zarvik's command line.
    std::string scenario = Read(ZARVIK_SESSION_SCENARIO);
    ASSERT_FALSE(scenario.empty());
    scenario += "\nfolder " + folder.string() + "\ncontains Data/ffa_bespin.txt Bind F5 \"force_push\"\nini Name Padawan\n";
    SetGame("match", scenario);
    HANDLE zarvik = Start("--start-game");
    EXPECT_EQ(GameResult("match", 60000), "passed") << Read(folder / "match.log");
    Close(zarvik);
}

TEST_F(TextConsole, LongLinesAnswersBeforeTheMarkAndAGameThatEndsAndStartsAgain) {
    std::ofstream(folder / "info.ini") << "[%General%]\r\nName=Padawan\r\n";
    // A game program that is not there: the player is told, and may choose another (No here).
    WritePrivateProfileStringA("%General%", "Game", (folder / "missing.exe").string().c_str(),
                               (folder / "info.ini").string().c_str());
    HANDLE zarvik = Start("--start-game");
    HWND box = WaitForWindow("#32770", "Zarvik");
    ASSERT_NE(box, nullptr) << "the missing program is reported";
    PostMessageA(box, WM_COMMAND, IDNO, 0);

    // The game runs each command in the frame that takes it (--frame 0): every answer is printed
    // before Zarvik has seen the echo of what it typed, and must stay for the engine to read.
    const std::string value(245, 'v');  // "Bind F6 "...": 255 characters, the game's whole line
    SetGame("edges",
            "wait 2500\n"
            "map ffa_bespin\n"
            "chat !time " + std::string(1100, 'x') + "\n"  // longer than a row of the console
            "expect-match 950-3000 echo \\^7The \\^5Time \\^7is currently: .*\n"
            "bind F6 " + value + "\n"
            "chat !add f6\n"
            "expect 950-3000 Bind F6\n"
            "expect 950-3000 \"mapname\"\n"
            "expect-match 950-3000 echo \"\\^6Bind Saved .*\n"
            "bind F6 nothing\n"
            "chat !load\n"
            "expect 950-3000 mapname\n"
            "expect 950-3000 echo !loadnow\n"
            "expect 950-3000 Bind F6 \"" + value + "\"\n"
            "expect 950-3000 echo ^2All binds ^3successfully ^2loaded\n",
            "--frame 0");
    // Both start at the screen's top left: move Zarvik off Wine's tray window.
    HWND main = WaitForWindow("ZarvikMain", "Zarvik");
    ASSERT_NE(main, nullptr);
    SetWindowPos(main, nullptr, 300, 300, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    ASSERT_TRUE(ChooseFromTrayMenu('g')) << "Start Game in the tray menu";
    EXPECT_EQ(GameResult("edges", 40000), "passed") << Read(folder / "edges.log");

    // The game has ended; the next start makes a fresh console. A shortcut's second start while
    // it runs hands the start to the running Zarvik, which starts nothing twice.
    SetGame("again",
            "wait 3000\n"
            "chat !about\n"
            "expect 950-3000 say ^4Zar^6v^1i^6k ^7v1.0.0 ^6 by ^2[^1k^3I^1r^3!^2]\n");
    Start("--start-game");
    for (DWORD start = GetTickCount(); !Running("console-sim.exe") && GetTickCount() - start < 10000;) Sleep(50);
    HANDLE second = Start("--start-game");
    EXPECT_EQ(WaitForSingleObject(second, 10000), static_cast<DWORD>(WAIT_OBJECT_0)) << "no question, no window";
    Sleep(500);
    EXPECT_EQ(Running("console-sim.exe"), 1);
    EXPECT_EQ(GameResult("again", 30000), "passed") << Read(folder / "again.log");
    Close(zarvik);
}

}  // namespace
