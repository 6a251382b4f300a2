#include "ConsoleBuffer.h"

#include <gtest/gtest.h>

namespace zarvik::sim {
namespace {

TEST(StripColours, RemovesCaretAndNextCharacterExceptCaretOrEnd) {
    struct Case {
        const char* raw;
        const char* shown;
    };
    const Case cases[] = {
        {"^7Padawan", "Padawan"},
        {"^1Error: ^3 7", "Error:  7"},
        {"Pa^xda^-wan", "Padawan"},   // any character counts, not only digits
        {"a^^7b", "a^b"},             // "^^" is not a code: the first caret stays
        {"ends with ^", "ends with ^"},
        {"^", "^"},
        {"", ""},
        {"100^%", "100"},
    };
    for (const auto& c : cases) EXPECT_EQ(StripColours(c.raw), c.shown) << c.raw;
}

TEST(ConsoleBuffer, TurnsEveryLineEndIntoCrLf) {
    ConsoleBuffer buffer;
    EXPECT_EQ(buffer.Add("a\n").text, "a\r\n");
    EXPECT_EQ(buffer.Add("b\rc").text, "b\r\nc");
    EXPECT_EQ(buffer.Add("d\n\re").text, "d\r\ne");
    EXPECT_EQ(buffer.Add("f\r\ng").text, "f\r\n\r\ng") << "the game makes two line ends of CR LF";
    EXPECT_EQ(buffer.Add("^2x^7\n").text, "x\r\n");
}

TEST(ConsoleBuffer, ReplacesEverythingOnceMoreThan0x7fffCharactersWereWritten) {
    ConsoleBuffer buffer;
    const std::string line(999, 'x');  // 1001 characters with CR LF
    int appended = 0;
    ConsoleBuffer::Append last;
    while (!(last = buffer.Add(line + "\n")).replaceAll) ++appended;
    EXPECT_EQ(appended, 0x7fff / 1001) << "32 appends fit, the 33rd passes the count";
    EXPECT_EQ(last.text.size(), 1001u);
    // The count restarts with the print that replaced the buffer.
    for (int i = 0; i < appended - 1; ++i) EXPECT_FALSE(buffer.Add(line + "\n").replaceAll) << i;
    EXPECT_TRUE(buffer.Add(line + "\n").replaceAll);
}

TEST(ConsoleBuffer, KeepsOnlyTheEndOfAVeryLongPrint) {
    ConsoleBuffer buffer;
    const std::string head(100, 'h');
    const std::string tail(16383, 't');
    const auto append = buffer.Add(head + tail);
    EXPECT_EQ(append.text, tail);
}

}  // namespace
}  // namespace zarvik::sim
