// Zarvik.exe itself, started as a player starts it, in a folder of its own.
#include "sim_process.h"
#include "tests/win/message_loop.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

namespace {

std::filesystem::path ProgramBuilt() {
    char exe[MAX_PATH];
    GetModuleFileNameA(nullptr, exe, MAX_PATH);
    // <tree>/tests/win/this.exe -> <tree>/program/Zarvik.exe
    return std::filesystem::path(exe).parent_path().parent_path().parent_path() / "program" / "Zarvik.exe";
}

std::string Ini(const std::filesystem::path& folder, const char* key) {
    char value[256] = {};
    GetPrivateProfileStringA("%General%", key, "<absent>", value, sizeof value,
                             (folder / "info.ini").string().c_str());
    return value;
}

// Screen pixels as info.ini stores a position.
std::string Twips(int pixels) {
    HDC screen = GetDC(nullptr);
    const int dpi = GetDeviceCaps(screen, LOGPIXELSX);
    ReleaseDC(nullptr, screen);
    return std::to_string(MulDiv(pixels, 1440, dpi));
}

class Program : public ::testing::Test {
  protected:
    void SetUp() override {
        char temp[MAX_PATH];
        GetTempPathA(MAX_PATH, temp);
        folder = std::filesystem::path(temp) / ("zarvik-program-" + std::to_string(GetCurrentProcessId()));
        std::filesystem::remove_all(folder);
        std::filesystem::create_directories(folder);
        std::filesystem::copy_file(ProgramBuilt(), folder / "Zarvik.exe");
        started.reserve(4);  // Start() hands out references into it
    }
    void TearDown() override {
        for (auto& pi : started) {
            if (WaitForSingleObject(pi.hProcess, 0) == WAIT_TIMEOUT) TerminateProcess(pi.hProcess, 1);
            CloseHandle(pi.hThread);
            CloseHandle(pi.hProcess);
        }
        std::error_code ignored;
        std::filesystem::remove_all(folder, ignored);
    }
    PROCESS_INFORMATION& Start() {
        std::string command = "\"" + (folder / "Zarvik.exe").string() + "\"";
        STARTUPINFOA si = {};
        si.cb = sizeof si;
        started.push_back({});
        EXPECT_TRUE(CreateProcessA(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr,
                                   folder.string().c_str(), &si, &started.back()));
        return started.back();
    }
    DWORD Wait(PROCESS_INFORMATION& pi, DWORD ms = 15000) {
        DWORD code = 999;
        if (WaitForSingleObject(pi.hProcess, ms) == WAIT_OBJECT_0) GetExitCodeProcess(pi.hProcess, &code);
        return code;
    }

    // Zarvik started beside the simulator playing its scenario: every step must hold, and
    // Zarvik must then close as its own window closes.
    void PlayWithZarvik(SimProcess& sim, DWORD ms) {
        auto& zarvik = Start();
        EXPECT_EQ(sim.Finish(ms), 0u) << sim.Log();
        HWND main = WaitForWindow("ZarvikMain", "Zarvik");
        if (main) PostMessageA(main, WM_CLOSE, 0, 0);
        EXPECT_EQ(Wait(zarvik), 0u);
    }

