// The real engine, ticking every 10 ms with the real one-second wait, against the simulator.
#include "app/console/Win32GamePort.h"
#include "app/engine/Engine.h"
#include "app/engine/FileErrorReport.h"
#include "app/settings/IniSettingsStore.h"
#include "app/settings/Options.h"
#include "app/windows/SystemClock.h"
#include "sim_process.h"

#include <gtest/gtest.h>

#include <regex>

namespace zarvik {
namespace {

class PlainNameBox : public NameBox {
public:
    std::string text = "Padawan";
    std::string Text() const override { return text; }
    void SetText(const std::string& t) override { text = t; }
};

// Ticks the engine the way the main window's timer does, until the simulator has finished.
DWORD RunAgainst(SimProcess& sim, Engine& engine) {
    HANDLE process = sim.handle();
    const DWORD start = GetTickCount();
    while (GetTickCount() - start < 30000) {
        if (MsgWaitForMultipleObjects(1, &process, FALSE, 10, QS_ALLINPUT) == WAIT_OBJECT_0) break;
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
        engine.Tick();
    }
    return sim.Finish(1000);
}

TEST(EngineAgainstTheGameConsole, AnswersAboutAndTimeAfterTheRealPause) {
    // The waits give the game time to print what it was typed before the player chats on:
    // a line followed by another before the next tick is never examined, as in the game.
    SimProcess sim(
        "chat !about\n"
        "expect 950-3000 say ^4Zar^6v^1i^6k ^7v1.0.0 ^6 by ^2[^1k^3I^1r^3!^2]\n"
        "wait 100\n"
        "chat-from ^1Other !time\n"
        "expect-none 1500\n"
        "chat !time\n"
        "expect-match 950-3000 echo \\^7The \\^5Time \\^7is currently: \\^1.*\\d\\d.*\n"
        "wait 100\n"
        "chat !off\n"
        "expect 950-3000 echo ^7Zarvik is now ^1off\n"
        "folder $FOLDER\n"
        "ini Power 0\n");
    IniSettingsStore store(sim.folder().string());
    OptionModel options(store);
    PlainNameBox name;
    Win32GameConsole console;
    Win32EventPump pump;
    SystemClock clock;
    FileErrorReport errors({(sim.folder() / "Debug.txt").string()});
    Engine engine({console, pump, options, name, store, clock, errors});
    engine.State().TurnedOn = true;

    EXPECT_EQ(RunAgainst(sim, engine), 0u) << sim.Log();
    EXPECT_FALSE(engine.State().TurnedOn);
    EXPECT_TRUE(std::regex_search(sim.Log(), std::regex("print  The Time is currently: .+")));
}

}  // namespace
}  // namespace zarvik
