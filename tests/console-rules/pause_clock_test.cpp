#include "app/console-rules/PauseClock.h"

#include <gtest/gtest.h>

namespace zarvik {
namespace {

TEST(PauseRemaining, EndsOnlyAfterMoreThanItsLengthAcrossTheWrap) {
    EXPECT_EQ(PauseRemaining(5000, 6000, 1), 1u) << "exactly its length is not yet more than it";
    EXPECT_EQ(PauseRemaining(5000, 6001, 1), 0u);
    const std::uint32_t start = 0xFFFFFE00u;  // 512 ms before the counter wraps after ~49.7 days
    EXPECT_EQ(PauseRemaining(start, 0x000001E8u, 1), 1u);
    EXPECT_EQ(PauseRemaining(start, 0x000001E9u, 1), 0u);

    EXPECT_EQ(PauseRemaining(100, 100, 0), 1u) << "waits for the counter to move";
    EXPECT_EQ(PauseRemaining(100, 101, -5), 0u);
    EXPECT_GT(PauseRemaining(0xFFFFFFF0u, 0x10u, INT32_MAX), 0x7FFFFFFFu) << "no overflow";
}

}  // namespace
}  // namespace zarvik
