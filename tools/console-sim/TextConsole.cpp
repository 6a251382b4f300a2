#include "TextConsole.h"

#include "WorldFiles.h"

#include <algorithm>
#include <utility>

namespace zarvik::sim {
namespace {

constexpr UINT_PTR kFrameTimer = 1;
constexpr DWORD kDropAt = 256;           // this many waiting events or more: one is dropped a frame
constexpr std::size_t kLineLimit = 255;  // what the input line holds

winbase::FileHandle Open(const char* name) {
    return winbase::FileHandle(CreateFileA(name, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                           nullptr, OPEN_EXISTING, 0, nullptr));
}

}  // namespace

TextConsole::TextConsole(Options options, Transcript& transcript)
    : options_(options), transcript_(transcript), game_([this](const std::string& text) { Print(text); }, true) {
    // Under Wine a child is attached already and this fails with ERROR_ACCESS_DENIED.
    if (AttachConsole(ATTACH_PARENT_PROCESS) || GetLastError() == ERROR_ACCESS_DENIED) {
        in_ = Open("CONIN$");
        out_ = Open("CONOUT$");
        if (!in_ || !out_) {
            in_.reset();
            out_.reset();
        }
    }
    if (Attached()) {
        SetConsoleTitleA("Jedi Outcast Console");
        DWORD mode = 0;
        if (GetConsoleMode(in_.get(), &mode)) SetConsoleMode(in_.get(), mode & ~static_cast<DWORD>(ENABLE_MOUSE_INPUT));
    }
    transcript_.Note("start", Attached() ? "text console attached" : "no console: nothing printed or read");

    Create(0, "", 0, 0, 0, 0, 0, HWND_MESSAGE);
    SetTimer(hwnd(), kFrameTimer, static_cast<UINT>(std::max(options_.frameMs, 5L)), nullptr);
}

void TextConsole::BlankInputRow() {
    CONSOLE_SCREEN_BUFFER_INFO info;
    if (!GetConsoleScreenBufferInfo(out_.get(), &info)) return;
    const COORD start = {0, info.dwCursorPosition.Y};
    DWORD written = 0;
    FillConsoleOutputCharacterA(out_.get(), ' ', static_cast<DWORD>(info.dwSize.X), start, &written);
    SetConsoleCursorPosition(out_.get(), start);
}

void TextConsole::DrawInputRow() {
    CONSOLE_SCREEN_BUFFER_INFO info;
    if (!GetConsoleScreenBufferInfo(out_.get(), &info)) return;
    const SHORT width = info.dwSize.X;
    // A line wider than the row shows its end, as the client does.
    const std::size_t shift = line_.size() >= static_cast<std::size_t>(width) ? line_.size() - width + 1 : 0;
    std::string row = line_.substr(shift);
    row.resize(static_cast<std::size_t>(width), ' ');
    const COORD start = {0, info.dwCursorPosition.Y};
    DWORD written = 0;
    WriteConsoleOutputCharacterA(out_.get(), row.data(), static_cast<DWORD>(row.size()), start, &written);
    SetConsoleCursorPosition(out_.get(), {static_cast<SHORT>(cursor_ - shift), start.Y});
}

void TextConsole::Print(const std::string& text) {
    std::string shown;
    for (char c : StripColours(text, options_.version)) {
        if (c == '\n') shown += '\r';
        // The console shows only the bytes from the blank to "~"; any other is a dot.
        if (c != '\r') shown += c == '\n' || (c >= ' ' && c <= '~') ? c : '.';
    }
    transcript_.Shown(shown, false);
    // As the client: nothing is printed to a console without a window.
    if (!Attached() || shown.empty() || !GetConsoleWindow()) return;
    // The input row gives way to a print and comes back after it; while a line is printed in
    // pieces (echo prints word by word), the row stays the print's until the line ends.
    if (!midLine_) BlankInputRow();
    DWORD written = 0;
    WriteConsoleA(out_.get(), shown.data(), static_cast<DWORD>(shown.size()), &written, nullptr);
    midLine_ = shown.back() != '\n';
    if (!midLine_) DrawInputRow();
}

void TextConsole::Enter(const std::string& line) {
    Print(line + "\n");
    queue_.push_back({line, GetTickCount() + static_cast<DWORD>(options_.frameMs)});
}

void TextConsole::TypeAsPlayer(const std::string& line) {
    transcript_.Note("player", line);
    Enter(line);
}

bool TextConsole::ReadKeys() {
    DWORD waiting = 0;
    if (!Attached() || !GetNumberOfConsoleInputEvents(in_.get(), &waiting) || waiting == 0) return false;
    std::vector<INPUT_RECORD> events(waiting >= kDropAt ? 1 : waiting);
    DWORD got = 0;
    if (!ReadConsoleInputA(in_.get(), events.data(), static_cast<DWORD>(events.size()), &got)) return false;
    if (waiting >= kDropAt) {
        transcript_.Note("lost", "one input event of " + std::to_string(waiting) + " waiting");
        return true;
    }
    FlushConsoleInputBuffer(in_.get());
    events.resize(got);
    for (const INPUT_RECORD& event : events) {
        if (event.EventType != KEY_EVENT || !event.Event.KeyEvent.bKeyDown) continue;
        const char c = event.Event.KeyEvent.uChar.AsciiChar;
        switch (event.Event.KeyEvent.wVirtualKeyCode) {
            case VK_RETURN: {
                const std::string line = line_;
                line_.clear();
                cursor_ = 0;
                if (!line.empty()) history_.push_back(line);
                historyAt_ = history_.size();
                transcript_.Note("typed", line);
                Enter(line);  // events after Enter went with the flush
                if (received_) received_(line);
                return true;
            }
            case VK_UP:
            case VK_DOWN:
                if (history_.empty()) break;
                if (event.Event.KeyEvent.wVirtualKeyCode == VK_UP && historyAt_ > 0) --historyAt_;
                if (event.Event.KeyEvent.wVirtualKeyCode == VK_DOWN && historyAt_ < history_.size()) ++historyAt_;
                line_ = historyAt_ < history_.size() ? history_[historyAt_] : std::string();
                cursor_ = line_.size();
                break;
            case VK_LEFT:
                if (cursor_ > 0) --cursor_;
                break;
            case VK_RIGHT:
                if (cursor_ < line_.size()) ++cursor_;
                break;
            case VK_HOME: cursor_ = 0; break;
            case VK_END: cursor_ = line_.size(); break;
            case VK_TAB: break;  // completion: nothing to complete here
            case VK_BACK:
                if (cursor_ > 0) line_.erase(--cursor_, 1);
                break;
            default:
                if (c != 0 && line_.size() < kLineLimit) line_.insert(cursor_++, 1, c);
        }
    }
    if (!midLine_) DrawInputRow();
    return true;
}

void TextConsole::RunFrame() {
    if (ReadKeys() && stallMs_ > 0) sim::StopReading(transcript_, std::exchange(stallMs_, 0));
    const DWORD now = GetTickCount();
    while (!queue_.empty() && static_cast<LONG>(now - queue_.front().due) >= 0) {
        const std::string line = queue_.front().line;
        queue_.pop_front();
        game_.Run(line);
    }
    if (frame_) frame_();
}

void TextConsole::StopReading(long ms, bool onceInputTaken) {
    if (onceInputTaken)
        stallMs_ = ms;
    else
        sim::StopReading(transcript_, ms);
}

std::optional<std::vector<std::string>> TextConsole::ReadLines(const std::string& path) { return ReadFileLines(path); }

std::string TextConsole::IniValue(const std::string& file, const std::string& key) { return ReadIniValue(file, key); }

LRESULT TextConsole::OnMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_TIMER && wParam == kFrameTimer) {
        RunFrame();
        return 0;
    }
    if (msg == WM_DESTROY) {
        KillTimer(hwnd(), kFrameTimer);
        if (closed_) closed_();
        return 0;
    }
    return Default(msg, wParam, lParam);
}

}  // namespace zarvik::sim
