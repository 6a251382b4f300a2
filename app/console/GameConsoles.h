#pragma once

// The engine's one game-console port over both links: the game's console window when one
// exists (the original game), else the game we started in our own text console, while it
// runs. The choice is made at each tick's read, and that tick's submissions follow it.

#include "app/console/TextConsoleLink.h"
#include "app/console/Win32GamePort.h"

namespace zarvik {

class GameConsoles : public GameConsolePort {
  public:
    GameConsoles(Win32GameConsole& window, TextConsoleLink& text) : window_(window), text_(text) {}
    std::string ReadOutput() override;
    void Submit(const std::string& text, bool asCommand) override;

  private:
    Win32GameConsole& window_;
    TextConsoleLink& text_;
    bool useText_ = false;
};

}  // namespace zarvik
