// Zarvik: keeps Jedi Knight II key bindings per map, answering in the game's console.
//   Zarvik.exe [--start-game]   (--start-game: start the game as the tray's "Start Game" does)
#include "app/console/ConsoleHost.h"
#include "app/platform/IniSettingsStore.h"
#include "app/windows/GameStarter.h"
#include "app/windows/MainWindow.h"
#include "app/window-rules/MainWindowRules.h"
#include "app/windows/SingleInstance.h"

#include <windows.h>

#include <cstring>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR commandLine, int) {
    // Programs started by a bare name (by us or by those we start) are never looked for in the
    // current folder; children inherit the setting.
    SetEnvironmentVariableA("NoDefaultCurrentDirectoryInExePath", "1");
    // The hidden console the game runs in is held by a second copy of the program.
    if (commandLine && std::strncmp(commandLine, zarvik::kConsoleHostFlag, std::strlen(zarvik::kConsoleHostFlag)) == 0)
        return zarvik::RunConsoleHost(commandLine + std::strlen(zarvik::kConsoleHostFlag));
    SetProcessDPIAware();
    const bool startGame = commandLine && std::strstr(commandLine, "--start-game");
    zarvik::SingleInstance instance;
    if (instance.AnotherIsRunning()) {
        // A shortcut that starts both: the running copy starts the game, nothing else happens.
        if (HWND running = startGame ? FindWindowA("ZarvikMain", nullptr) : nullptr) {
            PostMessageA(running, zarvik::kStartGameMessage, 0, 0);
            return 0;
        }
        MessageBoxA(nullptr, zarvik::kRunningText, zarvik::kRunningCaption, MB_OK | MB_ICONINFORMATION);
        return 0;
    }
    OleInitialize(nullptr);
    {
        // Its exit destroys the window, which ends the loop; the control goes before OLE does.
        zarvik::MainWindow main(zarvik::IniSettingsStore::ProgramFolder());
        main.Start();
        if (startGame) main.StartGame();
        MSG msg;
        while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
            // Only keys move between controls; asking for the active window is a trip to the
            // window server under Wine, too dear for every 10 ms timer message.
            const bool key = msg.message >= WM_KEYFIRST && msg.message <= WM_KEYLAST;
            if (key && IsDialogMessageA(GetActiveWindow(), &msg)) continue;
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
    }
    OleUninitialize();
    return 0;
}
