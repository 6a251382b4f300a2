// Files as they may be found: info.ini and a bind file locked by another program, the bind file
// read-only. What can be read is read, the rest is skipped or reported, and nothing is lost or
// half written.
#include "app/platform/IniSettingsStore.h"
#include "app/settings/LoadSettings.h"
#include "tests/windows/win_test.h"
#include "tests/window-rules/scripted_dialogs.h"

namespace zarvik {
namespace {

struct Place : MainWindowPlacement {
    void OuterSize(std::int32_t& width, std::int32_t& height) override { width = 4575, height = 1905; }
    void ScreenSize(std::int32_t& width, std::int32_t& height) override { width = 19200, height = 14400; }
    void MoveTo(std::int32_t, std::int32_t) override {}
};

// A program folder of its own with one map of two binds.
class BadBindFile : public ::testing::Test {
  protected:
    BadBindFile() : folder(TempFolder("zarvik bad binds")), file(folder / "Data" / "ffa_bespin.txt") {
        fs::create_directories(folder / "Data");
        std::ofstream(folder / "Data" / "data.txt", std::ios::binary) << "ffa_bespin\r\n";
        std::ofstream(file, std::ios::binary) << kBinds;
        std::ofstream(folder / "info.ini", std::ios::binary) << kIni;
    }
    ~BadBindFile() override {
        SetFileAttributesA(file.string().c_str(), FILE_ATTRIBUTE_NORMAL);
        fs::remove_all(folder);
    }
    // Another program holds the file open and shares nothing.
    static HANDLE Lock(const fs::path& path) {
        return CreateFileA(path.string().c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    }
    const std::string kBinds = "Bind F5 force_push\r\nBind F6 force_pull\r\n";
    const std::string kIni = "[%General%]\r\nName=Kyle\r\n";
    fs::path folder, file;
    IniSettingsStore store{folder.string()};
    OptionModel options{store};
    ScriptedDialogs dialogs;
    EditingSuite suite{folder.string(), options, dialogs, nullptr};
};

TEST_F(BadBindFile, ALockedOrReadOnlyFileIsReadOrReportedNeverHalfWritten) {
    HANDLE binds = Lock(file), settings = Lock(folder / "info.ini");
    ASSERT_NE(binds, INVALID_HANDLE_VALUE);
    ASSERT_NE(settings, INVALID_HANDLE_VALUE);
    Place place;
    bool turnedOn = false;
    LoadSettings(store, options, turnedOn, place, SystemNumberFormat());  // as at start-up
    EXPECT_EQ(options.Editor(), "") << "nothing could be read or written";
    suite.Load();
    suite.SelectMap(0);
    EXPECT_TRUE(suite.View().keys.empty()) << "the locked file lists nothing";
    CloseHandle(binds);
    suite.SelectMap(0);
    ASSERT_EQ(suite.View().keys.size(), 2u);
    suite.SelectKey(0);
    binds = Lock(file);
    dialogs.yes = {true};
    suite.Delete(46);
    EXPECT_EQ(dialogs.shown.back().rfind("Zarvik could not change ", 0), 0u) << "said, not pretended";
    CloseHandle(binds);
    CloseHandle(settings);
    EXPECT_EQ(ReadFile(folder / "info.ini"), kIni);

    ASSERT_TRUE(SetFileAttributesA(file.string().c_str(), FILE_ATTRIBUTE_READONLY));
    dialogs.shown.clear();
    suite.SelectMap(0);
    ASSERT_EQ(suite.View().keys.size(), 2u) << "read-only: read as usual";
    suite.SelectKey(1);
    suite.ValueChanged("force_grip");
    suite.ChangeValue();
    ASSERT_FALSE(dialogs.shown.empty());
    EXPECT_EQ(dialogs.shown.back().rfind("Zarvik could not change ", 0), 0u);
    EXPECT_EQ(ReadFile(file), kBinds) << "whole, as it was";
}

}  // namespace
}  // namespace zarvik
