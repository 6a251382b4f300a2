#include "app/console/ConsoleHost.h"

#include "winbase/Own.h"

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

// What Zarvik hands the host and what the host answers, in memory shared by name: a command
// line passed through conhost.exe is taken apart and put together again on its way.
struct StartJob {
    char program[MAX_PATH];
    char commandLine[32768];  // the game's own: its quoted path, then its arguments
    DWORD error;
    DWORD hostId;
};

// conhost.exe, started by us, makes the console and starts the host in it ("attached"), or
// the host makes the console itself ("own").
constexpr char kAttached[] = "attached";
constexpr char kOwn[] = "own";

std::string ThisProgram() {
    char path[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    return path;
}

template <typename T>
winbase::MappedView View(const winbase::Handle& mapping) {
    return winbase::MappedView(MapViewOfFile(mapping.get(), FILE_MAP_READ | FILE_MAP_WRITE, 0, 0, sizeof(T)));
}

// Starts `exe` hidden in `folder` and waits until the host it leads to has answered in `job`.
DWORD RunHost(const std::string& exe, std::string commandLine, DWORD flags, const std::string& folder,
              const StartJob& job, HANDLE answered) {
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESHOWWINDOW;
    // The console's window takes this as its first state; a console started hidden is never
    // handed to another terminal (Windows Terminal would only minimise it).
    startup.wShowWindow = SW_HIDE;
    PROCESS_INFORMATION made = {};
    if (!CreateProcessA(exe.c_str(), commandLine.data(), nullptr, nullptr, FALSE, flags, nullptr,
                        folder.empty() ? nullptr : folder.c_str(), &startup, &made))
        return GetLastError();
    const winbase::Handle process(made.hProcess), thread(made.hThread);
    const HANDLE waits[] = {answered, made.hProcess};
    const DWORD woke = WaitForMultipleObjects(2, waits, FALSE, kStartTimeoutMs);
    DWORD error = ERROR_TIMEOUT;
    if (woke == WAIT_OBJECT_0) error = job.error;
    if (woke == WAIT_OBJECT_0 + 1 && (!GetExitCodeProcess(made.hProcess, &error) || error == 0))
        error = ERROR_PROCESS_ABORTED;
    // Not left waiting: a conhost.exe whose host failed would wait for a client that never comes.
    if (error) TerminateProcess(made.hProcess, 1);
    return error;
}

// The host's console: the one conhost.exe made for us, or a new one of our own, started hidden
// as we were. It must have a window, hidden: the game prints nothing to a console without one.
DWORD MakeConsole(bool attached) {
    if (!attached) {
        // Started from a console, we would be in it already: the game's console is a new one.
        FreeConsole();
        if (!AllocConsole()) return GetLastError();
    }
    const HWND window = GetConsoleWindow();
    if (!window) return ERROR_INVALID_WINDOW_HANDLE;
    // Only a console window shown: hiding one that a terminal took over would minimise it.
    if (IsWindowVisible(window)) ShowWindow(window, SW_HIDE);
    const winbase::FileHandle output(CreateFileA("CONOUT$", GENERIC_READ | GENERIC_WRITE,
                                                 FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0,
                                                 nullptr));
    if (output) SetConsoleScreenBufferSize(output.get(), {kWidth, kHeight});
    return 0;
}

// The record a Zarvik started later finds the game by; it goes when this process ends.
DWORD KeepRecord(winbase::Handle& record) {
    record.reset(CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, sizeof(DWORD), kGameRecordName));
    if (!record) return GetLastError();
    if (GetLastError() == ERROR_ALREADY_EXISTS) return ERROR_ALREADY_EXISTS;  // a game of ours runs
    const winbase::MappedView id = View<DWORD>(record);
    if (!id) return GetLastError();
    *static_cast<DWORD*>(id.get()) = GetCurrentProcessId();
    return 0;
}

DWORD StartGame(const StartJob& job, winbase::Handle& game) {
    std::string commandLine(job.commandLine, strnlen(job.commandLine, sizeof job.commandLine));
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION made = {};
    // In our own folder, which is the game's.
    if (!CreateProcessA(job.program, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &made))
        return GetLastError();
    const winbase::Handle thread(made.hThread);
    game.reset(made.hProcess);
    return 0;
}

}  // namespace

