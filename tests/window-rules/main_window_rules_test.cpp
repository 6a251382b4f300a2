#include "app/window-rules/MainWindowRules.h"

#include <gtest/gtest.h>

#include <vector>

namespace zarvik {
namespace {

using Texts = std::vector<std::string>;

struct Writes : SettingsStore {
    Texts log;
    std::string Read(const std::string&) override { return ""; }
    void Write(const std::string& key, const std::string& value) override { log.push_back(key + "=" + value); }
};

TEST(NameModel, StoresEveryChangeAndTheStartUpFill) {
    Writes settings;
    NameModel name(settings);
    name.Fill("");
    name.SetText("P");
    name.SetText("P");  // the engine's update to the same name changes nothing
    EXPECT_EQ(settings.log, (Texts{"Name=", "Name=P"})) << "the key exists after start-up";
}

}  // namespace
}  // namespace zarvik
