#pragma once

// Set-up the Windows test programs share: the build tree, folders of their own, files read
// back, programs started and waited for, the game console simulator, and Zarvik.exe itself.

#include "tests/windows/message_loop.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

namespace fs = std::filesystem;

// The build tree: each test program lies in <tree>/tests/<folder>/.
inline fs::path Tree() {
    char exe[MAX_PATH];
    GetModuleFileNameA(nullptr, exe, MAX_PATH);
    return fs::path(exe).parent_path().parent_path().parent_path();
}

// An empty folder in the temporary folder, its name made unique to this process.
inline fs::path TempFolder(const std::string& name) {
    char temp[MAX_PATH];
    GetTempPathA(MAX_PATH, temp);
    const fs::path folder = fs::path(temp) / (name + "-" + std::to_string(GetCurrentProcessId()));
    fs::remove_all(folder);
    fs::create_directories(folder);
    return folder;
}

// The whole file, or "<missing>".
inline std::string ReadFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return in ? text.str() : "<missing>";
}

// A setting as info.ini in `folder` holds it, or "<absent>".
inline std::string Ini(const fs::path& folder, const char* key) {
    char value[256] = {};
    GetPrivateProfileStringA("%General%", key, "<absent>", value, sizeof value, (folder / "info.ini").string().c_str());
    return value;
}

// A registry value (`name` nullptr: the key's default), or nothing when the key or value is missing.
inline std::optional<std::string> RegValue(HKEY root, const std::string& key, const char* name = nullptr) {
    char data[1024] = {};
    DWORD size = sizeof data;
    if (RegGetValueA(root, key.c_str(), name, RRF_RT_REG_SZ, nullptr, data, &size) != ERROR_SUCCESS)
        return std::nullopt;
    return std::string(data);
}

inline bool KeyExists(HKEY root, const std::string& key) {
    HKEY opened;
    if (RegOpenKeyExA(root, key.c_str(), 0, KEY_READ, &opened) != ERROR_SUCCESS) return false;
    RegCloseKey(opened);
    return true;
}

// A window's text (a control's of this process).
inline std::string WindowText(HWND hwnd) {
    char text[2048] = {};
    GetWindowTextA(hwnd, text, sizeof text);
    return text;
}

// A list box's entries (of this process or another, which gives them in UTF-16).
inline std::vector<std::string> ListEntries(HWND list) {
    std::vector<std::string> entries;
    wchar_t text[256];
    for (int i = 0; i < SendMessageW(list, LB_GETCOUNT, 0, 0); ++i)
        if (SendMessageW(list, LB_GETTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(text)) >= 0)
            entries.emplace_back(text, text + wcslen(text));
    return entries;
}

inline POINT Centre(HWND window) {
    RECT r;
    GetWindowRect(window, &r);
    return {(r.left + r.right) / 2, (r.top + r.bottom) / 2};
}

// A mouse button going down or up (MOUSEEVENTF_...), through the input queue.
inline void Mouse(DWORD event) {
    INPUT input = {};
    input.type = INPUT_MOUSE;
    input.mi.dwFlags = event;
    SendInput(1, &input, sizeof input);
}

// The left button pressed at `at` on the screen and let go at `to` (where it was pressed when
// left out), as a player's hand gives it. What lies at `at` must belong to the top-level window
// `over` (Zarvik's main window when left out).
inline void Press(POINT at, POINT to = {-1, -1}, HWND over = FindWindowA("ZarvikMain", nullptr)) {
    if (to.x < 0) to = at;
    EXPECT_EQ(GetAncestor(WindowFromPoint(at), GA_ROOT), over) << "another window lies over the point pressed";
    SetCursorPos(at.x, at.y);
    Mouse(MOUSEEVENTF_LEFTDOWN);
    for (int step = 1; step <= 4; ++step) {
        Sleep(100);
        SetCursorPos(at.x + (to.x - at.x) * step / 4, at.y + (to.y - at.y) * step / 4);
    }
    Sleep(100);
    Mouse(MOUSEEVENTF_LEFTUP);
    Sleep(300);
}

// Clicks the tray icon `times` times with the given button, as a player would. False when there
// is no icon.
inline bool ClickTrayIcon(DWORD down, DWORD up, int times = 1) {
    HWND icon = TrayIcon();
    if (!icon) return false;
    SetCursorPos(Centre(icon).x, Centre(icon).y);
    for (int i = 0; i < times; ++i) Mouse(down), Mouse(up);
    return true;
}

