#include "app/console/PauseClock.h"

#include <gtest/gtest.h>

namespace zarvik {
namespace {

TEST(TicksBetween, CountsAcrossTheCountersLimits) {
    struct Case {
        std::uint32_t start, now, expected;
    };
    const Case cases[] = {
        {1000, 1500, 500},
        {0xFFFFFF00u, 0x00000100u, 0x200},  // unsigned wrap after ~49.7 days
        {0x7FFFFFF0u, 0x80000010u, 0x20},   // crossing the signed limit after ~24.8 days
        {0xFFFFFFFFu, 0x00000000u, 1},
        {42, 42, 0},
    };
    for (const auto& c : cases) EXPECT_EQ(TicksBetween(c.start, c.now), c.expected) << c.start << " -> " << c.now;
}

TEST(PauseRemaining, EndsOnlyAfterMoreThanItsLength) {
    EXPECT_EQ(PauseRemaining(5000, 5000, 1), 1001u);
    EXPECT_EQ(PauseRemaining(5000, 5999, 1), 2u);
    EXPECT_EQ(PauseRemaining(5000, 6000, 1), 1u) << "exactly its length is not yet more than it";
    EXPECT_EQ(PauseRemaining(5000, 6001, 1), 0u);
    EXPECT_EQ(PauseRemaining(5000, 9000, 3), 0u);
    EXPECT_EQ(PauseRemaining(5000, 7500, 3), 501u);
}

TEST(PauseRemaining, LastsItsLengthWhenTheCounterWraps) {
    const std::uint32_t start = 0xFFFFFE00u;  // 512 ms before the wrap
    EXPECT_EQ(PauseRemaining(start, 0xFFFFFFFFu, 1), 1000u - 511u + 1u);
    EXPECT_EQ(PauseRemaining(start, 0x00000100u, 1), 1000u - 768u + 1u);
    EXPECT_EQ(PauseRemaining(start, 0x000001E8u, 1), 1u);
    EXPECT_EQ(PauseRemaining(start, 0x000001E9u, 1), 0u);

    const std::uint32_t signedEdge = 0x7FFFFF00u;
    EXPECT_EQ(PauseRemaining(signedEdge, 0x80000000u, 1), 1000u - 256u + 1u);
    EXPECT_EQ(PauseRemaining(signedEdge, 0x800002E9u, 1), 0u);
}

TEST(PauseRemaining, ZeroOrNegativeWaitsForTheCounterToMove) {
    EXPECT_EQ(PauseRemaining(100, 100, 0), 1u);
    EXPECT_EQ(PauseRemaining(100, 101, 0), 0u);
    EXPECT_EQ(PauseRemaining(100, 100, -5), 1u);
    EXPECT_EQ(PauseRemaining(100, 101, -5), 0u);
}

TEST(PauseRemaining, HugeLengthsNeitherOverflowNorEndAtOnce) {
    EXPECT_GT(PauseRemaining(0, 1, INT32_MAX), 0x7FFFFFFFu);
    EXPECT_GT(PauseRemaining(0xFFFFFFF0u, 0x10u, 5000000), 0u);
}

}  // namespace
}  // namespace zarvik
