#pragma once

#include <windows.h>

namespace zarvik {

// A modal window's message loop: runs the thread's messages, with the keyboard moving between
// `dialog`'s controls, while `open` holds. A WM_QUIT ends it and is posted again for the loop
// outside.
template <typename Open>
void RunModalLoop(HWND dialog, Open open) {
    MSG msg;
    while (open()) {
        const BOOL got = GetMessageA(&msg, nullptr, 0, 0);
        if (got <= 0) {
            if (got == 0) PostQuitMessage(static_cast<int>(msg.wParam));
            return;
        }
        if (IsDialogMessageA(dialog, &msg)) continue;
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
}

}  // namespace zarvik
