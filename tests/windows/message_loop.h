#pragma once

#include <windows.h>

// Runs this thread's window messages for `ms` milliseconds, so that posted and deferred work
// (a console's later frame, a control's notifications) happens, without spinning.
inline void RunMessagesFor(DWORD ms) {
    const DWORD start = GetTickCount();
    MSG msg;
    while (GetTickCount() - start < ms) {
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 5, QS_ALLINPUT);
    }
}

// Whether `done` came true within `ms`; looked at every 20 ms.
template <typename Done>
bool WaitUntil(Done done, DWORD ms = 5000) {
    for (const DWORD start = GetTickCount();; Sleep(20)) {
        if (done()) return true;
        if (GetTickCount() - start >= ms) return false;
    }
}

// A top-level window once it shows (a program shows its window at the end of its start-up);
// nullptr when none did within `ms`.
inline HWND WaitForWindow(const char* cls, const char* title, DWORD ms = 15000) {
    HWND found = nullptr;
    WaitUntil([&] { return (found = FindWindowA(cls, title)) && IsWindowVisible(found); }, ms);
    return found && IsWindowVisible(found) ? found : nullptr;
}

// Wine's stand-alone tray window's first icon, or nullptr.
inline HWND TrayIcon() {
    HWND tray = FindWindowA("__winex11_standalone_tray", nullptr);
    return tray ? GetWindow(tray, GW_CHILD) : nullptr;
}

inline bool TrayIconGone(DWORD ms) {
    return WaitUntil([] { return TrayIcon() == nullptr; }, ms);
}

// Clicks the tray icon `times` times with the given button, as a player would, through the
// input queue. False when there is no icon.
inline bool ClickTrayIcon(DWORD down, DWORD up, int times = 1) {
    HWND icon = TrayIcon();
    if (!icon) return false;
    RECT r;
    GetWindowRect(icon, &r);
    SetCursorPos((r.left + r.right) / 2, (r.top + r.bottom) / 2);
    INPUT clicks[4] = {};
    for (int i = 0; i < 2 * times && i < 4; ++i) {
        clicks[i].type = INPUT_MOUSE;
        clicks[i].mi.dwFlags = i % 2 ? up : down;
    }
    const UINT count = static_cast<UINT>(2 * times);
    return SendInput(count, clicks, sizeof(INPUT)) == count;
}


// Right-clicks the tray icon and picks an entry of its menu by its mnemonic. The letter goes to
// the menu itself: under Wine without a window manager the owner of a tray menu does not always
// become the foreground window, and keys typed then go elsewhere.
inline bool ChooseFromTrayMenu(char key) {
    HWND menu = nullptr;
    if (!ClickTrayIcon(MOUSEEVENTF_RIGHTDOWN, MOUSEEVENTF_RIGHTUP)) return false;
    if (!(menu = WaitForWindow("#32768", nullptr, 5000))) return false;
    // The menu window shows a moment before its loop reads messages; hiding it takes Wine up to
    // two seconds. A letter the loop did not take leaves the menu open, and is given again.
    for (int tries = 0; tries < 4; ++tries) {
        Sleep(300);
        PostMessageA(menu, WM_CHAR, static_cast<WPARAM>(key), 1);
        if (WaitUntil([menu] { return !IsWindowVisible(menu); }, 2500)) return true;
    }
    return false;
}
