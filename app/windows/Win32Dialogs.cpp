#include "app/windows/Win32Dialogs.h"

#include "app/windows/InputBox.h"

#include <commdlg.h>

namespace zarvik {

std::string Win32SuiteDialogs::Input(const std::string& prompt, const std::string& title,
                                     const std::string& answer) {
    return InputBox(owner_, prompt, title, answer);
}

void Win32SuiteDialogs::Tell(const std::string& text) {
    MessageBoxA(owner_, text.c_str(), "Zarvik", MB_OK);
}

bool Win32SuiteDialogs::Ask(const std::string& text, const std::string& title) {
    return MessageBoxA(owner_, text.c_str(), title.c_str(), MB_YESNO) == IDYES;
}

std::string Win32SuiteDialogs::ChooseEditor(const std::string& current) {
    char file[MAX_PATH] = {};
    current.copy(file, sizeof file - 1);
    OPENFILENAMEA ofn = {};
    ofn.lStructSize = sizeof ofn;
    ofn.hwndOwner = owner_;
    ofn.lpstrFilter = "Executable Files (*.exe)\0*.exe\0";
    ofn.lpstrFile = file;
    ofn.nMaxFile = sizeof file;
    ofn.lpstrTitle = "Select Editing Program";
    ofn.Flags = OFN_FILEMUSTEXIST;
    return GetOpenFileNameA(&ofn) ? file : "";
}

StartResult Win32SuiteDialogs::Start(const std::string& commandLine, bool maximized) {
    STARTUPINFOA si = {};
    si.cb = sizeof si;
    si.dwFlags = STARTF_USESHOWWINDOW;
    si.wShowWindow = maximized ? SW_SHOWMAXIMIZED : SW_SHOWNORMAL;
    PROCESS_INFORMATION pi = {};
    std::string line = commandLine;
    if (!CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) {
        const DWORD error = GetLastError();
        return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND ? StartResult::NotFound
                                                                              : StartResult::Failed;
    }
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    return StartResult::Started;
}

}  // namespace zarvik
