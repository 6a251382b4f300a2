#pragma once

// The engine's ports on Windows: the game's console through the console link, and the
// thread's message queue.

#include "app/engine/Ports.h"

#include <windows.h>

namespace zarvik {

class Win32GameConsole : public GameConsolePort {
  public:
    std::string ReadOutput() override;
    void Submit(const std::string& text, bool asCommand) override;

  private:
    // The output buffer found last time. Looking it up again costs three trips to the window
    // server a tick under Wine; a message to a closed window fails, and then we look again.
    HWND buffer_ = nullptr;
};

class Win32EventPump : public EventPump {
  public:
    void RunPending() override;
};

}  // namespace zarvik
