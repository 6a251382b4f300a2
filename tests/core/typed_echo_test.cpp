#include "app/console/TypedEcho.h"

#include <gtest/gtest.h>

namespace zarvik {
namespace {

TEST(EndOfTypedEcho, FindsTheEndOfTheLastEchoLineOnly) {
    constexpr std::size_t none = std::string_view::npos;
    const struct {
        const char* text;
        std::size_t end;
    } cases[] = {
        {"", none},
        {"Padawan: !load\r\n", none},
        {"Padawan: !load\r\n]mapname\r\n", 26},
        {"Padawan: !load\r\n]mapname\r\n\"mapname\" is:\"ffa_bespin\" default:\"nomap\"\r\n", 26},
        {"]name\r\n\"name\" is:\"Padawan\" default:\"Padawan\"\r\n]mapname\r\n", 56},
        {"Kyle: a]b\r\n", none},                // a "]" inside a line is no echo
        {"]mapname", none},                     // not yet ended
        {"x\r\n]echo a\r\n]echo b\r\nb \r\n", 21},  // two typed lines: through the later
    };
    for (const auto& c : cases) EXPECT_EQ(EndOfTypedEcho(c.text), c.end) << c.text;
}

}  // namespace
}  // namespace zarvik
