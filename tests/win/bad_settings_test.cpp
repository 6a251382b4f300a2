// info.ini as it may be found: empty, without line ends, with CR-only ends, huge, binary. The
// start-up's settings load reads what it can, skips the rest silently, and loses nothing.
#include "app/platform/IniSettingsStore.h"
#include "app/settings/LoadSettings.h"
#include "app/windows/MainWindowRules.h"
#include "tests/windows/scripted_dialogs.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

namespace zarvik {
namespace {

using namespace std::string_literals;

struct Place : MainWindowPlacement {
    void OuterSize(std::int32_t& width, std::int32_t& height) override { width = 4575, height = 1905; }
    void ScreenSize(std::int32_t& width, std::int32_t& height) override { width = 19200, height = 14400; }
    void MoveTo(std::int32_t, std::int32_t) override {}
};

std::string Read(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

TEST(BadSettings, StartUpReadsWhatItCanAndLosesNothing) {
    const std::string junk(10 * 1024 * 1024, 'j');
    const struct {
        const char* what;
        std::string content;
        std::string name;      // what the name box shows afterwards
        std::string mustStay;  // a part of the file that must still be there afterwards
    } cases[] = {
        {"empty", "", "", ""},
        {"no line end", "[%General%]\r\nName=Kyle", "Kyle", ""},
        {"CR-only ends", "[%General%]\rName=Kyle\rTime=0\r", "Kyle", ""},
        {"another section kept", "[Mine]\r\nKeep=me\r\n[%General%]\r\nName=Kyle\r\n", "Kyle", "Keep=me"},
        {"10 MB of junk before the section", junk + "\r\n[%General%]\r\nName=Kyle\r\n", "Kyle", junk},
        {"binary", "\x01\x02\xff\xfe[%General%]\x00Name=Kyle\r\n"s, "", ""},
    };
    char temp[MAX_PATH];
    GetTempPathA(MAX_PATH, temp);
    const std::filesystem::path folder = std::filesystem::path(temp) / "zarvik bad settings";
    for (const auto& c : cases) {
        std::filesystem::remove_all(folder);
        std::filesystem::create_directories(folder);
        std::ofstream(folder / "info.ini", std::ios::binary) << c.content;
        IniSettingsStore store(folder.string());
        OptionModel options(store);
        NameModel name(store);
        bool turnedOn = false;
        Place place;
        LoadSettings(store, options, turnedOn, place, SystemNumberFormat());
        name.Fill(store.Read("Name"));
        EXPECT_EQ(name.Text(), c.name) << c.what;
        EXPECT_EQ(store.Read("Editor"), "Notepad.exe") << c.what << ": the default is written";
        EXPECT_NE(Read(folder / "info.ini").find(c.mustStay), std::string::npos) << c.what << ": kept";
    }
    std::filesystem::remove_all(folder);
}

// A program folder of its own with one map of two binds; its bind file's content.
const std::string kBinds = "Bind F5 force_push\r\nBind F6 force_pull\r\n";
std::filesystem::path StoreWithTwoBinds(const char* name) {
    char temp[MAX_PATH];
    GetTempPathA(MAX_PATH, temp);
    const std::filesystem::path folder = std::filesystem::path(temp) / name;
    std::filesystem::remove_all(folder);
    std::filesystem::create_directories(folder / "Data");
    std::ofstream(folder / "Data" / "data.txt", std::ios::binary) << "ffa_bespin\r\n";
    std::ofstream(folder / "Data" / "ffa_bespin.txt", std::ios::binary) << kBinds;
    return folder;
}

TEST(BadSettings, ALockedFileIsReadOrReportedNeverHalfWritten) {
    const std::filesystem::path folder = StoreWithTwoBinds("zarvik locked");
    const std::string& binds = kBinds;
    std::ofstream(folder / "info.ini", std::ios::binary) << "[%General%]\r\nName=Kyle\r\n";

    // Another program holds both files open and shares nothing.
    const auto lock = [](const std::filesystem::path& path) {
        return CreateFileA(path.string().c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    };
    HANDLE bindFile = lock(folder / "Data" / "ffa_bespin.txt"), settingsFile = lock(folder / "info.ini");
    ASSERT_NE(bindFile, INVALID_HANDLE_VALUE);
    ASSERT_NE(settingsFile, INVALID_HANDLE_VALUE);

    IniSettingsStore store(folder.string());
    OptionModel options(store);
    bool turnedOn = false;
    Place place;
    LoadSettings(store, options, turnedOn, place,
                 SystemNumberFormat());  // silently skips what it cannot read
    EXPECT_EQ(options.Editor(), "") << "nothing could be read or written";

    ScriptedDialogs dialogs;
    EditingSuite suite(folder.string(), options, dialogs, nullptr);
    suite.Load();
    suite.SelectMap(0);
    EXPECT_TRUE(suite.View().keys.empty()) << "the locked file lists nothing";
    CloseHandle(bindFile);
    suite.SelectMap(0);
    ASSERT_EQ(suite.View().keys.size(), 2u);
    suite.SelectKey(0);
    bindFile = lock(folder / "Data" / "ffa_bespin.txt");
    dialogs.yes = {true};
    suite.Delete(46);
    EXPECT_EQ(dialogs.shown.back().rfind("Zarvik could not change ", 0), 0u) << "said, not pretended";
    CloseHandle(bindFile);
    CloseHandle(settingsFile);
    EXPECT_EQ(Read(folder / "Data" / "ffa_bespin.txt"), binds) << "whole, as it was";
    EXPECT_EQ(Read(folder / "info.ini"), "[%General%]\r\nName=Kyle\r\n");
    std::filesystem::remove_all(folder);
}

TEST(BadSettings, AReadOnlyBindFileIsReportedNotRewritten) {
    const std::filesystem::path folder = StoreWithTwoBinds("zarvik read-only");
    const std::string& binds = kBinds;
    const std::filesystem::path file = folder / "Data" / "ffa_bespin.txt";
    ASSERT_TRUE(SetFileAttributesA(file.string().c_str(), FILE_ATTRIBUTE_READONLY));

    IniSettingsStore store(folder.string());
    OptionModel options(store);
    ScriptedDialogs dialogs;
    EditingSuite suite(folder.string(), options, dialogs, nullptr);
    suite.Load();
    suite.SelectMap(0);
    ASSERT_EQ(suite.View().keys.size(), 2u) << "read as usual";
    suite.SelectKey(1);
    suite.ValueChanged("force_grip");
    suite.ChangeValue();
    ASSERT_FALSE(dialogs.shown.empty());
    EXPECT_EQ(dialogs.shown.back().rfind("Zarvik could not change ", 0), 0u);
    EXPECT_EQ(Read(file), binds);
    SetFileAttributesA(file.string().c_str(), FILE_ATTRIBUTE_NORMAL);
    std::filesystem::remove_all(folder);
}

}  // namespace
}  // namespace zarvik
