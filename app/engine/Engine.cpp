#include "app/engine/Engine.h"

#include "app/engine/ConsoleText.h"

#include <new>

namespace zarvik {
namespace {

bool BeginsWith(const std::string& line, const std::string& prefix) {
    return line.compare(0, prefix.size(), prefix) == 0;
}

bool Contains(const std::string& line, const std::string& text) { return line.find(text) != std::string::npos; }

// The whole line is `text`, save blanks after it: how the game prints its own lines.
bool IsExactly(const std::string& line, const std::string& text) {
    return BeginsWith(line, text) && line.find_first_not_of(' ', text.size()) == std::string::npos;
}

// The game's notice of a player entering, name + " entered the game". Before the name box
// knows the player, anyone's entering counts: the "name" it asks for tells whose game it is.
bool IsEnterOf(const std::string& line, const std::string& name) {
    const std::string tail = " entered the game";
    const std::size_t end = line.find_last_not_of(' ') + 1;  // trailing blanks allowed
    if (end < tail.size() || line.compare(end - tail.size(), tail.size(), tail) != 0) return false;
    const std::string who = line.substr(0, end - tail.size());
    return name.empty() ? who.find(": ") == std::string::npos : who == name;
}

// The game's rename notice, old name + " renamed to " + new name. Every chat line holds ": "
// after its speaker, so a player named "Padawan renamed to X" who chats cannot pass for it.
bool IsRenameOf(const std::string& line, const std::string& name) {
    const std::string prefix = name + " renamed to ";
    return BeginsWith(line, prefix) && line.size() > prefix.size() &&
           line.find(": ", prefix.size()) == std::string::npos;
}

}  // namespace

void Engine::Tick() {
    if (ticking_) return;
    ticking_ = true;
    try {
        Examine();
    } catch (const EngineError& e) {
        Report(e.Number(), e.Source(), e.Description());
    } catch (const StoreError& e) {
        Report(e.Number(), e.Source(), e.what());
    } catch (const std::bad_alloc&) {
        Report(error::kOutOfMemory, "Tick", "Out of memory");
    } catch (const std::exception& e) {
        Report(error::kInternal, "Tick", e.what());
    }
    ticking_ = false;
}

void Engine::Examine() {
    const auto line = LastCompleteLine(io_.console.ReadOutput());
    // Once a tick keeps the windows answering: finding the line takes microseconds, and a pump
    // a piece made a full console cost a quarter of a core under Wine.
    io_.events.RunPending();
    if (!line) return;  // no complete line yet: nothing to examine, nothing to report
    state_.CurrentLine = *line;

    // Each test reads the current line and the name afresh: once a handler has submitted,
    // the line is empty and no later test matches.
    if (BeginsWith(Line(), Name() + ": !on")) PowerOn();
    if (!state_.TurnedOn) return;
    // Replies of the game start their line; matching them anywhere would let another
    // player's chat pass for one.
    if (BeginsWith(Line(), "\"name\" is:")) NameReply();
    if (IsRenameOf(Line(), Name())) Rename();
    if (BeginsWith(Line(), "\"" + state_.BindKey + "\" = ")) BindReply();
    if (BeginsWith(Line(), "\"mapname\"")) MapNameReply();
    if (BeginsWith(Line(), "\"ui_about_mapname\"")) ClientMapNameReply();
    if (IsEnterOf(Line(), Name())) Greeting();
    if (BeginsWith(Line(), Name() + ": !date") && io_.options.IsOn(Option::Date)) DateReply();
    if (BeginsWith(Line(), Name() + ": !about")) AboutReply();
    if (BeginsWith(Line(), Name() + ": !time") && io_.options.IsOn(Option::Time)) TimeReply();
    if (Contains(Line(), "!loadnow")) LoadNow();
    if (Contains(Line(), "!load")) LoadRequest();
    if (BeginsWith(Line(), Name() + ": !name")) NameReplyToPlayer();
    if (BeginsWith(Line(), Name() + ": !mapname")) AskMapName();
    // The game prints the engine's "echo !off" as "!off ".
    if (BeginsWith(Line(), Name() + ": !off") || IsExactly(Line(), "!off")) PowerOff();
    if (BeginsWith(Line(), Name() + ": !add")) BindRequest();
}

void Engine::Submit(const std::string& text, bool asCommand) {
    io_.console.Submit(text, asCommand);
    state_.CurrentLine.clear();
}

void Engine::Report(int number, const std::string& source, const std::string& description) {
    const std::string n = std::to_string(number);
    // The report must not fail the program: a place that takes nothing, or an echo that
    // cannot be made, ends the tick quietly.
    try {
        io_.errors.Append("Error: " + n + " | " + source + " | " + description);
    } catch (const std::exception&) {
    }
    try {
        Submit("^1Error: ^3" + n + " ^1|^3 " + source + " ^1|^3 " + description, false);
    } catch (const std::exception&) {
    }
}

}  // namespace zarvik