DWORD StartConsoleHost(const std::string& program, const std::string& arguments, DWORD& hostId) {
    hostId = 0;
    const std::string commandLine = "\"" + program + "\"" + (arguments.empty() ? "" : " " + arguments);
    if (program.size() >= MAX_PATH || commandLine.size() >= sizeof StartJob::commandLine)
        return ERROR_FILENAME_EXCED_RANGE;
    // Named, so that nothing of ours has to be inherited.
    const std::string name =
        "Local\\Zarvik.GameStart." + std::to_string(GetCurrentProcessId()) + "." + std::to_string(GetTickCount());
    const winbase::Handle mapping(CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, sizeof(StartJob),
                                                     (name + ".Job").c_str()));
    if (!mapping) return GetLastError();
    const winbase::MappedView view = View<StartJob>(mapping);
    auto* job = static_cast<StartJob*>(view.get());
    const winbase::Handle answered(job ? CreateEventA(nullptr, TRUE, FALSE, name.c_str()) : nullptr);
    DWORD error = answered ? 0 : GetLastError();
    if (!error) {
        program.copy(job->program, sizeof job->program - 1);
        commandLine.copy(job->commandLine, sizeof job->commandLine - 1);
        const std::size_t slash = program.find_last_of("\\/");
        const std::string folder = slash == std::string::npos ? std::string() : program.substr(0, slash + 1);
        const std::string self = ThisProgram();
        const std::string host = "\"" + self + "\" " + kConsoleHostFlag + " ";
        // Started with a program to run, conhost.exe keeps the console in its own window and never
        // hands it to another terminal; Wine's runs no program, and there the host makes its own.
        char system[MAX_PATH] = {};
        GetSystemDirectoryA(system, MAX_PATH);
        const std::string conhost = std::string(system) + "\\conhost.exe";
        error =
            RunHost(conhost, "\"" + conhost + "\" " + host + kAttached + " " + name, 0, folder, *job, answered.get());
        if (error) {
            ResetEvent(answered.get());
            error = RunHost(self, host + kOwn + " " + name, DETACHED_PROCESS, folder, *job, answered.get());
        }
        if (!error) hostId = job->hostId;
    }
    return error;
}

DWORD RunningConsoleHost() {
    const winbase::Handle record(OpenFileMappingA(FILE_MAP_READ, FALSE, kGameRecordName));
    if (!record) return 0;
    const winbase::MappedView id(MapViewOfFile(record.get(), FILE_MAP_READ, 0, 0, sizeof(DWORD)));
    return id ? *static_cast<const DWORD*>(id.get()) : 0;
}

int RunConsoleHost(const char* commandLine) {
    // attached|own <name>
    std::string rest = commandLine;
    rest.erase(0, rest.find_first_not_of(' '));
    const std::size_t modeEnd = rest.find(' ');
    const std::size_t nameStart = rest.find_first_not_of(' ', modeEnd);
    if (nameStart == std::string::npos) return ERROR_BAD_ARGUMENTS;
    const bool attached = rest.substr(0, modeEnd) == kAttached;
    const std::string name = rest.substr(nameStart);
    winbase::Handle mapping(OpenFileMappingA(FILE_MAP_READ | FILE_MAP_WRITE, FALSE, (name + ".Job").c_str()));
    if (!mapping) return static_cast<int>(GetLastError());
    winbase::MappedView view = View<StartJob>(mapping);
    auto* job = static_cast<StartJob*>(view.get());
    if (!job) return static_cast<int>(GetLastError());

    winbase::Handle record, game;
    DWORD error = MakeConsole(attached);
    if (!error) error = KeepRecord(record);
    if (!error) error = StartGame(*job, game);
    // Gone before Zarvik tries another way, so that the next host may keep it.
    if (error) record.reset();
    job->error = error;
    job->hostId = GetCurrentProcessId();
    view.reset();
    mapping.reset();
    SetEvent(winbase::Handle(OpenEventA(EVENT_MODIFY_STATE, FALSE, name.c_str())).get());
    if (error) return static_cast<int>(error);
    WaitForSingleObject(game.get(), INFINITE);
    return 0;
}

}  // namespace zarvik
