#include "app/console/ConsoleHost.h"

#include <cstring>

namespace zarvik {
namespace {

// Wide enough for a whole typed line and nearly every printed one; longer lines are joined
// back. A line of exactly this width reads as going on where the console defers its wrap
// (Wine does): the rows cannot tell.
constexpr SHORT kWidth = 1024;
// Scrolling starts once the game reaches the last row; the read mark then follows its anchor.
constexpr SHORT kHeight = 1000;
// How long the game may take to be started in the console.
constexpr DWORD kStartTimeoutMs = 15000;

std::string ThisProgram() {
    char path[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    return path;
}

}  // namespace

DWORD StartConsoleHost(const std::string& program, const std::string& arguments, PROCESS_INFORMATION& host) {
    host = {};
    // Told by name, so that nothing of ours has to be inherited.
    const std::string started = "Local\\Zarvik.GameStarted." + std::to_string(GetCurrentProcessId()) + "." +
                                std::to_string(GetTickCount());
    HANDLE event = CreateEventA(nullptr, TRUE, FALSE, started.c_str());
    if (!event) return GetLastError();
    const std::string self = ThisProgram();
    std::string commandLine = "\"" + self + "\" " + kConsoleHostFlag + " " + started + " \"" + program + "\"" +
                              (arguments.empty() ? "" : " " + arguments);
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = SW_HIDE;  // the console it makes starts hidden
    PROCESS_INFORMATION made = {};
    if (!CreateProcessA(self.c_str(), commandLine.data(), nullptr, nullptr, FALSE, DETACHED_PROCESS, nullptr, nullptr,
                        &startup, &made)) {
        const DWORD error = GetLastError();
        CloseHandle(event);
        return error;
    }
    const HANDLE waits[] = {event, made.hProcess};
    const DWORD woke = WaitForMultipleObjects(2, waits, FALSE, kStartTimeoutMs);
    CloseHandle(event);
    DWORD error = 0;
    if (woke == WAIT_OBJECT_0 + 1) {
        GetExitCodeProcess(made.hProcess, &error);
        if (error == 0) error = ERROR_PROCESS_ABORTED;
    } else if (woke != WAIT_OBJECT_0) {
        TerminateProcess(made.hProcess, 1);
        error = ERROR_TIMEOUT;
    }
    if (error) {
        CloseHandle(made.hThread);
        CloseHandle(made.hProcess);
        return error;
    }
    host = made;
    return 0;
}

int RunConsoleHost(const char* commandLine) {
    // <event name> "<game program>" [arguments]
    std::string rest = commandLine;
    rest.erase(0, rest.find_first_not_of(' '));
    const std::size_t nameEnd = rest.find(' ');
    if (nameEnd == std::string::npos) return ERROR_BAD_ARGUMENTS;
    const std::string started = rest.substr(0, nameEnd);
    rest.erase(0, rest.find_first_not_of(' ', nameEnd));
    if (rest.empty() || rest[0] != '"') return ERROR_BAD_ARGUMENTS;
    const std::size_t close = rest.find('"', 1);
    if (close == std::string::npos) return ERROR_BAD_ARGUMENTS;
    const std::string program = rest.substr(1, close - 1);
    std::string gameLine = rest;  // the game's own command line: its quoted path, then its arguments

    // Started from a console, we would be in it already: the game's console is a new one.
    FreeConsole();
    if (!AllocConsole()) return static_cast<int>(GetLastError());
    if (HWND window = GetConsoleWindow()) ShowWindow(window, SW_HIDE);
    HANDLE output = CreateFileA("CONOUT$", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                OPEN_EXISTING, 0, nullptr);
    if (output != INVALID_HANDLE_VALUE) {
        SetConsoleScreenBufferSize(output, {kWidth, kHeight});
        CloseHandle(output);
    }

    // The game's own folder is its working folder.
    const std::size_t slash = program.find_last_of("\\/");
    const std::string folder = slash == std::string::npos ? std::string() : program.substr(0, slash + 1);
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION game = {};
    if (!CreateProcessA(program.c_str(), gameLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        folder.empty() ? nullptr : folder.c_str(), &startup, &game))
        return static_cast<int>(GetLastError());
    if (HANDLE event = OpenEventA(EVENT_MODIFY_STATE, FALSE, started.c_str())) {
        SetEvent(event);
        CloseHandle(event);
    }
    CloseHandle(game.hThread);
    WaitForSingleObject(game.hProcess, INFINITE);
    CloseHandle(game.hProcess);
    return 0;
}

}  // namespace zarvik