// Right-clicks the tray icon and picks an entry of its menu by its mnemonic. The letter goes to
// the menu itself: under Wine without a window manager the owner of a tray menu does not always
// become the foreground window, and keys typed then go elsewhere.
inline bool ChooseFromTrayMenu(char key) {
    HWND menu = nullptr;
    if (!ClickTrayIcon(MOUSEEVENTF_RIGHTDOWN, MOUSEEVENTF_RIGHTUP) || !(menu = WaitForWindow("#32768", nullptr, 5000)))
        return false;
    // The menu window shows a moment before its loop reads messages; hiding it takes Wine up to
    // two seconds. A letter the loop did not take leaves the menu open, and is given again.
    for (int tries = 0; tries < 4; ++tries) {
        Sleep(300);
        PostMessageA(menu, WM_CHAR, static_cast<WPARAM>(key), 1);
        if (WaitUntil([menu] { return !IsWindowVisible(menu); }, 2500)) return true;
    }
    return false;
}

// The message box titled `title`, once shown, answered by a click on its button `caption`
// ("&Yes", "OK").
inline void PressButton(const char* title, const char* caption) {
    HWND box = WaitForWindow("#32770", title);
    ASSERT_NE(box, nullptr) << title;
    HWND button = FindWindowExA(box, nullptr, "Button", caption);
    ASSERT_NE(button, nullptr) << caption;
    // A box shows a moment before its loop reads the mouse; a click it missed is given again.
    for (int tries = 0; tries < 3; ++tries) {
        Sleep(300);
        Press(Centre(button), {-1, -1}, box);
        if (WaitUntil([box] { return !IsWindow(box); }, 2000)) return;
    }
    ADD_FAILURE() << "the box never took the click on " << caption;
}

// The process started, or nullptr.
inline HANDLE StartProcess(std::string commandLine, const fs::path& folder = {}, DWORD flags = 0) {
    STARTUPINFOA si = {};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi = {};
    if (!CreateProcessA(nullptr, commandLine.data(), nullptr, nullptr, FALSE, flags, nullptr,
                        folder.empty() ? nullptr : folder.string().c_str(), &si, &pi))
        return nullptr;
    CloseHandle(pi.hThread);
    return pi.hProcess;
}

// The exit code, or 999 when the process did not end within `ms`.
inline DWORD ExitCode(HANDLE process, DWORD ms = 15000) {
    DWORD code = 999;
    if (process && WaitForSingleObject(process, ms) == WAIT_OBJECT_0) GetExitCodeProcess(process, &code);
    return code;
}

inline void EndProcess(HANDLE process) {
    if (!process) return;
    if (WaitForSingleObject(process, 0) == WAIT_TIMEOUT) TerminateProcess(process, 998);
    CloseHandle(process);
}

// The game console simulator playing a scenario from a folder of its own: the scenario plays the
// game, the test plays Zarvik. `options` go before the rest of its command line.
class SimProcess {
  public:
    explicit SimProcess(const std::string& scenario, const std::string& options = "") {
        static int count = 0;
        folder_ = TempFolder("zarvik-sim-" + std::to_string(++count));
        std::ofstream(folder_ / "scenario.txt", std::ios::binary) << scenario;
        process_ = StartProcess("\"" + (Tree() / "tools" / "console-sim" / "console-sim.exe").string() +
                                "\" --hidden " + options + " --log \"" + (folder_ / "log.txt").string() + "\" \"" +
                                (folder_ / "scenario.txt").string() + "\"");
    }
    ~SimProcess() {
        EndProcess(process_);
        std::error_code ignored;
        fs::remove_all(folder_, ignored);
    }
    SimProcess(const SimProcess&) = delete;
    SimProcess& operator=(const SimProcess&) = delete;

    // 0 when every step of the scenario held.
    DWORD Finish(DWORD ms = 20000) const { return ExitCode(process_, ms); }
    std::string Log() const { return ReadFile(folder_ / "log.txt"); }

  private:
    fs::path folder_;
    HANDLE process_ = nullptr;
};

// Zarvik.exe in a fresh folder of its own, started from there as a shortcut starts it.
class ProgramTest : public ::testing::Test {
  protected:
    void SetUp() override {
        folder = TempFolder("zarvik-program");
        fs::copy_file(Tree() / "program" / "Zarvik.exe", folder / "Zarvik.exe");
    }
    void TearDown() override {
        for (HANDLE process : started) EndProcess(process);
        std::error_code ignored;
        fs::remove_all(folder, ignored);
    }
    HANDLE Start(const std::string& arguments = "") {
        started.push_back(StartProcess("\"" + (folder / "Zarvik.exe").string() + "\" " + arguments, folder));
        EXPECT_NE(started.back(), nullptr);
        return started.back();
    }
    // Its main window, once shown; nullptr when none showed.
    static HWND Main() { return WaitForWindow("ZarvikMain", "Zarvik"); }
    // Closed from outside (log-off, the task list): the exit path without a question.
    void Close(HANDLE zarvik) {
        if (HWND main = Main()) PostMessageA(main, WM_CLOSE, 0, 0);
        EXPECT_EQ(ExitCode(zarvik), 0u);
    }

    fs::path folder;
    std::vector<HANDLE> started;
};
