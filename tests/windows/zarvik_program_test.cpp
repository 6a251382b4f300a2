// Zarvik.exe itself, started as a player starts it, in a folder of its own; the mouse given
// through the input queue at the control's place on the screen.
#include "tests/windows/win_test.h"

namespace {

// Screen pixels as info.ini stores a position.
std::string Twips(int pixels) {
    HDC screen = GetDC(nullptr);
    const int dpi = GetDeviceCaps(screen, LOGPIXELSX);
    ReleaseDC(nullptr, screen);
    return std::to_string(MulDiv(pixels, 1440, dpi));
}

bool Becomes(HWND window, bool visible) {
    return WaitUntil([=] { return !IsWindowVisible(window) == !visible; });
}

// What the screen shows in `r`, every third pixel.
std::vector<COLORREF> Shot(RECT r) {
    std::vector<COLORREF> pixels;
    HDC screen = GetDC(nullptr);
    for (int y = r.top; y < r.bottom; y += 3)
        for (int x = r.left; x < r.right; x += 3) pixels.push_back(GetPixel(screen, x, y));
    ReleaseDC(nullptr, screen);
    return pixels;
}

using Program = ProgramTest;

// What Zarvik starts (here the game) never looks for programs in the current folder.
TEST_F(Program, ItsChildrenSearchNoCurrentFolder) {
    fs::copy_file(Tree() / "tests" / "windows" / "stand_in.exe", folder / "game.exe");
    WritePrivateProfileStringA("%General%", "Game", (folder / "game.exe").string().c_str(),
                               (folder / "info.ini").string().c_str());
    HANDLE zarvik = Start("--start-game");
    EXPECT_TRUE(WaitUntil([&] { return fs::exists(folder / "game.exe.ran"); }, 20000));
    EXPECT_EQ(ReadFile(folder / "game.exe.ran"), "1");
    Close(zarvik);
}

TEST_F(Program, StartsInAnEmptyFolderRefusesASecondCopyAndSavesItsPlaceOnTheWayOut) {
    HANDLE first = Start();
    HWND main = Main();
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

    HANDLE second = Start();
    PressButton("Zarvik Is Already Running!", "OK");
    EXPECT_EQ(ExitCode(second), 0u);
    EXPECT_EQ(WaitForSingleObject(first, 0), static_cast<DWORD>(WAIT_TIMEOUT)) << "the first runs on";
    EXPECT_EQ(Ini(folder, "LeftPos"), "<absent>");

    SetWindowPos(main, nullptr, 150, 90, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    Close(first);
    EXPECT_EQ(Ini(folder, "LeftPos"), Twips(150));
    EXPECT_EQ(Ini(folder, "TopPos"), Twips(90));

    // A place off the screen (another screen's, a hand-edited one) is brought back on it.
    WritePrivateProfileStringA("%General%", "LeftPos", "99999999", (folder / "info.ini").string().c_str());
    WritePrivateProfileStringA("%General%", "TopPos", "-3000", (folder / "info.ini").string().c_str());
    HANDLE again = Start();
    ASSERT_TRUE(GetWindowRect(Main(), &r));
    EXPECT_NEAR(r.right, GetSystemMetrics(SM_CXSCREEN), 1) << "flush with the right edge";
    EXPECT_EQ(r.top, 0);
    Close(again);
}

// Dragged by the label and by the handle beside the buttons, the title movie held by a click,
// its "X" above the label asking first; hidden by "-" and brought back by the tray icon's menu
// or a double click, whose "&Exit" asks the same question.
TEST_F(Program, TheTitleStripDragsHoldsTheTitleAndAsksFirstAndTheTrayBringsItBack) {
    ASSERT_TRUE(TrayIconGone(5000)) << "an earlier test's icon would take the clicks";
    HANDLE zarvik = Start();
    HWND main = Main();
    ASSERT_NE(main, nullptr);
    SetWindowPos(main, nullptr, 300, 300, 0, 0, SWP_NOSIZE | SWP_NOZORDER);  // off Wine's tray window
    HWND label = FindWindowExA(main, nullptr, "Static", "Zarvik");
    HWND handle = FindWindowExA(main, nullptr, "Button", "");
    HWND sink = FindWindowExA(main, nullptr, "Button", "Command2");
    HWND close = FindWindowExA(main, nullptr, "Button", "X");
    HWND hide = FindWindowExA(main, nullptr, "Button", "-");
    ASSERT_TRUE(label && handle && sink && close && hide);
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

    const int height = after.bottom - after.top, top = after.top + MulDiv(height, 240, 1905);
    const RECT area = {after.left + 4, top, after.right - 4, top + MulDiv(height, 975, 1905)};
    const auto moving = [&] {
        const auto before = Shot(area);
        Sleep(400);
        return Shot(area) != before;
    };
    EXPECT_TRUE(moving()) << "the title plays";
    for (const bool playing : {false, true}) {
        Press({(area.left + area.right) / 2, (area.top + area.bottom) / 2});
        EXPECT_EQ(moving(), playing) << "a click holds the title on one frame, the next lets it play on";
    }

    Press(Centre(close));
    PressButton("Close Zarvik", "&No");
    EXPECT_EQ(ExitCode(zarvik, 1500), 999u) << "No: it runs on";
    EXPECT_EQ(Ini(folder, "LeftPos"), "<absent>") << "and writes nothing";

    Press(Centre(hide));
    ASSERT_TRUE(Becomes(main, false)) << "\"-\" hides it";
    ASSERT_TRUE(ChooseFromTrayMenu('s')) << "Wine's tray window, Zarvik's icon in it, its menu";
    EXPECT_TRUE(Becomes(main, true)) << "&Show";
    Press(Centre(hide));
    ASSERT_TRUE(Becomes(main, false));
    ASSERT_TRUE(ClickTrayIcon(MOUSEEVENTF_LEFTDOWN, MOUSEEVENTF_LEFTUP, 2));
    EXPECT_TRUE(Becomes(main, true)) << "a double click on the icon";

    // "&Options" shows the editing suite modally: the main window waits until it is closed.
    ASSERT_TRUE(ChooseFromTrayMenu('o'));
    HWND suite = WaitForWindow(nullptr, "Editing Suite");
    ASSERT_NE(suite, nullptr);
    EXPECT_FALSE(IsWindowEnabled(main));
    PostMessageA(suite, WM_CLOSE, 0, 0);
    EXPECT_TRUE(WaitUntil([main] { return IsWindowEnabled(main); })) << "enabled again once the suite is closed";

    // Yes takes the icon away and keeps the place.
    ASSERT_TRUE(ChooseFromTrayMenu('e'));
    PressButton("Close Zarvik", "&Yes");
    EXPECT_EQ(ExitCode(zarvik), 0u);
    EXPECT_TRUE(TrayIconGone(5000)) << "the icon leaves with the program";
    EXPECT_EQ(Ini(folder, "LeftPos"), Twips(after.left));
    EXPECT_EQ(Ini(folder, "TopPos"), Twips(after.top));
}

// A data.txt marked read-only beside binds captured in the game and maps only joined.
TEST_F(Program, TheMapListShowsMapsWithBindsAndSaysOnceWhyItsIndexTookNone) {
    const fs::path data = folder / "Data";
    fs::create_directories(data);
    for (const auto& [map, text] : {std::pair{"data", "ffa_bespin\r\n"},
                                    {"ffa_bespin", "Bind F5 force_push\r\n"},
                                    {"t1_rail", "Bind F6 \"force_pull\"\r\n"},
                                    {"ctf_yavin", "Bind F7 a\r\n"},
                                    {"mp_duel", ""}})
        std::ofstream(data / (std::string(map) + ".txt"), std::ios::binary) << text;
    const std::string index = (data / "data.txt").string();
    SetFileAttributesA(index.c_str(), FILE_ATTRIBUTE_READONLY);
    HANDLE zarvik = Start();
    // The list is filled at start-up, before the main window shows.
    HWND box = WaitForWindow("#32770", "Zarvik");
    ASSERT_NE(box, nullptr);
    EXPECT_NE(WindowText(GetDlgItem(box, 0xFFFF)).find(index + " is marked read-only."), std::string::npos);
    PressButton("Zarvik", "OK");
    HWND main = Main();
    ASSERT_NE(main, nullptr);
    SetWindowPos(main, nullptr, 300, 300, 0, 0, SWP_NOSIZE | SWP_NOZORDER);  // off Wine's tray window
    Press(Centre(FindWindowExA(main, nullptr, "Button", "&Edit Binds")));
    HWND suite = WaitForWindow(nullptr, "Editing Suite");
    ASSERT_NE(suite, nullptr);
    EXPECT_EQ(WaitForWindow("#32770", "Zarvik", 1000), nullptr) << "said once";
    EXPECT_EQ(ListEntries(FindWindowExA(suite, nullptr, "ListBox", nullptr)),
              (std::vector<std::string>{"ffa_bespin", "ctf_yavin", "t1_rail"}));
    EXPECT_EQ(ReadFile(index), "ffa_bespin\r\n");

    SetFileAttributesA(index.c_str(), FILE_ATTRIBUTE_NORMAL);
    Press(Centre(FindWindowExA(suite, nullptr, "Button", "&Reload")), {-1, -1}, suite);
    EXPECT_EQ(ReadFile(index), "ffa_bespin\r\nctf_yavin\r\nt1_rail\r\n") << "no map only joined";
    EXPECT_EQ(FindWindowA("#32770", "Zarvik"), nullptr);
    Close(zarvik);
}

TEST_F(Program, PlaysAPlayersMatchInTheGamesConsole) {
    // The match the run command plays: entering the game, the chat commands, a bind captured
    // and loaded back; then lines other players chose to write, none of which may make Zarvik
    // type anything, and what it left in the program's files.
    const std::string scenario = ReadFile(ZARVIK_SESSION_SCENARIO);
    ASSERT_NE(scenario, "<missing>");
    SimProcess sim(scenario +
                   "\nchat-from Kyle Padawan: !time\nwait 200\nchat-from DarthPadawan !about\nwait 200\n"
                   "chat-from Kyle \"name\" is:\"Kyle\" default:\"Padawan\"\nwait 200\n"
                   "chat-from Kyle Padawan renamed to Kyle\nwait 200\nchat-from !offender hi\nwait 200\n"
                   "chat-from \"Padawan renamed to Kyle\" hi\nwait 200\nchat Padawan entered the game\n"
                   "wait 200\nchat-from Kyle Padawan entered the game\nwait 200\n"
                   "chat-from Kyle \"mapname\" is:\"../../evil\" default:\"nomap\"\nexpect-none 1500\n"
                   "folder " +
                   folder.string() + "\ncontains Data/ffa_bespin.txt Bind F5 \"force_push\"\nini Name Padawan\n");
    HANDLE zarvik = Start();
    EXPECT_EQ(sim.Finish(60000), 0u) << sim.Log();
    Close(zarvik);
}

}  // namespace
