#include "app/windows/Win32Dialogs.h"

#include "app/windows/InputBox.h"
#include "winbase/Own.h"

#include <commdlg.h>

#include <utility>
#include <vector>

namespace zarvik {
namespace {

// A command line's program (its first word, or its quoted beginning) and the rest, blank included.
std::pair<std::string, std::string> SplitProgram(const std::string& commandLine) {
    if (commandLine.empty() || commandLine.front() != '"') {
        const std::size_t blank = commandLine.find(' ');
        return {commandLine.substr(0, blank), blank == std::string::npos ? "" : commandLine.substr(blank)};
    }
    const std::size_t close = commandLine.find('"', 1);
    if (close == std::string::npos) return {commandLine.substr(1), ""};
    return {commandLine.substr(1, close - 1), commandLine.substr(close + 1)};
}

// The file a command line's program is started from. A name without a folder ("explorer", the
// default editor "Notepad.exe") is looked for in the system's folders only, never in Zarvik's
// folder or the current one, where any download may lie: "" when it is not there. A path, such
// as an editor the player browsed to, stands as given.
std::string ProgramPath(std::string program) {
    if (program.find_first_of("\\/:") != std::string::npos) return program;  // the player's own choice
    if (program.empty()) return "";
    if (program.find('.') == std::string::npos) program += ".exe";
    char windows[MAX_PATH], system[MAX_PATH];
    const UINT windowsLength = GetWindowsDirectoryA(windows, MAX_PATH);
    const UINT systemLength = GetSystemDirectoryA(system, MAX_PATH);
    std::vector<std::string> folders;
    // The shell is the Windows folder's; other programs come from the system folder first.
    const bool explorer = lstrcmpiA(program.c_str(), "explorer.exe") == 0;
    if (!explorer && systemLength > 0 && systemLength < MAX_PATH) folders.emplace_back(system, systemLength);
    if (windowsLength > 0 && windowsLength < MAX_PATH) folders.emplace_back(windows, windowsLength);
    for (const std::string& folder : folders) {
        const std::string path = folder + "\\" + program;
        const DWORD attributes = GetFileAttributesA(path.c_str());
        if (attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY)) return path;
    }
    return "";
}

// Once the program is on its way out (a WM_QUIT waits for the outer loop), no box shows: a box
// the player's exit interrupted answers as cancelled, and what follows it must not ask again.
bool Quitting() {
    MSG msg;
    return PeekMessageA(&msg, nullptr, WM_QUIT, WM_QUIT, PM_NOREMOVE);
}

}  // namespace

std::string Win32SuiteDialogs::Input(const std::string& prompt, const std::string& title, const std::string& answer) {
    return Quitting() ? "" : InputBox(owner, prompt, title, answer);
}

void Win32SuiteDialogs::Tell(const std::string& text) {
    if (!Quitting()) MessageBoxA(owner, text.c_str(), "Zarvik", MB_OK);
}

bool Win32SuiteDialogs::Ask(const std::string& text, const std::string& title) {
    return !Quitting() && MessageBoxA(owner, text.c_str(), title.c_str(), MB_YESNO) == IDYES;
}

std::string Win32SuiteDialogs::ChooseEditor(const std::string& current) {
    if (Quitting()) return "";
    char file[MAX_PATH] = {};
    current.copy(file, sizeof file - 1);
    OPENFILENAMEA ofn = {};
    ofn.lStructSize = sizeof ofn;
    ofn.hwndOwner = owner;
    ofn.lpstrFilter = "Executable Files (*.exe)\0*.exe\0";
    ofn.lpstrFile = file;
    ofn.nMaxFile = sizeof file;
    ofn.lpstrTitle = "Select Editing Program";
    ofn.Flags = OFN_FILEMUSTEXIST;
    return GetOpenFileNameA(&ofn) ? file : "";
}

StartResult Win32SuiteDialogs::Start(const std::string& commandLine, bool maximized) {
    const auto [program, arguments] = SplitProgram(commandLine);
    const std::string path = ProgramPath(program);
    if (path.empty()) return StartResult::NotFound;
    STARTUPINFOA si = {};
    si.cb = sizeof si;
    si.dwFlags = STARTF_USESHOWWINDOW;
    si.wShowWindow = maximized ? SW_SHOWMAXIMIZED : SW_SHOWNORMAL;
    PROCESS_INFORMATION pi = {};
    std::string line = "\"" + path + "\"" + arguments;
    // The program by its path alone: with no name to search for, no folder is searched.
    if (!CreateProcessA(path.c_str(), line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) {
        const DWORD error = GetLastError();
        return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND ? StartResult::NotFound
                                                                              : StartResult::Failed;
    }
    winbase::Handle thread(pi.hThread), process(pi.hProcess);
    return StartResult::Started;
}

}  // namespace zarvik
