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