    std::filesystem::path folder;
    std::vector<PROCESS_INFORMATION> started;
};

TEST_F(Program, StartsInAnEmptyFolderRefusesASecondCopyAndSavesItsPlaceOnTheWayOut) {
    auto& first = Start();
    HWND main = WaitForWindow("ZarvikMain", "Zarvik");
    ASSERT_NE(main, nullptr) << "the main window appears";
    EXPECT_EQ(Ini(folder, "Editor"), "Notepad.exe");
    EXPECT_EQ(Ini(folder, "Name"), "") << "the name box's start-up write";
    RECT r;
    GetWindowRect(main, &r);
    EXPECT_EQ(r.left, 0);
    EXPECT_EQ(r.top, 0);
    HWND name = FindWindowExA(main, nullptr, "Edit", nullptr);
    ASSERT_NE(name, nullptr);
    for (const char* typed : {"Kyle", "", "Jan Ors"}) {
        SendMessageA(name, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(typed));
        EXPECT_EQ(Ini(folder, "Name"), typed) << "every change of the name box is stored";
    }

    auto& second = Start();
    HWND box = WaitForWindow(nullptr, "Zarvik Is Already Running!");
    ASSERT_NE(box, nullptr);
    PostMessageA(box, WM_COMMAND, IDOK, 0);
    EXPECT_EQ(Wait(second), 0u);
    EXPECT_EQ(WaitForSingleObject(first.hProcess, 0), static_cast<DWORD>(WAIT_TIMEOUT))
        << "the first runs on";
    EXPECT_EQ(Ini(folder, "LeftPos"), "<absent>");

    // Closed from outside (log-off, task list): the exit path without a question.
    SetWindowPos(main, nullptr, 150, 90, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    PostMessageA(main, WM_CLOSE, 0, 0);
    EXPECT_EQ(Wait(first), 0u);
    EXPECT_EQ(Ini(folder, "LeftPos"), Twips(150));
    EXPECT_EQ(Ini(folder, "TopPos"), Twips(90));
}

struct ChildSearch {
    std::string text, cls;
    HWND found;
};

BOOL CALLBACK VisitChild(HWND hwnd, LPARAM param) {
    auto* search = reinterpret_cast<ChildSearch*>(param);
    char text[32] = {}, cls[32] = {};
    GetWindowTextA(hwnd, text, sizeof text);
    GetClassNameA(hwnd, cls, sizeof cls);
    if (search->text != text || lstrcmpiA(search->cls.c_str(), cls) != 0) return TRUE;
    search->found = hwnd;
    return FALSE;
}

// The main window's control of that class captioned `text` ("X", "-", ...).
HWND Control(HWND main, const char* text, const char* cls = "Button") {
    ChildSearch search = {text, cls, nullptr};
    EnumChildWindows(main, VisitChild, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

POINT Centre(HWND control) {
    RECT r;
    GetWindowRect(control, &r);
    return {(r.left + r.right) / 2, (r.top + r.bottom) / 2};
}

// The left button pressed at `at` on the screen and let go at `to` (where it was pressed when
// left out), through the input queue, as a player's hand gives it.
void Press(POINT at, POINT to = {-1, -1}) {
    if (to.x < 0) to = at;
    char under[64] = "";
    GetClassNameA(GetAncestor(WindowFromPoint(at), GA_ROOT), under, sizeof under);
    EXPECT_STREQ(under, "ZarvikMain") << "another window lies over the point pressed";
    SetCursorPos(at.x, at.y);
    INPUT input = {};
    input.type = INPUT_MOUSE;
    input.mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
    SendInput(1, &input, sizeof input);
    for (int step = 1; step <= 4; ++step) {
        Sleep(100);
        SetCursorPos(at.x + (to.x - at.x) * step / 4, at.y + (to.y - at.y) * step / 4);
    }
    Sleep(100);
    input.mi.dwFlags = MOUSEEVENTF_LEFTUP;
    SendInput(1, &input, sizeof input);
    Sleep(300);
}

bool Becomes(HWND window, bool visible, DWORD ms = 5000) {
    const DWORD start = GetTickCount();
    while (!IsWindowVisible(window) != !visible) {
        if (GetTickCount() - start > ms) return false;
        Sleep(50);
    }
    return true;
}

// What the screen shows in `r`, pixel by pixel.
std::vector<COLORREF> Shot(RECT r) {
    std::vector<COLORREF> pixels;
    HDC screen = GetDC(nullptr);
    for (int y = r.top; y < r.bottom; y += 3)
        for (int x = r.left; x < r.right; x += 3) pixels.push_back(GetPixel(screen, x, y));
    ReleaseDC(nullptr, screen);
    return pixels;
}

// The title strip with a real mouse: dragged by the label and by the handle beside the
// buttons, and its "X" above the label.
TEST_F(Program, TheTitleStripDragsTheWindowAndItsCloseButtonAsksFirst) {
    auto& zarvik = Start();
    HWND main = WaitForWindow("ZarvikMain", "Zarvik");
    ASSERT_NE(main, nullptr);
    SetWindowPos(main, nullptr, 300, 300, 0, 0, SWP_NOSIZE | SWP_NOZORDER);  // off Wine's tray window
    HWND label = Control(main, "Zarvik", "Static"), handle = Control(main, ""), sink = Control(main, "Command2");
    HWND close = Control(main, "X");
    ASSERT_TRUE(label && handle && sink && close);
    RECT before, after;
    for (HWND by : {label, handle}) {
        GetWindowRect(main, &before);
        const POINT at = by == label ? POINT{before.left + 40, Centre(label).y} : Centre(handle);
        Press(at, {at.x + 60, at.y + 45});
        GetWindowRect(main, &after);
        EXPECT_EQ(after.left - before.left, 60) << (by == label ? "Label1" : "Command6");
        EXPECT_EQ(after.top - before.top, 45);
        GUITHREADINFO thread = {sizeof thread, 0, {}, {}, {}, {}, {}, {}, {}};
        ASSERT_TRUE(GetGUIThreadInfo(GetWindowThreadProcessId(main, nullptr), &thread));
        EXPECT_EQ(thread.hwndCapture, nullptr) << "the mouse is free again";
        if (by == handle) {
            EXPECT_EQ(thread.hwndFocus, sink) << "the handle keeps no focus mark";
        }
    }

    Press(Centre(close));
    HWND question = WaitForWindow(nullptr, "Close Zarvik");
    ASSERT_NE(question, nullptr);
    PostMessageA(question, WM_COMMAND, IDNO, 0);
    EXPECT_EQ(Wait(zarvik, 1500), 999u) << "No: it runs on";
    EXPECT_EQ(Ini(folder, "LeftPos"), "<absent>") << "and writes nothing";

    Press(Centre(close));
    question = WaitForWindow(nullptr, "Close Zarvik");
    ASSERT_NE(question, nullptr);
    PostMessageA(question, WM_COMMAND, IDYES, 0);
    EXPECT_EQ(Wait(zarvik), 0u);
    EXPECT_EQ(Ini(folder, "LeftPos"), Twips(after.left));
    EXPECT_EQ(Ini(folder, "TopPos"), Twips(after.top));
}

TEST_F(Program, GoesToTheTrayAndComesBackByItsMenuOrADoubleClick) {
    ASSERT_TRUE(TrayIconGone(5000)) << "an earlier test's icon would take the clicks";
    auto& zarvik = Start();
    HWND main = WaitForWindow("ZarvikMain", "Zarvik");
    ASSERT_NE(main, nullptr);
    // Both start at the screen's top left: move Zarvik off Wine's tray window.
    SetWindowPos(main, nullptr, 300, 300, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    HWND hide = Control(main, "-");
    ASSERT_NE(hide, nullptr);

    Press(Centre(hide));
    ASSERT_TRUE(Becomes(main, false)) << "\"-\" hides it";
    ASSERT_TRUE(ChooseFromTrayMenu('s')) << "Wine's tray window, Zarvik's icon in it, its menu";
    EXPECT_TRUE(Becomes(main, true)) << "&Show";

    Press(Centre(hide));
    ASSERT_TRUE(Becomes(main, false));
    ASSERT_TRUE(DoubleClickTrayIcon());
    EXPECT_TRUE(Becomes(main, true)) << "a double click on the icon";

    // "&Options" shows the editing suite modally: the main window waits until it is closed.
    ASSERT_TRUE(ChooseFromTrayMenu('o'));
    HWND suite = WaitForWindow(nullptr, "Editing Suite");
    ASSERT_NE(suite, nullptr);
    EXPECT_FALSE(IsWindowEnabled(main));
    PostMessageA(suite, WM_CLOSE, 0, 0);
    ASSERT_TRUE(Becomes(suite, false));
    // Hiding a window takes Wine up to two seconds without a window manager.
    const DWORD start = GetTickCount();
    while (!IsWindowEnabled(main) && GetTickCount() - start < 5000) Sleep(20);
    EXPECT_TRUE(IsWindowEnabled(main)) << "enabled again once the suite is closed";

    // "&Exit" by its mnemonic asks the close question; Yes takes the icon away.
    ASSERT_TRUE(ChooseFromTrayMenu('e'));
    HWND question = WaitForWindow(nullptr, "Close Zarvik");
    ASSERT_NE(question, nullptr);
    PostMessageA(question, WM_COMMAND, IDYES, 0);
    EXPECT_EQ(Wait(zarvik), 0u);
    EXPECT_TRUE(TrayIconGone(5000)) << "the icon leaves with the program";
}

TEST_F(Program, StoredPositionsOffTheScreenAreBroughtBackOnIt) {
    const int screenWidth = GetSystemMetrics(SM_CXSCREEN), screenHeight = GetSystemMetrics(SM_CYSCREEN);
    std::ofstream(folder / "info.ini") << "[%General%]\r\nLeftPos=99999999\r\nTopPos=-3000\r\n";
    auto& first = Start();
    HWND main = WaitForWindow("ZarvikMain", "Zarvik");
    ASSERT_NE(main, nullptr);
    RECT r;
    GetWindowRect(main, &r);
    EXPECT_NEAR(r.right, screenWidth, 1) << "flush with the right edge";
    EXPECT_EQ(r.top, 0);
    PostMessageA(main, WM_CLOSE, 0, 0);
    ASSERT_EQ(Wait(first), 0u);

    std::ofstream(folder / "info.ini") << "[%General%]\r\nLeftPos=-500\r\nTopPos=99999999\r\n";
    auto& second = Start();
    main = WaitForWindow("ZarvikMain", "Zarvik");
    ASSERT_NE(main, nullptr);
    GetWindowRect(main, &r);
    EXPECT_EQ(r.left, 0);
    EXPECT_LE(r.bottom, screenHeight) << "above the bottom edge";
    EXPECT_GT(r.bottom, screenHeight - (r.bottom - r.top)) << "and near it";
    PostMessageA(main, WM_CLOSE, 0, 0);
    EXPECT_EQ(Wait(second), 0u);
}

TEST_F(Program, AClickOnTheTitleHoldsItStillAndTheNextLetsItPlayOn) {
    auto& zarvik = Start();
    HWND main = WaitForWindow("ZarvikMain", "Zarvik");
    ASSERT_NE(main, nullptr);
    SetWindowPos(main, HWND_TOPMOST, 200, 200, 0, 0, SWP_NOSIZE);
    Sleep(1500);
    RECT r;
    GetWindowRect(main, &r);
    const int strip = MulDiv(r.bottom - r.top, 240, 1905), title = MulDiv(r.bottom - r.top, 975, 1905);
    const RECT area = {r.left + 4, r.top + strip, r.right - 4, r.top + strip + title};
    const auto moving = [&] {
        const auto before = Shot(area);
        Sleep(400);
        return Shot(area) != before;
    };
    const auto click = [&] { Press({(area.left + area.right) / 2, (area.top + area.bottom) / 2}); };
    EXPECT_TRUE(moving()) << "the title plays";
    click();
    EXPECT_FALSE(moving()) << "held on one frame";
    click();
    EXPECT_TRUE(moving()) << "playing on";
    PostMessageA(main, WM_CLOSE, 0, 0);
    EXPECT_EQ(Wait(zarvik), 0u);
}

TEST_F(Program, OtherPlayersCannotSpeakForThePlayer) {
    std::ofstream(folder / "info.ini") << "[%General%]\r\nName=Padawan\r\n";
    // Each line waits to be the console's last, so that a tick examines it.
    SimProcess sim(
        "wait 2500\n"
        "chat-from Kyle Padawan: !time\nwait 200\n"
        "chat-from DarthPadawan !about\nwait 200\n"
        "chat-from Kyle \"name\" is:\"Kyle\" default:\"Padawan\"\nwait 200\n"
        "chat-from Kyle Padawan renamed to Kyle\nwait 200\n"
        "chat-from \"Padawan renamed to Kyle\" hi\nwait 200\n"
        "chat-from !offender hi\nwait 200\n"
        "chat-from Kyle Padawan entered the game\nwait 200\n"
        "chat Padawan entered the game\nwait 200\n"
        "chat-from Kyle \"mapname\" is:\"../../evil\" default:\"nomap\"\nwait 200\n"
        "chat !time\";quit;\"\n"
        "expect-match 950-3000 echo \\^7The \\^5Time \\^7is currently: .*\n"
        "expect-none 2000\n"
        "folder " +
        folder.string() +
        "\n"
        "ini Name Padawan\n");
    PlayWithZarvik(sim, 30000);
}

TEST_F(Program, PlaysAPlayersMatchInTheGamesConsole) {
    // The match the run command plays: entering the game, the chat commands, a bind captured
    // and loaded back; then what it left in the program's files.
    std::ifstream file(ZARVIK_SESSION_SCENARIO, std::ios::binary);
    std::string scenario((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    ASSERT_FALSE(scenario.empty());
    scenario += "\nfolder " + folder.string() +
                "\ncontains Data/ffa_bespin.txt Bind F5 \"force_push\""
                "\nini Name Padawan\n";
    SimProcess sim(scenario);
    PlayWithZarvik(sim, 60000);
}

TEST_F(Program, BindsFollowTheMapOnSomeoneElsesServer) {
    std::ofstream(folder / "info.ini") << "[%General%]\r\nName=Padawan\r\n";
    SimProcess sim(
        "wait 2500\n"
        "remote on\n"
        "map ffa_bespin\n"
        "bind F5 force_push\n"
        "chat !add f5\n"
        "expect 950-3000 Bind F5\n"
        "expect 950-3000 \"mapname\"\n"
        "expect 950-3000 ui_about_mapname\n"
        "expect 950-3000 echo \"^6Bind Saved ^1(^7F5 ^1|^7 \"force_push\" ^1|^7 ffa_bespin^1)\n"
        "wait 300\n"
        "bind F5 force_pull\n"
        "chat !load\n"
        "expect 950-3000 mapname\n"
        "expect 950-3000 ui_about_mapname\n"
        "expect 950-3000 echo !loadnow\n"
        "expect 950-3000 Bind F5 \"force_push\"\n"
        "expect 950-3000 echo ^2All binds ^3successfully ^2loaded\n"
        "folder " +
        folder.string() +
        "\n"
        "contains Data/ffa_bespin.txt Bind F5 \"force_push\"\n"
        "missing Data/nomap.txt\n");
    PlayWithZarvik(sim, 40000);
}

}  // namespace
