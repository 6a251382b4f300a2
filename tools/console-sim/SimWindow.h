#pragma once

// The game's console window as the game makes it: class "JK2MP WinConsole", the input
// line, the buttons Copy, Clear and Quit, then the read-only output buffer, in that order.
// A line entered is echoed with "]" at once and executed on a later frame.

#include "ConsoleBuffer.h"
#include "GameConsole.h"
#include "Scenario.h"
#include "Transcript.h"

#include <windows.h>

#include <deque>
#include <functional>
#include <string>

namespace zarvik::sim {

class SimWindow : public World {
public:
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
    ~SimWindow() override;
    SimWindow(const SimWindow&) = delete;
    SimWindow& operator=(const SimWindow&) = delete;

    void OnReceived(Received handler) { received_ = std::move(handler); }
    void OnFrame(Frame handler) { frame_ = std::move(handler); }
    void OnClosed(std::function<void()> handler) { closed_ = std::move(handler); }

    HWND window() const { return window_; }
    HWND input() const { return input_; }
    HWND buffer() const { return buffer_; }

    // World
    GameConsole& Game() override { return game_; }
    void TypeAsPlayer(const std::string& line) override;
    void StopReading(long ms, bool onceInputTaken) override;
    std::optional<std::vector<std::string>> ReadLines(const std::string& path) override;
    std::string IniValue(const std::string& file, const std::string& key) override;

private:
    static LRESULT CALLBACK WindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
    static LRESULT CALLBACK InputProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
    LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam);
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
    HWND window_ = nullptr;
    HWND input_ = nullptr;
    HWND buffer_ = nullptr;
    HFONT font_ = nullptr;
    WNDPROC editProc_ = nullptr;
    std::deque<Queued> queue_;
    long stallMs_ = 0;  // stops reading for this long once it next takes input
    Received received_;
    Frame frame_;
    std::function<void()> closed_;
};

}  // namespace zarvik::sim
