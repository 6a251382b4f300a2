#include "app/windows/GameStarter.h"

#include <commdlg.h>

namespace zarvik {
namespace {

std::string SystemMessage(DWORD error) {
    char* text = nullptr;
    const DWORD length =
        FormatMessageA(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                       nullptr, error, 0, reinterpret_cast<char*>(&text), 0, nullptr);
    std::string message = length ? std::string(text, length) : "Error " + std::to_string(error) + ".";
    if (text) LocalFree(text);
    while (!message.empty() && (message.back() == '\r' || message.back() == '\n')) message.pop_back();
    return message;
}

bool IsFile(const std::string& path) {
    const DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

}  // namespace

std::string GameStarter::Choose(HWND owner, const std::string& current) {
    char file[MAX_PATH] = {};
    current.copy(file, sizeof file - 1);
    OPENFILENAMEA ofn = {};
    ofn.lStructSize = sizeof ofn;
    ofn.hwndOwner = owner;
    ofn.lpstrFilter = "Programs (*.exe)\0*.exe\0";
    ofn.lpstrFile = file;
    ofn.nMaxFile = sizeof file;
    ofn.lpstrTitle = "Select the Game Program";
    ofn.Flags = OFN_FILEMUSTEXIST | OFN_HIDEREADONLY;
    if (!GetOpenFileNameA(&ofn)) return {};
    settings_.Write("Game", file);
    return file;
}

void GameStarter::Start(HWND owner) {
    if (link_.Running()) {  // one game at a time
        MessageBoxA(owner, "The game Zarvik started is running already.", "Zarvik", MB_OK | MB_ICONINFORMATION);
        return;
    }
    std::string game = settings_.Read("Game");
    if (game.empty() && (game = Choose(owner, "")).empty()) return;
    if (!IsFile(game)) {
        const std::string question =
            "The game program was not found:\r\n" + game + "\r\n\r\nDo you want to choose the game program now?";
        if (MessageBoxA(owner, question.c_str(), "Zarvik", MB_YESNO | MB_ICONWARNING) != IDYES) return;
        if ((game = Choose(owner, "")).empty()) return;
    }
    if (const DWORD error = link_.Start(game, settings_.Read("GameArgs"))) {
        if (link_.Running()) return TellUnreachable(owner, error);
        const std::string text = "The game could not be started:\r\n" + game + "\r\n\r\n" + SystemMessage(error);
        MessageBoxA(owner, text.c_str(), "Zarvik", MB_OK | MB_ICONERROR);
    }
}

void GameStarter::FindRunningGame(HWND owner) {
    if (const DWORD error = link_.Reattach(); error && link_.Running()) TellUnreachable(owner, error);
}

void GameStarter::TellUnreachable(HWND owner, DWORD error) {
    const std::string text = "The game runs, but Zarvik cannot reach its console:\r\n" + SystemMessage(error) +
                             "\r\n\r\nZarvik cannot answer in this game. Close the game, then start it from "
                             "Zarvik again.";
    MessageBoxA(owner, text.c_str(), "Zarvik", MB_OK | MB_ICONWARNING);
}

}  // namespace zarvik
