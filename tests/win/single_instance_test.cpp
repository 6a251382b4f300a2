#include "app/windows/SingleInstance.h"

#include <gtest/gtest.h>

#include <string>

namespace zarvik {
namespace {

TEST(SingleInstance, TheSecondCopyFindsTheFirstUntilItEnds) {
    const std::string name = "Local\\Zarvik.Test." + std::to_string(GetCurrentProcessId());
    {
        SingleInstance first(name.c_str());
        EXPECT_FALSE(first.AnotherIsRunning());
        SingleInstance second(name.c_str());
        EXPECT_TRUE(second.AnotherIsRunning());
    }
    SingleInstance again(name.c_str());
    EXPECT_FALSE(again.AnotherIsRunning()) << "the first copy's end frees the name";
}

}  // namespace
}  // namespace zarvik
