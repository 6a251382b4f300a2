#include "app/console-rules/ConsoleRows.h"
#include "app/console-rules/TypedEcho.h"

#include <gtest/gtest.h>

namespace zarvik {
namespace {

// Rows of width 8 (or `width`), padded with blanks as the console holds them.
std::vector<std::string> Rows(std::initializer_list<const char*> texts, std::size_t width = 8) {
    std::vector<std::string> rows(texts.begin(), texts.end());
    for (std::string& row : rows) row.resize(width, ' ');
    return rows;
}

std::vector<std::string> Texts(const std::vector<RowLine>& lines) {
    std::vector<std::string> texts;
    for (const RowLine& line : lines) texts.push_back(line.text + "@" + std::to_string(line.endRow));
    return texts;
}

TEST(JoinRows, JoinsFullRowsToTheNextAndLeavesAnUnfinishedLineOut) {
    using V = std::vector<std::string>;
    EXPECT_EQ(Texts(JoinRows(Rows({"abc", "", "a b  c"}), 8)), (V{"abc@1", "@2", "a b  c@3"}));
    // A line longer than a row, and one of exactly a row where the console wraps at once.
    EXPECT_EQ(Texts(JoinRows(Rows({"12345678", "12345678", "9", "abcdefgh", "", "x"}), 8)),
              (V{"12345678123456789@3", "abcdefgh@5", "x@6"}));
    // The game is still writing the line's last part in the cursor's row.
    EXPECT_EQ(Texts(JoinRows(Rows({"done", "12345678"}), 8)), (V{"done@1"}));
}

TEST(ReadMark, FollowsItsAnchorWhenTheBufferScrollsAndRestartsWhenItIsGone) {
    const auto buffer = Rows({"one", "two", "]x", "three", "four", "five"});
    const ReadMark mark = MarkAt(buffer, 3);  // "one", "two", "]x" read
    EXPECT_EQ(RelocateMark(mark, buffer), 3) << "nothing moved";
    EXPECT_EQ(RelocateMark(MarkAt(buffer, 5), Rows({"]x", "three", "four", "five", "six", "seven"})), 3)
        << "scrolled by two";
    EXPECT_EQ(RelocateMark(mark, Rows({"two", "]x", "three", "four", "five", "six"})), 2)
        << "scrolled by one: the anchor's first row went off the top";
    EXPECT_EQ(RelocateMark(MarkAt(Rows({"]x", "three", "four"}), 1), Rows({"three", "four", "five", "]x", "three"})), 0)
        << "a like row printed later, below the old place, is not the anchor";
    EXPECT_EQ(RelocateMark(mark, Rows({"four", "five", "six"})), 0) << "scrolled out: every row is new";
}

TEST(TypedEcho, IsPassedAndAnAnswerAfterItKept) {
    const auto lines = JoinRows(Rows({"Kyle: hi", "mapname", "\"mapname\" is:", "echo The Time", "The Time"}, 16), 16);
    EXPECT_EQ(RowAfterEcho(lines, "mapname", -1), 2) << "the answer printed already stays";
    EXPECT_EQ(RowAfterEcho(lines, "echo ^7The ^5Time", -1), 4) << "the echo shows without colour codes";
    EXPECT_EQ(RowAfterEcho(lines, "name", -1), -1);
    EXPECT_EQ(RowAfterEcho(JoinRows(Rows({"a b"}), 8), "a\rb", -1), 1) << "a control character goes as a blank";

    // Version 1.02 takes a caret and any character for a colour code, 1.04 only "^0" to "^7";
    // the text console shows any byte outside blank..'~' as a dot.
    for (const char* shown : {"say x caf.", "say ^9x caf."})
        EXPECT_EQ(RowAfterEcho(JoinRows(Rows({shown, "answer"}, 16), 16), "say ^9x caf\xe9", -1), 1) << shown;
    EXPECT_EQ(RowAfterEcho(JoinRows(Rows({"say ^9x caf\xe9"}, 16), 16), "say ^9x caf\xe9", -1), -1);

    // In the window's console copy: the end of the last echo line only.
    constexpr std::size_t none = std::string_view::npos;
    EXPECT_EQ(EndOfTypedEcho("Padawan: !load\r\n]mapname\r\n\"mapname\" is:\"ffa_bespin\" default:\"nomap\"\r\n"), 26u);
    EXPECT_EQ(EndOfTypedEcho("Kyle: a]b\r\n"), none) << "a \"]\" inside a line is no echo";
    EXPECT_EQ(EndOfTypedEcho("]mapname"), none) << "not yet ended";
    EXPECT_EQ(EndOfTypedEcho("x\r\n]echo a\r\n]echo b\r\nb \r\n"), 21u) << "two typed lines: through the later";
}

}  // namespace
}  // namespace zarvik
