#include "sim_process.h"

#include <fstream>
#include <sstream>

namespace {

std::filesystem::path SimulatorPath() {
    char exe[MAX_PATH];
    GetModuleFileNameA(nullptr, exe, MAX_PATH);
    // <tree>/tests/win/this.exe -> <tree>/tools/console-sim/console-sim.exe
    return std::filesystem::path(exe).parent_path().parent_path().parent_path() / "tools" / "console-sim" /
           "console-sim.exe";
}

}  // namespace

SimProcess::SimProcess(const std::string& scenario) {
    static int count = 0;
    char temp[MAX_PATH];
    GetTempPathA(MAX_PATH, temp);
    folder_ = std::filesystem::path(temp) /
              ("zarvik-sim-" + std::to_string(GetCurrentProcessId()) + "-" + std::to_string(++count));
    std::filesystem::remove_all(folder_);
    std::filesystem::create_directories(folder_);
    std::string text = scenario;
    const std::string folder = folder_.string();
    for (std::size_t at; (at = text.find("$FOLDER")) != std::string::npos;) text.replace(at, 7, folder);
    std::ofstream(folder_ / "scenario.txt", std::ios::binary) << text;

    std::string command = "\"" + SimulatorPath().string() + "\" --hidden --log \"" + (folder_ / "log.txt").string() +
                          "\" \"" + (folder_ / "scenario.txt").string() + "\"";
    STARTUPINFOA si = {};
    si.cb = sizeof si;
    if (!CreateProcessA(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &process_))
        process_ = {};
}

SimProcess::~SimProcess() {
    if (process_.hProcess) {
        if (WaitForSingleObject(process_.hProcess, 0) == WAIT_TIMEOUT) TerminateProcess(process_.hProcess, 998);
        CloseHandle(process_.hThread);
        CloseHandle(process_.hProcess);
    }
    std::error_code ignored;
    std::filesystem::remove_all(folder_, ignored);
}

DWORD SimProcess::Finish(DWORD timeoutMs) {
    DWORD code = 999;
    if (process_.hProcess && WaitForSingleObject(process_.hProcess, timeoutMs) == WAIT_OBJECT_0)
        GetExitCodeProcess(process_.hProcess, &code);
    return code;
}

std::string SimProcess::Log() const {
    std::ifstream in(folder_ / "log.txt", std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

std::string WindowText(HWND hwnd) {
    const auto length = SendMessageA(hwnd, WM_GETTEXTLENGTH, 0, 0);
    std::string text(static_cast<size_t>(length) + 1, '\0');
    text.resize(static_cast<size_t>(
        SendMessageA(hwnd, WM_GETTEXT, static_cast<WPARAM>(text.size()), reinterpret_cast<LPARAM>(text.data()))));
    return text;
}
