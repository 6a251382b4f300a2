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

// A top-level window once it shows (a program shows its window at the end of its start-up);
// nullptr when none did within `ms`.
inline HWND WaitForWindow(const char* cls, const char* title, DWORD ms = 15000) {
    for (DWORD start = GetTickCount(); GetTickCount() - start < ms; Sleep(50)) {
        HWND found = FindWindowA(cls, title);
        if (found && IsWindowVisible(found)) return found;
    }
    return nullptr;
}

// Clicks the first icon in Wine's stand-alone tray window `times` times with the given button,
// as a player would, through the input queue. False when there is no tray window or no icon.
inline bool ClickTrayIcon(DWORD down, DWORD up, int times = 1) {
    HWND tray = FindWindowA("__winex11_standalone_tray", nullptr);
    HWND icon = tray ? GetWindow(tray, GW_CHILD) : nullptr;
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

inline bool RightClickTrayIcon() {
    return ClickTrayIcon(MOUSEEVENTF_RIGHTDOWN, MOUSEEVENTF_RIGHTUP);
}
inline bool DoubleClickTrayIcon() {
    return ClickTrayIcon(MOUSEEVENTF_LEFTDOWN, MOUSEEVENTF_LEFTUP, 2);
}

// True once Wine's tray window holds an icon (within `ms`).
inline bool TrayIconShown(DWORD ms) {
    for (DWORD start = GetTickCount(); GetTickCount() - start < ms; Sleep(50)) {
        HWND tray = FindWindowA("__winex11_standalone_tray", nullptr);
        if (tray && GetWindow(tray, GW_CHILD)) return true;
    }
    return false;
}

// True once Wine's tray window holds no icon any more (within `ms`).
inline bool TrayIconGone(DWORD ms) {
    const DWORD start = GetTickCount();
    do {
        HWND tray = FindWindowA("__winex11_standalone_tray", nullptr);
        if (!tray || !GetWindow(tray, GW_CHILD)) return true;
        Sleep(50);
    } while (GetTickCount() - start < ms);
    return false;
}

// Right-clicks the tray icon and picks an entry of its menu by its mnemonic. The letter goes to
// the menu itself: under Wine without a window manager the owner of a tray menu does not always
// become the foreground window, and keys typed then go elsewhere.
inline bool ChooseFromTrayMenu(char key) {
    HWND menu = nullptr;
    if (!RightClickTrayIcon() || !(menu = WaitForWindow("#32768", nullptr, 5000))) return false;
    // The menu window shows a moment before its loop reads messages; hiding it takes Wine up to
    // two seconds. A letter the loop did not take leaves the menu open, and is given again.
    for (int tries = 0; tries < 4; ++tries) {
        Sleep(300);
        PostMessageA(menu, WM_CHAR, static_cast<WPARAM>(key), 1);
        for (DWORD start = GetTickCount(); GetTickCount() - start < 2500; Sleep(20))
            if (!IsWindowVisible(menu)) return true;
    }
    return false;
}
