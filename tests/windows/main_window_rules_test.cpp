#include "app/windows/MainWindowRules.h"

#include <gtest/gtest.h>

#include <vector>

namespace zarvik {
namespace {

TEST(MovieFolder, UsesBackslashesAndEndsWithOne) {
    EXPECT_EQ(MovieFolder("C:/Games/Zarvik"), "C:\\Games\\Zarvik\\");
    EXPECT_EQ(MovieFolder("C:\\"), "C:\\") << "a drive root gets no second one";
}

struct Writes : SettingsStore {
    std::vector<std::string> log;
    std::string Read(const std::string&) override { return ""; }
    void Write(const std::string& key, const std::string& value) override { log.push_back(key + "=" + value); }
};

TEST(NameModel, StoresEveryChangeAndTheStartUpFill) {
    Writes settings;
    NameModel name(settings);
    name.Fill("");
    EXPECT_EQ(settings.log, std::vector<std::string>{"Name="}) << "the key exists after start-up";
    for (const char* typed : {"P", "Pa", "Pad"}) name.SetText(typed);
    name.SetText("Pad");  // the engine's update to the same name changes nothing
    EXPECT_EQ(settings.log, (std::vector<std::string>{"Name=", "Name=P", "Name=Pa", "Name=Pad"}));
    EXPECT_EQ(name.Text(), "Pad");
}

struct Player : TitlePlayer {
    bool playing = false;
    int frame = 0;
    std::string tag;
    std::vector<std::string> calls;
    bool IsPlaying() override { return playing; }
    int CurrentFrame() override { return frame; }
    void GotoFrame(int f) override {
        frame = f;
        calls.push_back("goto " + std::to_string(f));
    }
    void Play() override {
        playing = true;
        calls.push_back("play");
    }
    void Stop() override {
        playing = false;
        calls.push_back("stop");
    }
    std::string Tag() override { return tag; }
    void SetTag(const std::string& t) override { tag = t; }
};

TEST(TitleClick, PausesOnFrame64AndResumesWhereItWas) {
    Player title;
    title.playing = true;
    title.frame = 23;
    TitleClick(title);
    EXPECT_EQ(title.calls, (std::vector<std::string>{"goto 64", "stop"}));
    TitleClick(title);
    EXPECT_EQ(title.calls, (std::vector<std::string>{"goto 64", "stop", "goto 23", "play"}));
    for (const char* tag : {"", "-3", "12abc"}) {  // with nothing usable remembered it only plays
        Player fresh;
        fresh.tag = tag;
        TitleClick(fresh);
        EXPECT_EQ(fresh.calls, std::vector<std::string>{"play"}) << tag;
    }
}

}  // namespace
}  // namespace zarvik
