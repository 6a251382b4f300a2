#include "app/engine/ConsoleText.h"

#include <gtest/gtest.h>

namespace zarvik {
namespace {

TEST(LastCompleteLine, IsThePieceBeforeTheLast) {
    struct Case {
        const char* copy;
        std::optional<std::string> line;
        int pieces;
    };
    const Case cases[] = {
        {"abc\r\n", "abc", 2},
        {"abc", std::nullopt, 1},
        {"x\r\ny\r\nz", "y", 3},
        {"", std::nullopt, 1},
        {"a\r\n\r\n", "", 3},
        {"\r\nabc", "", 2},              // a leading CR LF cuts off an empty first piece
        {"a\rb\nc\r\n", "a\rb\nc", 2},  // lone CR or LF do not end a line
        {"a\r\r\n", "a\r", 2},
    };
    for (const auto& c : cases) {
        int pieces = 0;
        EXPECT_EQ(LastCompleteLine(c.copy, [&] { ++pieces; }), c.line) << c.copy;
        EXPECT_EQ(pieces, c.pieces) << c.copy;
    }
}

TEST(LastCompleteLine, HandlesCopiesOfAnyLength) {
    // A line end far past 32766 characters once failed the tick with an overflow.
    std::string copy;
    while (copy.size() < (1u << 20)) copy += "Other: some chatter that fills the console\r\n";
    copy += "Padawan: !about\r\nhalf a li";
    EXPECT_EQ(LastCompleteLine(copy, nullptr), "Padawan: !about");
}

}  // namespace
}  // namespace zarvik
