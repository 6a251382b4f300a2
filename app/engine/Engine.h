#pragma once

// The command engine: every 10 ms a tick reads the game's console, takes the last complete
// line and tests it in a fixed order; a test that matches answers through the console.

#include "app/engine/EngineError.h"
#include "app/engine/EngineState.h"
#include "app/engine/Ports.h"
#include "app/settings/Options.h"
#include "app/settings/SettingsStore.h"
#include "app/store/BindStore.h"

#include <string>

namespace zarvik {

struct EnginePorts {
    GameConsolePort& console;
    EventPump& events;
    OptionState& options;
    NameBox& name;
    SettingsStore& settings;
    Clock& clock;
    ErrorReport& errors;
    BindStore& binds;
};

class Engine {
  public:
    explicit Engine(EnginePorts ports) : io_(ports) {}

    EngineState& State() { return state_; }
    const EngineState& State() const { return state_; }

    // One tick. Returns at once when a tick is already running: a nested tick would answer
    // the line being answered a second time, as it stays in the console until the pause of
    // its submission is over.
    void Tick();

  private:
    void Examine();
    void Submit(const std::string& text, bool asCommand);
    bool RefuseMapName(const std::string& map);
    void Report(int number, const std::string& source, const std::string& description);
    std::string Line() const { return state_.CurrentLine; }
    std::string Name() const { return io_.name.Text(); }

    // Chat commands and the greeting.
    void PowerOn();
    void PowerOff();
    void Greeting();
    void DateReply();
    void TimeReply();
    void AboutReply();
    void NameReplyToPlayer();
    void AskMapName();

    // Name tracking, bind capture and loading.
    void NameReply();
    void Rename();
    void BindReply();
    void MapNameReply();
    void ClientMapNameReply();
    void ActOnMapName(const std::string& map);
    void SaveBind(const std::string& map);
    void LoadNow();
    void LoadRequest();
    void BindRequest();

    EnginePorts io_;
    EngineState state_;
    bool ticking_ = false;
};

}  // namespace zarvik
