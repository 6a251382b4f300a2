#pragma once

// The engine's ports on Windows: the game's console through the console link, and the
// thread's message queue.

#include "app/engine/Ports.h"

#include <windows.h>

#include <string>

namespace zarvik {

class Win32GameConsole : public GameConsolePort {
  public:
    std::string ReadOutput() override;
    void Submit(const std::string& text, bool asCommand) override;

  private:
    // Whether the buffer is as it was at the last copy: the same length, and not marked modified
    // since (every print marks it). Two small messages instead of copying up to 32 KiB.
    bool Unchanged();

    // The output buffer found last time. Looking it up again costs three trips to the window
    // server a tick under Wine; a message to a closed window fails, and then we look again.
    HWND buffer_ = nullptr;
    std::string copy_;    // the buffer's text at the last copy
    DWORD copiedAt_ = 0;  // when it was copied
    bool stale_ = true;   // we changed the console since
};

class Win32EventPump : public EventPump {
  public:
    void RunPending() override;
};

}  // namespace zarvik
