// The setup program as a player meets it, in a prefix of its own: installed silently, Zarvik
// started from the installed folder and fed a bind, uninstalled keeping the player's files,
// installed again over them, and at last uninstalled with them. The steps build on each other
// and run in the order written.
#include "tests/windows/win_test.h"

#include "app/console/ConsoleHost.h"

#include <shlobj.h>

namespace {

const char* const kUninstallKey = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Zarvik";
const char* const kProgramFiles[] = {"Zarvik.exe", "Perchicon.ocx", "Readme.txt",
                                     "title.swf",  "credits.swf",   "Uninstall.exe"};

fs::path KnownFolder(int csidl) {
    char path[MAX_PATH] = {};
    SHGetFolderPathA(nullptr, csidl, nullptr, SHGFP_TYPE_CURRENT, path);
    return path;
}

fs::path InstallFolder() { return KnownFolder(CSIDL_LOCAL_APPDATA) / "Programs" / "Zarvik"; }
fs::path StartMenuEntry() { return KnownFolder(CSIDL_PROGRAMS) / "Zarvik.lnk"; }

// Runs a command to its end; its exit code, or 999 when it did not end in time.
DWORD Run(const std::string& commandLine) {
    HANDLE process = StartProcess(commandLine);
    const DWORD code = ExitCode(process, 60000);
    EndProcess(process);
    return code;
}

DWORD RunSetup() { return Run("\"" + (Tree() / "release" / "ZarvikSetup.exe").string() + "\" /S"); }

// The uninstaller copies itself away and finishes from there, as it does for a player; done
// once its entry in the list of installed programs is gone.
bool Uninstall(const std::string& options = "") {
    if (Run("\"" + (InstallFolder() / "Uninstall.exe").string() + "\" /S" + options) != 0) return false;
    const bool done = WaitUntil(
        [] { return !KeyExists(HKEY_CURRENT_USER, kUninstallKey) && !fs::exists(InstallFolder() / "Uninstall.exe"); },
        30000);
    Sleep(500);  // its last deletions
    return done;
}

// Windows looks up classes in HKEY_CLASSES_ROOT, where the user's own Software\Classes lies
// over the machine's; Wine 8 shows the machine's alone. Laying the user's keys over the
// machine's by hand gives the program the view Windows gives it; the keys laid are taken away
// again afterwards.
class UserClassesSeenByWine {
  public:
    UserClassesSeenByWine() { Lay(""); }
    ~UserClassesSeenByWine() {
        for (auto it = laid_.rbegin(); it != laid_.rend(); ++it)
            RegDeleteTreeA(HKEY_LOCAL_MACHINE, ("Software\\Classes\\" + *it).c_str());
    }

  private:
    void Lay(const std::string& sub) {
        HKEY user;
        if (RegOpenKeyExA(HKEY_CURRENT_USER, ("Software\\Classes" + sub).c_str(), 0, KEY_READ, &user) != 0) return;
        char name[256];
        for (DWORD i = 0;; ++i) {
            DWORD length = sizeof name;
            if (RegEnumKeyExA(user, i, name, &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
            const std::string child = (sub.empty() ? "" : sub.substr(1) + "\\") + name;
            if (KeyExists(HKEY_LOCAL_MACHINE, "Software\\Classes\\" + child)) {
                Lay(sub + "\\" + name);
                continue;
            }
            HKEY target;
            RegCreateKeyA(HKEY_LOCAL_MACHINE, ("Software\\Classes\\" + child).c_str(), &target);
            RegCopyTreeA(user, name, target);
            RegCloseKey(target);
            laid_.push_back(child);
        }
        RegCloseKey(user);
    }
    std::vector<std::string> laid_;
};

const std::string kBindFile = "Bind F6 \"force_pull\"\r\n";
const std::string kIni = "[%General%]\r\nName=Padawan\r\n";

TEST(Setup, InstallsForTheUserAloneAndZarvikRunsFromThere) {
    ASSERT_FALSE(fs::exists(InstallFolder())) << "the prefix must be fresh";
    ASSERT_EQ(RunSetup(), 0u);

    for (const char* file : kProgramFiles) EXPECT_TRUE(fs::exists(InstallFolder() / file)) << file;
    EXPECT_FALSE(fs::exists(InstallFolder() / "Data")) << "the player's files are never part of the package";
    EXPECT_FALSE(fs::exists(InstallFolder() / "info.ini"));
    EXPECT_TRUE(fs::exists(StartMenuEntry()));
    EXPECT_EQ(RegValue(HKEY_CURRENT_USER, kUninstallKey, "DisplayVersion"), ZARVIK_VERSION);
    EXPECT_EQ(RegValue(HKEY_CURRENT_USER, kUninstallKey, "UninstallString"),
              "\"" + (InstallFolder() / "Uninstall.exe").string() + "\"");
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, kUninstallKey));

