#pragma once

// How the command engine reaches the world outside it. The Windows shell implements these;
// tests fake them.

#include <string>

namespace zarvik {

// The game's console window.
class GameConsolePort {
  public:
    virtual ~GameConsolePort() = default;
    // The whole text of the console's output buffer; "" when the game is not running.
    virtual std::string ReadOutput() = 0;
    // Waits one second (window events keep running), types `text` as a command or as
    // "echo " + text, presses Enter, and empties the console's output buffer.
    virtual void Submit(const std::string& text, bool asCommand) = 0;
};

// Lets pending window events (clicks, other windows' messages, timers) run.
class EventPump {
  public:
    virtual ~EventPump() = default;
    virtual void RunPending() = 0;
};

// The main window's name box: the player's name as the engine knows it. Every change of
// its text is stored as the "Name" setting by the box itself.
class NameBox {
  public:
    virtual ~NameBox() = default;
    virtual std::string Text() const = 0;
    virtual void SetText(const std::string& text) = 0;
};

// The system's clock, formatted as the user's locale wants it.
class Clock {
  public:
    virtual ~Clock() = default;
    virtual std::string ShortDate() = 0;
    virtual std::string TimeOfDay() = 0;
};

// Where the engine's failure reports are appended. Returns false when no place would take it.
class ErrorReport {
  public:
    virtual ~ErrorReport() = default;
    virtual bool Append(const std::string& line) = 0;
};

}  // namespace zarvik
