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
    return WaitUntil([] { return !TrayIcon(); }, ms);
}
