#pragma once

// The text console of current game clients: what its screen buffer's rows mean. The game
// writes every printed line from the cursor on, wrapping at the buffer's width, and keeps
// the line being typed in the cursor's own row; the rows above the cursor are finished.

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace zarvik {

// What the game keeps of a line typed into it: at most this many characters.
constexpr std::size_t kTypedLineLimit = 255;

// A line as it is typed as keys: a control character would end or split the game's line,
// so it goes as a blank; what the game would not keep is not typed.
std::string TypedLine(std::string_view text);

// What the game takes for a colour code, a caret and one character: version 1.02 any character
// but a caret, 1.04 only a digit 0 to 7 ("^9" and "^a" stay as they are).
enum class ColourCodes { V102, V104 };

// A text as the text console shows it: colour codes gone, as the game's version takes them,
// and every byte outside blank..'~' (an accented letter, a tab) a '.'.
std::string ShownText(std::string_view text, ColourCodes codes);

// A row without the blanks that pad it to the buffer's width.
std::string_view TrimRow(std::string_view row);

struct RowLine {
    std::string text;
    int endRow;  // the row after the line's last one, counted from the first row given
};

// The complete lines in `rows` (each `width` characters). A row full to its last column goes
// on in the next row; a line that would go on past the last row given is unfinished and left
// out, as is every row after it.
std::vector<RowLine> JoinRows(const std::vector<std::string>& rows, std::size_t width);

// Where reading starts: the rows above `row` have been seen. `anchor` holds the rows just
// above it, so that the place can be found again once the buffer has scrolled them upwards.
struct ReadMark {
    int row = 0;
    std::vector<std::string> anchor;
};

constexpr int kAnchorRows = 3;

// The mark at `row` of `rows` (the buffer from its first row).
ReadMark MarkAt(const std::vector<std::string>& rows, int row);

// The row the mark stands at now in `rows` (the buffer from its first row to the cursor): its
// anchor where it was, else the nearest place above where the anchor stands (the buffer
// scrolled), or where what is left of it stands at the top; 0 when it stands nowhere
// (scrolled out of the buffer, or the buffer emptied), as every row left came after it.
// Rows printed later that repeat the whole anchor at its old place cannot be told from it.
int RelocateMark(const ReadMark& mark, const std::vector<std::string>& rows);

// The row after the last of `lines` that is the game's echo of `typed`, as a game of either
// version shows it; `none` when absent.
int RowAfterEcho(const std::vector<RowLine>& lines, std::string_view typed, int none);

}  // namespace zarvik
