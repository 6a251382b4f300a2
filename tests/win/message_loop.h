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

// Right-clicks the first icon in Wine's stand-alone tray window, as a player would, through
// the input queue. False when there is no tray window or no icon in it.
inline bool RightClickTrayIcon() {
    HWND tray = FindWindowA("__winex11_standalone_tray", nullptr);
    HWND icon = tray ? GetWindow(tray, GW_CHILD) : nullptr;
    if (!icon) return false;
    RECT r;
    GetWindowRect(icon, &r);
    SetCursorPos((r.left + r.right) / 2, (r.top + r.bottom) / 2);
    INPUT clicks[2] = {};
    clicks[0].type = clicks[1].type = INPUT_MOUSE;
    clicks[0].mi.dwFlags = MOUSEEVENTF_RIGHTDOWN;
    clicks[1].mi.dwFlags = MOUSEEVENTF_RIGHTUP;
    return SendInput(2, clicks, sizeof(INPUT)) == 2;
}
