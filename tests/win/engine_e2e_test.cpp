// The real engine, ticking every 10 ms with the real one-second wait, against the simulator.
#include "app/console/Win32GamePort.h"
#include "app/engine/Engine.h"
#include "app/engine/FileErrorReport.h"
#include "app/platform/IniSettingsStore.h"
#include "app/settings/Options.h"
#include "app/windows/SystemClock.h"
#include "tests/win/win_test.h"

namespace zarvik {
namespace {

class PlainNameBox : public NameBox {
public:
    std::string text = "Padawan";
    std::string Text() const override { return text; }
    void SetText(const std::string& t) override { text = t; }
};

// Zarvik's side, with its program folder in the simulator's folder so that scenarios can
// check the files ("folder $FOLDER").
struct Zarvik {
    explicit Zarvik(const SimProcess& sim)
        : store(sim.folder().string()),
          options(store),
          errors({(sim.folder() / "Debug.txt").string()}),
          binds(sim.folder().string()) {
        engine.State().TurnedOn = true;
        binds.EnsureFolder();
    }

    // Ticks the engine the way the main window's timer does, until the simulator has finished.
    DWORD RunAgainst(SimProcess& sim) {
        HANDLE process = sim.handle();
        for (const DWORD start = GetTickCount(); GetTickCount() - start < 40000; engine.Tick()) {
            if (MsgWaitForMultipleObjects(1, &process, FALSE, 10, QS_ALLINPUT) == WAIT_OBJECT_0) break;
            MSG msg;
            while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
        }
        return sim.Finish(1000);
    }

