#pragma once

// A scenario plays the player and the world around the game's console, one step a line,
// and checks what is typed into the console in return. See the README's developer section.

#include "GameConsole.h"

#include <deque>
#include <functional>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

namespace zarvik::sim {

struct Step {
    enum class Kind {
        Print,
        Chat,
        ChatFrom,
        Enter,
        Rename,
        RenameFrom,
        Map,
        Remote,
        Bind,
        Type,
        Wait,
        Stall,
        StallOnInput,
        Expect,
        ExpectMatch,
        ExpectNone,
        Folder,
        Exists,
        Missing,
        Contains,
        Lacks,
        Ini,
    };
    Kind kind;
    int line = 0;        // in the scenario file
    std::string source;  // the line as written
    std::string a, b;    // the step's words; see the parser
    long minMs = 0, maxMs = 0;
};

struct ScenarioError : std::runtime_error {
    ScenarioError(int line, const std::string& message)
        : std::runtime_error("line " + std::to_string(line) + ": " + message), line(line) {}
    int line;
};

std::vector<Step> ParseScenario(const std::string& text);

// What the steps act on besides the game: the player's keyboard and the program's files.
class World {
  public:
    virtual ~World() = default;
    virtual GameConsole& Game() = 0;
    virtual void TypeAsPlayer(const std::string& line) = 0;
    // The game stops reading for `ms` (a map loading): at once, or once it next takes input.
    virtual void StopReading(long ms, bool onceInputTaken) = 0;
    virtual std::optional<std::vector<std::string>> ReadLines(const std::string& path) = 0;  // nothing: no file
    virtual std::string IniValue(const std::string& file, const std::string& key) = 0;
};

class ScenarioRunner {
  public:
    enum class State { Running, Passed, Failed };
    using Note = std::function<void(const std::string& kind, const std::string& text)>;

    ScenarioRunner(std::vector<Step> steps, World& world, Note note);

    // Runs every step that can run at `nowMs`; waiting steps return Running.
    State Advance(long nowMs);
    void CommandReceived(const std::string& command, long nowMs);
    const std::string& Failure() const { return failure_; }

  private:
    struct Received {
        std::string command;
        long at;
    };

    enum class Outcome { Done, Waiting, Failed };
    Outcome Perform(const Step& step, long nowMs);
    Outcome Expect(const Step& step, long nowMs);
    Outcome Fail(const Step& step, const std::string& why);
    std::string PathOf(const std::string& file) const;

    std::vector<Step> steps_;
    World& world_;
    Note note_;
    std::size_t next_ = 0;
    bool started_ = false;
    long stepStart_ = 0;
    std::optional<long> lastEnd_;
    std::deque<Received> received_;
    std::string folder_;
    std::string failure_;
    State state_ = State::Running;
};

}  // namespace zarvik::sim
