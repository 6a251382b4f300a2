#pragma once

// The engine's ports on Windows: the game's console through the console link, and the
// thread's message queue.

#include "app/engine/Ports.h"

namespace zarvik {

class Win32GameConsole : public GameConsolePort {
public:
    std::string ReadOutput() override;
    void Submit(const std::string& text, bool asCommand) override;
};

class Win32EventPump : public EventPump {
public:
    void RunPending() override;
};

}  // namespace zarvik
