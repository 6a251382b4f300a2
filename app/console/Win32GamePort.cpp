#include "app/console/Win32GamePort.h"

#include "app/console/ConsoleLink.h"
#include "app/console/MessagePump.h"

namespace zarvik {

namespace {

bool TextLength(HWND window, DWORD_PTR& length) {
    return window && SendMessageTimeoutA(window, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, 5000, &length);
}

}  // namespace

std::string Win32GameConsole::ReadOutput() {
    // By message: the buffer belongs to another process. Ask for the length first, then
    // fetch one more character for the terminating NUL.
    DWORD_PTR length = 0;
    if (!TextLength(buffer_, length)) {
        buffer_ = GetConsoleEdit(false);
        if (!TextLength(buffer_, length)) return {};
    }
    HWND buffer = buffer_;
    if (length == 0) return {};  // the usual idle case: one cross-process call less per tick
    std::string text(static_cast<size_t>(length) + 1, '\0');
    DWORD_PTR copied = 0;
    if (!SendMessageTimeoutA(buffer, WM_GETTEXT, static_cast<WPARAM>(text.size()),
                             reinterpret_cast<LPARAM>(text.data()), SMTO_ABORTIFHUNG, 5000, &copied))
        return {};
    text.resize(std::min<size_t>(static_cast<size_t>(copied), static_cast<size_t>(length)));
    return text;
}

void Win32GameConsole::Submit(const std::string& text, bool asCommand) {
    SendToConsole(text, asCommand, {});
}

void Win32EventPump::RunPending() {
    PumpPendingMessages();
}

}  // namespace zarvik
