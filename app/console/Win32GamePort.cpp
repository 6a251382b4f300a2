#include "app/console/Win32GamePort.h"

#include "app/console/ConsoleLink.h"
#include "app/console/MessagePump.h"

namespace zarvik {

namespace {

// The mark is the edit control's own; copy once a second all the same, so that a control that
// kept it otherwise would cost a second, never a line.
constexpr DWORD kCopyAnywayMs = 1000;

bool Send(HWND window, UINT message, WPARAM wParam, DWORD_PTR& result) {
    return window && SendMessageTimeoutA(window, message, wParam, 0, SMTO_ABORTIFHUNG, 5000, &result);
}

}  // namespace

bool Win32GameConsole::Unchanged() {
    DWORD_PTR modified = 1, length = 0;
    return !stale_ && GetTickCount() - copiedAt_ < kCopyAnywayMs && Send(buffer_, EM_GETMODIFY, 0, modified) &&
           !modified && Send(buffer_, WM_GETTEXTLENGTH, 0, length) && length == copy_.size();
}

std::string Win32GameConsole::ReadOutput() {
    if (Unchanged()) return copy_;
    DWORD_PTR ignored = 0;
    // The buffer's handle is kept between ticks and looked up again only once it fails. The
    // mark is cleared before the copy: a print after it marks the buffer again.
    if (!Send(buffer_, EM_SETMODIFY, FALSE, ignored)) {
        buffer_ = GetConsoleEdit(false);
        Send(buffer_, EM_SETMODIFY, FALSE, ignored);
    }
    ReadEditText(buffer_, copy_);
    copiedAt_ = GetTickCount();
    stale_ = !buffer_;
    return copy_;
}

void Win32GameConsole::Submit(const std::string& text, bool asCommand) {
    SendToConsole(text, asCommand, {});
    stale_ = true;  // emptied through the echo, perhaps by a message that clears the mark
}

void Win32EventPump::RunPending() { PumpPendingMessages(); }

}  // namespace zarvik
