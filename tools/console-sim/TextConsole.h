#pragma once

// The game as today's community clients run: no console window of its own. It attaches to
// the text console of the program that started it, if that has one, and then reads key
// events from it once a frame and prints into its screen buffer, the line being typed
// kept in the cursor's row. Started without a console it prints and reads nothing.

#include "ConsoleBuffer.h"
#include "GameConsole.h"
#include "Scenario.h"
#include "Transcript.h"
#include "winbase/Own.h"
#include "winbase/Window.h"

#include <windows.h>

#include <deque>
#include <functional>
#include <string>
#include <vector>

namespace zarvik::sim {

class TextConsole : public World, public winbase::Window<TextConsole> {
  public:
    static constexpr const char* kClassName = "ConsoleSimFrames";
    struct Options {
        long frameMs = 5;  // a typed command runs this much later; 0: in the frame that takes it
        GameVersion version = GameVersion::V102;
    };
    using Received = std::function<void(const std::string&)>;
    using Frame = std::function<void()>;

    TextConsole(Options options, Transcript& transcript);

    bool Attached() const { return bool(out_); }
    void OnReceived(Received handler) { received_ = std::move(handler); }
    void OnFrame(Frame handler) { frame_ = std::move(handler); }
    void OnClosed(std::function<void()> handler) { closed_ = std::move(handler); }
    // The frame clock's window (message-only); destroying it ends the game.
    HWND window() const { return hwnd(); }

    // World
    GameConsole& Game() override { return game_; }
    void TypeAsPlayer(const std::string& line) override;
    void StopReading(long ms, bool onceInputTaken) override;
    std::optional<std::vector<std::string>> ReadLines(const std::string& path) override;
    std::string IniValue(const std::string& file, const std::string& key) override;

  private:
    friend Window;
    LRESULT OnMessage(UINT msg, WPARAM wParam, LPARAM lParam);
    void RunFrame();
    bool ReadKeys();  // true when it took any events
    void Print(const std::string& text);
    void Enter(const std::string& line);
    void BlankInputRow();
    void DrawInputRow();

    struct Queued {
        std::string line;
        DWORD due;
    };

    Options options_;
    Transcript& transcript_;
    GameConsole game_;
    winbase::FileHandle in_;
    winbase::FileHandle out_;
    std::string line_;  // being typed
    std::size_t cursor_ = 0;
    bool midLine_ = false;  // the last print did not end its line
    std::vector<std::string> history_;
    std::size_t historyAt_ = 0;
    std::deque<Queued> queue_;
    long stallMs_ = 0;  // stops reading for this long once it next takes input
    Received received_;
    Frame frame_;
    std::function<void()> closed_;
};

}  // namespace zarvik::sim
