#include "app/window-rules/MainWindowRules.h"
#include "tests/engine/fakes.h"

#include <gtest/gtest.h>

namespace zarvik {
namespace {

TEST(NameModel, StoresEveryChangeAndTheStartUpFill) {
    testing::FakeStore settings;
    NameModel name(settings);
    name.Fill("");
    name.SetText("P");
    name.SetText("P");  // the engine's update to the same name changes nothing
    EXPECT_EQ(settings.writes, (std::vector<std::string>{"Name=", "Name=P"})) << "the key exists after start-up";
}

}  // namespace
}  // namespace zarvik
