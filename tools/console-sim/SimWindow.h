#pragma once

// The game's console window as the game makes it: class "JK2MP WinConsole", the input
// line, the buttons Copy, Clear and Quit, then the read-only output buffer, in that order.
// A line entered is echoed with "]" at once and executed on a later frame.

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

namespace zarvik::sim {

class SimWindow : public World, public winbase::Window<SimWindow> {
  public:
    static constexpr const char* kClassName = "JK2MP WinConsole";
    struct Options {
        bool visible = true;
        long frameMs = 5;  // a typed command runs at least this much later
        GameVersion version = GameVersion::V102;
    };
    // Called with each command typed into the input line (by a program or a person).
    using Received = std::function<void(const std::string&)>;
    // Called once per frame, after the commands due in it have run.
    using Frame = std::function<void()>;

    SimWindow(Options options, Transcript& transcript);
    // Gone while this object still answers its input line.
    ~SimWindow() override { Destroy(); }

    void OnReceived(Received handler) { received_ = std::move(handler); }
    void OnFrame(Frame handler) { frame_ = std::move(handler); }
    void OnClosed(std::function<void()> handler) { closed_ = std::move(handler); }

    HWND window() const { return hwnd(); }
    HWND input() const { return input_; }
    HWND buffer() const { return buffer_; }

    // World
    GameConsole& Game() override { return game_; }
    void TypeAsPlayer(const std::string& line) override;
    void StopReading(long ms, bool onceInputTaken) override;
    std::optional<std::vector<std::string>> ReadLines(const std::string& path) override;
    std::string IniValue(const std::string& file, const std::string& key) override;

    // The input line's messages, before the edit control's own (winbase::Subclass).
    LRESULT OnControlMessage(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);

  private:
    friend Window;
    static void Describe(WNDCLASSEXA& wc) { wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW); }
    LRESULT OnMessage(UINT msg, WPARAM wParam, LPARAM lParam);
    void Print(const std::string& text);
    void Enter(const std::string& line);
    void RunFrame();
    void CopyToClipboard();

    struct Queued {
        std::string line;
        DWORD due;
    };

    Options options_;
    Transcript& transcript_;
    ConsoleBuffer conbuf_;
    GameConsole game_;
    HWND input_ = nullptr;
    HWND buffer_ = nullptr;
    winbase::Font font_;
    std::deque<Queued> queue_;
    long stallMs_ = 0;  // stops reading for this long once it next takes input
    Received received_;
    Frame frame_;
    std::function<void()> closed_;
};

}  // namespace zarvik::sim