    IniSettingsStore store;
    OptionModel options;
    PlainNameBox name;
    Win32GameConsole console;
    Win32EventPump pump;
    SystemClock clock;
    FileErrorReport errors;
    BindStore binds;
    Engine engine{{console, pump, options, name, store, clock, errors, binds}};
};

// The waits give the game time to print what it was typed before the player chats on: a
// line followed by another before the next tick is never examined, as in the game.
TEST(EngineAgainstTheGameConsole, AnswersThePlayerAloneAfterTheRealPause) {
    SimProcess sim(
        "chat !about\n"
        "expect 950-3000 say ^4Zar^6v^1i^6k ^7v1.0.0 ^6 by ^2[^1k^3I^1r^3!^2]\n"
        "wait 100\n"
        // What other players chose to write: none of it may speak for the player.
        "chat-from Kyle Padawan: !time\nwait 200\n"
        "chat-from DarthPadawan !about\nwait 200\n"
        "chat-from Kyle \"name\" is:\"Kyle\" default:\"Padawan\"\nwait 200\n"
        "chat-from Kyle Padawan renamed to Kyle\nwait 200\n"
        "chat-from \"Padawan renamed to Kyle\" hi\nwait 200\n"
        "chat-from !offender hi\nwait 200\n"
        "chat-from Kyle Padawan entered the game\nwait 200\n"
        "chat Padawan entered the game\nwait 200\n"
        "chat-from Kyle \"mapname\" is:\"../../evil\" default:\"nomap\"\nwait 200\n"
        "chat !time\";quit;\"\n"
        "expect-match 950-3000 echo \\^7The \\^5Time \\^7is currently: \\^1.*\\d\\d.*\n"
        "wait 100\n"
        "chat !off\n"
        "expect 950-3000 echo ^7Zarvik is now ^1off\n"
        "wait 200\n"  // the engine stores the setting once its echo has been typed
        "folder $FOLDER\n"
        "ini Power 0\n");
    Zarvik zarvik(sim);
    EXPECT_EQ(zarvik.RunAgainst(sim), 0u) << sim.Log();
    EXPECT_FALSE(zarvik.engine.State().TurnedOn);
    EXPECT_EQ(zarvik.name.text, "Padawan");
}

TEST(EngineAgainstTheGameConsole, CapturesABindAndWarnsTheSecondTime) {
    // On someone else's server "mapname" answers nomap: the map comes from ui_about_mapname.
    const std::string asked =
        "expect 950-3000 Bind F5\nexpect 950-3000 \"mapname\"\nexpect 950-3000 ui_about_mapname\n";
    const std::string saved = "expect 950-3000 echo \"^6Bind Saved ^1(^7F5 ^1|^7 \"force_push\" ^1|^7 ffa_bespin^1)\n";
    SimProcess sim("remote on\n"
                   "map ffa_bespin\n"
                   "bind F5 force_push\n"
                   "chat !add f5\n" +
                   asked + saved +
                   "wait 100\n"
                   "chat !add f5\n" +
                   asked +
                   "expect 950-3000 echo ^1Conflict ^2detected for ^3Key: F5^2  Writing Anyway...\n" +
                   saved +
                   "folder $FOLDER\n"
                   "contains Data\\ffa_bespin.txt Bind F5 \"force_push\"\n"
                   "missing Data\\data.txt\n"
                   "missing Data\\nomap.txt\n");
    Zarvik zarvik(sim);
    EXPECT_EQ(zarvik.RunAgainst(sim), 0u) << sim.Log();
    EXPECT_EQ(zarvik.binds.ReadBindLines("ffa_bespin").size(), 2u);
}

// On a server whose map is "data" the map's file would be the index itself.
TEST(EngineAgainstTheGameConsole, AMapNamedDataIsNeitherWrittenNorPlayed) {
    const std::string refused =
        "expect 950-3000 echo ^1Cannot ^3use this map name ^1for a bind file: ^7nothing was written\n";
    SimProcess sim("map data\nbind F5 force_push\nchat !add f5\nexpect 950-3000 Bind F5\n"
                   "expect 950-3000 \"mapname\"\n" + refused +
                   "wait 100\nchat !load\nexpect 950-3000 mapname\n" + refused + "expect-none 1500\n");
    Zarvik zarvik(sim);
    zarvik.binds.AppendMap("ffa_bespin");
    EXPECT_EQ(zarvik.RunAgainst(sim), 0u) << sim.Log();
    EXPECT_EQ(ReadFile(sim.folder() / "Data" / "data.txt"), "ffa_bespin\r\n");
}

// What the timer below works on: the store of the running test.
const BindStore* g_rewriteStore = nullptr;
int g_rewriteResult = -1;

void CALLBACK RewriteDuringLoad(HWND, UINT, UINT_PTR id, DWORD) {
    KillTimer(nullptr, id);
    try {
        g_rewriteResult = g_rewriteStore->DeleteBind("ffa_bespin", "F7", "c");
    } catch (const StoreError&) {
        g_rewriteResult = -2;
    }
}

TEST(EngineAgainstTheGameConsole, TheEditingSuiteCanRewriteAFileWhileItPlays) {
    SimProcess sim(
        "map ffa_bespin\n"
        "chat !load\n"
        "expect 950-3000 mapname\n"
        "expect 950-3000 echo !loadnow\n"
        "expect 950-3000 Bind F5 a\n"
        "expect 950-3000 Bind F6 b\n"
        "expect 950-3000 Bind F7 c\n"
        "expect 950-3000 echo ^2All binds ^3successfully ^2loaded\n"
        "folder $FOLDER\n"
        "lacks Data\\ffa_bespin.txt Bind F7 c\n"
        "contains Data\\ffa_bespin.txt Bind F6 b\n");
    Zarvik zarvik(sim);
    for (const char* key : {"F5", "F6", "F7"})
        zarvik.binds.AppendBind("ffa_bespin", key, std::string(1, static_cast<char>('a' + (key[1] - '5'))));
    g_rewriteStore = &zarvik.binds;
    SetTimer(nullptr, 0, 3500, RewriteDuringLoad);  // while the second bind is being typed
    EXPECT_EQ(zarvik.RunAgainst(sim), 0u) << sim.Log();
    EXPECT_EQ(g_rewriteResult, 1) << "the rewrite must succeed mid-load";
    g_rewriteStore = nullptr;
}

}  // namespace
}  // namespace zarvik
