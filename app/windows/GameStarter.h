#pragma once

// "Start &Game" in the tray menu and `Zarvik.exe --start-game`: the game program of the
// "Game" setting (asked for with a file dialog the first time), started with "GameArgs" in
// a hidden text console of ours, for the clients that have no console window of their own.
// The game outlives Zarvik; a Zarvik started later links to it again.

#include "app/console/TextConsoleLink.h"
#include "app/settings/SettingsStore.h"

#include <windows.h>

#include <string>

namespace zarvik {

// Asks the running copy's main window to start the game (a second `Zarvik.exe --start-game`).
constexpr UINT kStartGameMessage = WM_APP + 1;

class GameStarter {
  public:
    GameStarter(SettingsStore& settings, TextConsoleLink& link) : settings_(settings), link_(link) {}

    // Starts the game unless the one we started runs still; tells the player what went wrong.
    void Start(HWND owner);

    // Links to the game a Zarvik started before, when it runs; tells the player when it cannot.
    void FindRunningGame(HWND owner);

  private:
    std::string Choose(HWND owner, const std::string& current);
    void TellUnreachable(HWND owner, DWORD error);

    SettingsStore& settings_;
    TextConsoleLink& link_;
};

}  // namespace zarvik
