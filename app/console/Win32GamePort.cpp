#include "app/console/Win32GamePort.h"

#include "app/console/ConsoleLink.h"
#include "app/console/MessagePump.h"

namespace zarvik {

std::string Win32GameConsole::ReadOutput() {
    std::string text;
    // The buffer's handle is kept between ticks and looked up again only once it fails.
    if (!ReadEditText(buffer_, text)) {
        buffer_ = GetConsoleEdit(false);
        ReadEditText(buffer_, text);
    }
    return text;
}

void Win32GameConsole::Submit(const std::string& text, bool asCommand) {
    SendToConsole(text, asCommand, {});
}

void Win32EventPump::RunPending() {
    PumpPendingMessages();
}

}  // namespace zarvik
