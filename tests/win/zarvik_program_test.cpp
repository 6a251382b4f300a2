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
    GetPrivateProfileStringA("%General%", key, "<absent>", value, sizeof value, (folder / "info.ini").string().c_str());
    return value;
}

// The window once it shows: the program shows it at the end of its start-up.
HWND WaitForWindow(const char* cls, const char* title, DWORD ms = 15000) {
    const DWORD start = GetTickCount();
    while (GetTickCount() - start < ms) {
        HWND found = FindWindowA(cls, title);
        if (found && IsWindowVisible(found)) return found;
        Sleep(50);
    }
    return nullptr;
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
        EXPECT_TRUE(CreateProcessA(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, folder.string().c_str(),
                                   &si, &started.back()));
        return started.back();
    }
    DWORD Wait(PROCESS_INFORMATION& pi, DWORD ms = 15000) {
        DWORD code = 999;
        if (WaitForSingleObject(pi.hProcess, ms) == WAIT_OBJECT_0) GetExitCodeProcess(pi.hProcess, &code);
        return code;
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

    auto& second = Start();
    HWND box = WaitForWindow(nullptr, "Zarvik Is Already Running!");
    ASSERT_NE(box, nullptr);
    PostMessageA(box, WM_COMMAND, IDOK, 0);
    EXPECT_EQ(Wait(second), 0u);
    EXPECT_EQ(WaitForSingleObject(first.hProcess, 0), static_cast<DWORD>(WAIT_TIMEOUT)) << "the first runs on";
    EXPECT_EQ(Ini(folder, "LeftPos"), "<absent>");

    // Closed from outside (log-off, task list): the exit path without a question.
    SetWindowPos(main, nullptr, 150, 90, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    PostMessageA(main, WM_CLOSE, 0, 0);
    EXPECT_EQ(Wait(first), 0u);
    HDC screen = GetDC(nullptr);
    const int dpi = GetDeviceCaps(screen, LOGPIXELSX);
    ReleaseDC(nullptr, screen);
    EXPECT_EQ(Ini(folder, "LeftPos"), std::to_string(MulDiv(150, 1440, dpi)));
    EXPECT_EQ(Ini(folder, "TopPos"), std::to_string(MulDiv(90, 1440, dpi)));
}

BOOL CALLBACK FindButtonX(HWND hwnd, LPARAM out) {
    char text[8] = {};
    GetWindowTextA(hwnd, text, sizeof text);
    if (std::string(text) != "X") return TRUE;
    *reinterpret_cast<HWND*>(out) = hwnd;
    return FALSE;
}

TEST_F(Program, TheCloseButtonAsksAndOnlyYesEndsIt) {
    auto& zarvik = Start();
    HWND main = WaitForWindow("ZarvikMain", "Zarvik");
    ASSERT_NE(main, nullptr);
    HWND close = nullptr;
    EnumChildWindows(main, FindButtonX, reinterpret_cast<LPARAM>(&close));
    ASSERT_NE(close, nullptr);

    PostMessageA(close, BM_CLICK, 0, 0);
    HWND question = WaitForWindow(nullptr, "Close Zarvik");
    ASSERT_NE(question, nullptr);
    PostMessageA(question, WM_COMMAND, IDNO, 0);
    EXPECT_EQ(Wait(zarvik, 1500), 999u) << "No: it runs on";
    EXPECT_EQ(Ini(folder, "LeftPos"), "<absent>") << "and writes nothing";

    PostMessageA(close, BM_CLICK, 0, 0);
    question = WaitForWindow(nullptr, "Close Zarvik");
    ASSERT_NE(question, nullptr);
    PostMessageA(question, WM_COMMAND, IDYES, 0);
    EXPECT_EQ(Wait(zarvik), 0u);
    EXPECT_EQ(Ini(folder, "LeftPos"), "0");
    EXPECT_EQ(Ini(folder, "TopPos"), "0");
}

TEST_F(Program, TheTrayIconsMenuReachesTheCloseQuestion) {
    auto& zarvik = Start();
    HWND main = WaitForWindow("ZarvikMain", "Zarvik");
    ASSERT_NE(main, nullptr);
    // Both start at the screen's top left: move Zarvik off Wine's tray window.
    SetWindowPos(main, nullptr, 300, 300, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    ASSERT_TRUE(RightClickTrayIcon()) << "Wine's tray window and Zarvik's icon in it";

    // The menu is up: "&Exit" by its mnemonic asks the close question.
    ASSERT_NE(WaitForWindow("#32768", nullptr, 5000), nullptr) << "the tray menu";
    INPUT key[2] = {};
    key[0].type = key[1].type = INPUT_KEYBOARD;
    key[0].ki.wVk = key[1].ki.wVk = 'E';
    key[1].ki.dwFlags = KEYEVENTF_KEYUP;
    SendInput(2, key, sizeof(INPUT));
    HWND question = WaitForWindow(nullptr, "Close Zarvik");
    ASSERT_NE(question, nullptr);
    PostMessageA(question, WM_COMMAND, IDYES, 0);
    EXPECT_EQ(Wait(zarvik), 0u);
}

TEST_F(Program, AnswersThePlayerInTheGamesConsole) {
    std::ofstream(folder / "info.ini") << "[%General%]\r\nName=Padawan\r\n";
    SimProcess sim(
        "wait 2500\n"
        "chat !about\n"
        "expect 950-3000 say ^4Zar^6v^1i^6k ^7v1.0.0 ^6 by ^2[^1k^3I^1r^3!^2]\n");
    auto& zarvik = Start();
    EXPECT_EQ(sim.Finish(20000), 0u) << sim.Log();
    HWND main = WaitForWindow("ZarvikMain", "Zarvik");
    if (main) PostMessageA(main, WM_CLOSE, 0, 0);
    EXPECT_EQ(Wait(zarvik), 0u);
}

}  // namespace
