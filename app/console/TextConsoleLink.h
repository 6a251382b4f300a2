#pragma once

// The link to a game that talks through a text console (today's community clients): the game
// started by us inside a hidden console of our own, its rows read, its keys typed.

#include "app/console-rules/ConsoleRows.h"
#include "winbase/Own.h"

#include <windows.h>

#include <optional>
#include <string>

namespace zarvik {

class TextConsoleLink {
  public:
    TextConsoleLink() = default;
    ~TextConsoleLink();

    // Starts `program` in a fresh hidden console, in the program's own folder, and attaches
    // to that console, unless the game we started runs still. 0 when it runs, else the
    // system's error code; the game may run all the same when only attaching failed.
    DWORD Start(const std::string& program, const std::string& arguments);

    // Attaches to the console of the game we started before (another Zarvik, maybe ended
    // since). 0 when attached, ERROR_FILE_NOT_FOUND when no such game runs, else the system's
    // error code; the game runs all the same.
    DWORD Reattach();

    // True while the game we started runs, attached or not; once it has ended, the console
    // goes with it.
    bool Running();

    // The last complete line the game printed since the last submission, ended by CR LF; ""
    // when there is none.
    std::string ReadOutput();

    // Types `text` (or "echo " + text) and Enter as the game takes keys, waiting as long as it
    // reads nothing (a map loading), and moves the read mark past the game's echo of it. The
    // caller has paused already.
    void Type(const std::string& text, bool asCommand);

  private:
    struct Screen {
        int cursorRow = 0;
        int width = 0;
    };
    bool ReadScreen(Screen& screen);
    std::vector<std::string> ReadRows(int first, int count, int width);
    // The rows from the mark to the cursor, the mark found again first when the buffer moved.
    bool UnreadRows(Screen& screen, std::vector<std::string>& rows);
    // Watches the host `hostId` from now on and attaches to its console.
    DWORD Attach(DWORD hostId);
    // Until the game has taken every key written, however long it reads nothing (a map
    // loading): a line left half typed would be glued to the next. False once it has ended.
    bool WaitForInputTaken();
    // Lets window messages run for up to `ms`; false once the game has ended or we quit.
    bool WaitAMoment(DWORD ms = 5);
    // The last complete line above the cursor.
    std::optional<std::string> LastLine(const Screen& screen);
    // Sets the mark at the cursor's row: all above it has been seen.
    void MarkCursor();
    // Moves the mark `by` rows down `rows` (those from the mark on).
    void Advance(const std::vector<std::string>& rows, int by);
    void End();

    winbase::Handle game_;  // the console's host, which lives as long as the game
    winbase::FileHandle input_;
    winbase::FileHandle output_;
    bool attached_ = false;
    ReadMark mark_;
    bool pastMark_ = false;  // a complete line stands past the mark
};

}  // namespace zarvik
