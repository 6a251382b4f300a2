// The real engine, ticking every 10 ms with the real one-second wait, against the simulator.
#include "app/console/Win32GamePort.h"
#include "app/engine/Engine.h"
#include "app/engine/FileErrorReport.h"
#include "app/platform/IniSettingsStore.h"
#include "app/settings/Options.h"
#include "app/windows/SystemClock.h"
#include "tests/windows/win_test.h"

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

}  // namespace
}  // namespace zarvik
