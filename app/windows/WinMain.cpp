// Zarvik: keeps Jedi Knight II key bindings per map, answering in the game's console.
#include "app/platform/IniSettingsStore.h"
#include "app/windows/MainWindow.h"
#include "app/windows/MainWindowRules.h"
#include "app/windows/SingleInstance.h"

#include <windows.h>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    SetProcessDPIAware();
    zarvik::SingleInstance instance;
    if (instance.AnotherIsRunning()) {
        MessageBoxA(nullptr, zarvik::kRunningText, zarvik::kRunningCaption, MB_OK | MB_ICONINFORMATION);
        return 0;
    }
    OleInitialize(nullptr);
    zarvik::MainWindow main(zarvik::IniSettingsStore::ProgramFolder());
    main.Start();
    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
        // Only keys move between controls; asking for the active window is a trip to the
        // window server under Wine, too dear for every 10 ms timer message.
        const bool key = msg.message >= WM_KEYFIRST && msg.message <= WM_KEYLAST;
        if (key && IsDialogMessageA(GetActiveWindow(), &msg)) continue;
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    return 0;
}