    // The control is registered for this user, at its installed place, and for nobody else.
    const std::string clsid =
        RegValue(HKEY_CURRENT_USER, "Software\\Classes\\PerchiconControl.Perchicon\\CLSID").value_or("");
    ASSERT_EQ(clsid.size(), 38u) << clsid;
    const std::string server = "Software\\Classes\\CLSID\\" + clsid + "\\InprocServer32";
    EXPECT_TRUE(fs::equivalent(RegValue(HKEY_CURRENT_USER, server).value_or(""), InstallFolder() / "Perchicon.ocx"));
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, server));

    // The game today's clients need Zarvik to start, playing on for a while.
    const fs::path game = TempFolder("zarvik-game") / "game.txt";
    std::ofstream(game, std::ios::binary) << "wait 20000\n";
    std::ofstream(InstallFolder() / "info.ini", std::ios::binary)
        << kIni << "Game=" << (Tree() / "tools" / "console-sim" / "console-sim.exe").string()
        << "\r\nGameArgs=--text-console \"" << game.string() << "\"\r\n";
    {
        UserClassesSeenByWine classes;
        // Started from the installed folder, with the game (as a shortcut with --start-game).
        HANDLE zarvik =
            StartProcess("\"" + (InstallFolder() / "Zarvik.exe").string() + "\" --start-game", InstallFolder());
        SimProcess sim(
            "wait 2500\n"
            "map ffa_bespin\n"
            "bind F6 force_pull\n"
            "chat !add f6\n"
            "expect 950-3000 Bind F6\n"
            "expect 950-3000 \"mapname\"\n"
            "expect 950-3000 echo \"^6Bind Saved ^1(^7F6 ^1|^7 \"force_pull\" ^1|^7 ffa_bespin^1)\n");
        HWND main = WaitForWindow("ZarvikMain", "Zarvik", 20000);
        EXPECT_NE(main, nullptr);
        EXPECT_TRUE(WaitUntil([] { return TrayIcon() != nullptr; }, 10000))
            << "the control registered for the user gives the tray icon";
        EXPECT_EQ(sim.Finish(30000), 0u) << sim.Log();

        // A setup started over the running program changes nothing and says so; so it does over
        // the game Zarvik started, which runs on in Zarvik.exe's console host once Zarvik is closed.
        EXPECT_EQ(RunSetup(), 2u);
        PostMessageA(main, WM_CLOSE, 0, 0);
        EXPECT_EQ(ExitCode(zarvik), 0u);
        EndProcess(zarvik);
        EXPECT_EQ(RunSetup(), 2u);
        EXPECT_TRUE(WaitUntil([] { return !zarvik::RunningConsoleHost(); }, 30000)) << "the game ends on its own";
    }
    EXPECT_EQ(ReadFile(InstallFolder() / "Data" / "ffa_bespin.txt"), kBindFile);
}

TEST(Setup, UninstallKeepsThePlayersBindsAndSettings) {
    const std::string ini = ReadFile(InstallFolder() / "info.ini");
    ASSERT_NE(ini.find("Name=Padawan"), std::string::npos);
    ASSERT_TRUE(Uninstall());

    for (const char* file : kProgramFiles) EXPECT_FALSE(fs::exists(InstallFolder() / file)) << file;
    EXPECT_FALSE(fs::exists(StartMenuEntry()));
    EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, "Software\\Classes\\PerchiconControl.Perchicon"));
    EXPECT_EQ(ReadFile(InstallFolder() / "Data" / "ffa_bespin.txt"), kBindFile);
    EXPECT_EQ(ReadFile(InstallFolder() / "info.ini"), ini);
}

TEST(Setup, AReinstallFindsThemAndTheFullUninstallTakesOnlyThem) {
    const std::string ini = ReadFile(InstallFolder() / "info.ini");
    ASSERT_EQ(RunSetup(), 0u);
    ASSERT_EQ(RunSetup(), 0u) << "over the installed version, as an update without uninstalling";
    EXPECT_EQ(ReadFile(InstallFolder() / "info.ini"), ini);
    EXPECT_EQ(ReadFile(InstallFolder() / "Data" / "ffa_bespin.txt"), kBindFile);
    std::ofstream(InstallFolder() / "Debug.txt", std::ios::binary) << "Error: 75 | BindStore | ...\r\n";
    const fs::path data = InstallFolder() / "Data";
    std::ofstream(data / "data.txt", std::ios::binary) << "ffa_bespin\r\n";
    std::ofstream(data / "mp_old.txt", std::ios::binary) << kBindFile;  // a map no longer listed
    // The player's own: another kind of file, one whose short name ends in .TXT, a folder.
    for (const char* own : {"demo.dm_15", "notes.txt1", "configs\\autoexec.cfg"}) {
        fs::create_directories((data / own).parent_path());
        std::ofstream(data / own, std::ios::binary) << "kept\r\n";
    }
    ASSERT_TRUE(Uninstall(" /REMOVEDATA"));
    std::vector<std::string> left;
    for (const auto& entry : fs::recursive_directory_iterator(InstallFolder()))
        left.push_back(fs::relative(entry.path(), InstallFolder()).string());
    std::sort(left.begin(), left.end());
    EXPECT_EQ(left, (std::vector<std::string>{"Data", "Data\\configs", "Data\\configs\\autoexec.cfg",
                                              "Data\\demo.dm_15", "Data\\notes.txt1"}))
        << "Zarvik's files go, the player's own stay";
    EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, "Software\\Classes\\PerchiconControl.Perchicon"));
}

}  // namespace
