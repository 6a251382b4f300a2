#include "app/console/TextConsoleLink.h"

#include "app/console/ConsoleHost.h"
#include "app/console/MessagePump.h"

#include <algorithm>

namespace zarvik {
namespace {

// The game drops what waits past about 250 events, and takes one line a frame.
constexpr std::size_t kPieceEvents = 100;
// A game that prints no echo for this long is not waited for any longer.
constexpr DWORD kEchoTimeoutMs = 2000;
// A game that has taken no keys for this long is busy (loading a map): looked at less often.
constexpr DWORD kBusyAfterMs = 1000;
constexpr DWORD kBusyLookMs = 50;

bool Passed(DWORD deadline) { return static_cast<LONG>(GetTickCount() - deadline) >= 0; }

INPUT_RECORD KeyDown(WORD key, char c, DWORD state) {
    INPUT_RECORD record = {};
    record.EventType = KEY_EVENT;
    record.Event.KeyEvent.bKeyDown = TRUE;
    record.Event.KeyEvent.wRepeatCount = 1;
    record.Event.KeyEvent.wVirtualKeyCode = key;
    record.Event.KeyEvent.wVirtualScanCode = static_cast<WORD>(MapVirtualKeyA(key, MAPVK_VK_TO_VSC));
    record.Event.KeyEvent.uChar.AsciiChar = c;
    record.Event.KeyEvent.dwControlKeyState = state;
    return record;
}

// The key events of `line` and Enter. A character without a key of its own goes with key 0:
// the game inserts any key that carries a character, and acts on a few keys by their code.
std::vector<INPUT_RECORD> KeysOf(const std::string& line) {
    std::vector<INPUT_RECORD> keys;
    for (char c : line) {
        const SHORT scan = VkKeyScanA(c);
        const WORD key = scan == -1 ? 0 : LOBYTE(scan);
        const DWORD state = scan != -1 && (HIBYTE(scan) & 1) ? SHIFT_PRESSED : 0;
        keys.push_back(KeyDown(key, c, state));
    }
    keys.push_back(KeyDown(VK_RETURN, '\r', 0));
    return keys;
}

}  // namespace

TextConsoleLink::~TextConsoleLink() { End(); }

DWORD TextConsoleLink::Start(const std::string& program, const std::string& arguments) {
    if (Running()) return 0;
    DWORD hostId = 0;
    if (const DWORD error = StartConsoleHost(program, arguments, hostId)) return error;
    return Attach(hostId);
}

DWORD TextConsoleLink::Reattach() {
    if (Running()) return 0;
    const DWORD hostId = RunningConsoleHost();
    return hostId ? Attach(hostId) : ERROR_FILE_NOT_FOUND;
}

DWORD TextConsoleLink::Attach(DWORD hostId) {
    End();
    // Kept when attaching fails: the game runs, and is not started twice.
    game_.reset(OpenProcess(SYNCHRONIZE, FALSE, hostId));
    if (!game_) return GetLastError();
    // A console we were given (started from one) is the player's, not the game's.
    FreeConsole();
    const auto failed = [] { return GetLastError() ? GetLastError() : ERROR_INVALID_HANDLE; };
    if (!AttachConsole(hostId)) return failed();
    attached_ = true;
    input_.reset(CreateFileA("CONIN$", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                             OPEN_EXISTING, 0, nullptr));
    if (!input_) return failed();
    output_.reset(CreateFileA("CONOUT$", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                              OPEN_EXISTING, 0, nullptr));
    return output_ ? 0 : failed();
}

bool TextConsoleLink::Running() {
    if (!game_) return false;
    if (WaitForSingleObject(game_.get(), 0) == WAIT_TIMEOUT) return true;
    End();
    return false;
}

void TextConsoleLink::End() {
    game_.reset();
    input_.reset();
    output_.reset();
    // The console goes with the game; the next start makes a fresh one.
    if (attached_) FreeConsole();
    attached_ = false;
    mark_ = {};
    pastMark_ = false;
}

bool TextConsoleLink::ReadScreen(Screen& screen) {
    CONSOLE_SCREEN_BUFFER_INFO info;
    if (!output_ || !GetConsoleScreenBufferInfo(output_.get(), &info)) return false;
    screen.cursorRow = info.dwCursorPosition.Y;
    screen.width = info.dwSize.X;
    return screen.width > 0;
}

std::vector<std::string> TextConsoleLink::ReadRows(int first, int count, int width) {
    std::vector<std::string> rows;
    if (count <= 0) return rows;
    std::string text(static_cast<std::size_t>(count) * static_cast<std::size_t>(width), ' ');
    DWORD read = 0;
    ReadConsoleOutputCharacterA(output_.get(), text.data(), static_cast<DWORD>(text.size()),
                                {0, static_cast<SHORT>(first)}, &read);
    for (int r = 0; r < count; ++r) rows.push_back(text.substr(static_cast<std::size_t>(r * width), width));
    return rows;
}

bool TextConsoleLink::UnreadRows(Screen& screen, std::vector<std::string>& rows) {
    if (!ReadScreen(screen)) return false;
    const int size = static_cast<int>(mark_.anchor.size());
    if (mark_.row <= screen.cursorRow) {
        // The usual case, one read: the anchor where we left it, and the rows after it.
        std::vector<std::string> got = ReadRows(mark_.row - size, screen.cursorRow - mark_.row + size, screen.width);
        if (std::equal(mark_.anchor.begin(), mark_.anchor.end(), got.begin())) {
            rows.assign(got.begin() + size, got.end());
            return true;
        }
    }
    const std::vector<std::string> all = ReadRows(0, screen.cursorRow, screen.width);
    mark_ = MarkAt(all, RelocateMark(mark_, all));
    rows.assign(all.begin() + mark_.row, all.end());
    return true;
}

void TextConsoleLink::MarkCursor() {
    pastMark_ = false;
    Screen screen;
    if (!ReadScreen(screen)) return;
    const int first = std::max(0, screen.cursorRow - kAnchorRows);
    mark_ = {screen.cursorRow, ReadRows(first, screen.cursorRow - first, screen.width)};
}

void TextConsoleLink::Advance(const std::vector<std::string>& rows, int by) {
    std::vector<std::string> seen = mark_.anchor;
    seen.insert(seen.end(), rows.begin(), rows.begin() + by);
    ReadMark moved = MarkAt(seen, static_cast<int>(seen.size()));
    moved.row = mark_.row + by;
    mark_ = std::move(moved);
}

std::optional<std::string> TextConsoleLink::LastLine(const Screen& screen) {
    const int row = screen.cursorRow - 1;
    if (row < 0) return std::nullopt;
    // Usually one read: the row above the cursor holds the whole line when neither it nor the
    // row before it is full (a full row goes on in the next).
    if (row > 0) {
        std::string text(static_cast<std::size_t>(screen.width) + 1, ' ');
        DWORD read = 0;
        ReadConsoleOutputCharacterA(output_.get(), text.data(), static_cast<DWORD>(text.size()),
                                    {static_cast<SHORT>(screen.width - 1), static_cast<SHORT>(row - 1)}, &read);
        if (text.front() == ' ' && text.back() == ' ') return std::string(TrimRow(std::string_view(text).substr(1)));
    }
    // A long line: rows joined upwards until its start is among them.
    for (int count = 4;; count *= 2) {
        const int first = std::max(0, screen.cursorRow - count);
        const std::vector<RowLine> lines =
            JoinRows(ReadRows(first, screen.cursorRow - first, screen.width), static_cast<std::size_t>(screen.width));
        // The first line may have begun above the rows read; a later one began within them.
        if (lines.size() >= 2 || (first == 0 && !lines.empty())) return lines.back().text;
        if (first == 0) return std::nullopt;
    }
}

std::string TextConsoleLink::ReadOutput() {
    Screen screen;
    if (pastMark_) {
        if (!ReadScreen(screen)) return {};
        const std::optional<std::string> line = LastLine(screen);
        return line ? *line + "\r\n" : std::string();
    }
    std::vector<std::string> rows;
    if (!UnreadRows(screen, rows)) return {};
    const std::vector<RowLine> lines = JoinRows(rows, static_cast<std::size_t>(screen.width));
    if (lines.empty()) return {};
    // Whatever the game prints from now on comes after this line: until we type again, the
    // mark need not be followed, and only the last line is read.
    pastMark_ = true;
    return lines.back().text + "\r\n";
}

bool TextConsoleLink::WaitAMoment(DWORD ms) {
    if (!PumpPendingMessages() || !game_) return false;
    const HANDLE game = game_.get();
    return MsgWaitForMultipleObjectsEx(1, &game, ms, QS_ALLINPUT, MWMO_INPUTAVAILABLE) != WAIT_OBJECT_0;
}

bool TextConsoleLink::WaitForInputTaken() {
    const DWORD busyAt = GetTickCount() + kBusyAfterMs;
    for (;;) {
        DWORD waiting = 0;
        if (!GetNumberOfConsoleInputEvents(input_.get(), &waiting)) return false;
        if (waiting == 0) return true;
        if (!WaitAMoment(Passed(busyAt) ? kBusyLookMs : 5)) return false;
    }
}

void TextConsoleLink::Type(const std::string& text, bool asCommand) {
    if (!Running()) return;
    const std::string line = TypedLine(asCommand ? text : "echo " + text);
    const std::vector<INPUT_RECORD> keys = KeysOf(line);
    // All that stands above the cursor now came before Enter: the echo is looked for below it.
    MarkCursor();
    // Piece by piece, each once the game has taken the one before: Enter ends the last.
    for (std::size_t at = 0; at < keys.size(); at += kPieceEvents) {
        if (!WaitForInputTaken()) return;
        const DWORD count = static_cast<DWORD>(std::min(kPieceEvents, keys.size() - at));
        DWORD written = 0;
        WriteConsoleInputA(input_.get(), keys.data() + at, count, &written);
    }
    if (!WaitForInputTaken()) return;

    // The game shows the line the moment it takes Enter, and answers it on a later frame.
    // The mark moves past that echo only: an answer printed already stays.
    const DWORD echoDeadline = GetTickCount() + kEchoTimeoutMs;
    for (;;) {
        Screen screen;
        std::vector<std::string> rows;
        if (!UnreadRows(screen, rows)) return;
        const std::vector<RowLine> lines = JoinRows(rows, static_cast<std::size_t>(screen.width));
        const int after = RowAfterEcho(lines, line, -1);
        if (after >= 0) return Advance(rows, after);
        if (Passed(echoDeadline) || !WaitAMoment()) {
            // No echo came: what stood there was before Enter, as far as we can tell.
            if (!lines.empty()) Advance(rows, lines.back().endRow);
            return;
        }
    }
}

}  // namespace zarvik
