// Name tracking, bind capture and bind loading: each runs over several ticks, asking the
// game something and acting on the line it prints in return.
#include "app/engine/Engine.h"

#include <algorithm>
#include <cctype>
#include <utility>

namespace zarvik {
namespace {

std::string Upper(std::string s) {
    std::transform(s.begin(), s.end(), s.begin(), [](unsigned char c) { return std::toupper(c); });
    return s;
}

[[noreturn]] void InvalidArgument(const char* source) {
    throw EngineError(error::kInvalidArgument, source, "Invalid procedure call or argument");
}

// The map name in the game's reply to a cvar query: the first double-quoted text after the
// quoted cvar name, which is `nameLength` characters long with its quotes.
std::string ParseMapName(const std::string& line, std::size_t nameLength) {
    std::string rest = line.size() > nameLength ? line.substr(nameLength) : "";
    const std::size_t open = rest.find('"');
    if (open != std::string::npos) rest.erase(0, open + 1);
    const std::size_t close = rest.find('"');
    std::string map = close == std::string::npos ? "" : rest.substr(0, close + 1);
    map.erase(std::remove(map.begin(), map.end(), '"'), map.end());
    return map;
}

}  // namespace

void Engine::BindRequest() {
    const std::string line = Line();
    const std::size_t skip = Name().size() + 7;  // ": !add " after the name
    if (skip > line.size()) InvalidArgument("BindRequest");
    const std::string key = line.substr(skip);
    // The key becomes part of a console command: "!add f5;quit" must never make the game quit.
    if (!IsSafeKey(key)) {
        Submit("^1Cannot ^3add ^1that key: ^7a key has no blanks, quotes or semicolons", false);
        return;
    }
    state_.BindKey = Upper(key);
    Submit("Bind " + state_.BindKey, true);
}

void Engine::BindReply() {
    state_.BindValue = Line().substr(state_.BindKey.size() + 5);  // after "KEY" =
    state_.LoadPending = false;
    state_.SavePending = true;
    Submit("\"mapname\"", true);
}

bool Engine::RefuseMapName(const std::string& map) {
    if (!MapNameProblem(map)) return false;
    // The name itself is not echoed: it may hold what the console would run as a command.
    Submit("^1Cannot ^3use this map name ^1for a bind file: ^7nothing was written", false);
    return true;
}

void Engine::MapNameReply() {
    const std::string map = ParseMapName(Line(), 9);
    // Only the player's own server sets mapname; on anyone else's it stays "nomap", while the
    // client's ui_about_mapname always names the map. Ask that instead, keeping what waits.
    if (map == "nomap" && (state_.SavePending || state_.LoadPending)) {
        Submit("ui_about_mapname", true);
        return;
    }
    ActOnMapName(map);
}

void Engine::ClientMapNameReply() {
    const std::string map = ParseMapName(Line(), 18);
    ActOnMapName(map.empty() ? "nomap" : map);  // empty: on no server at all
}

void Engine::ActOnMapName(const std::string& map) {
    if (state_.SavePending) {
        SaveBind(map);
    } else if (state_.LoadPending) {
        state_.LoadPending = false;
        if (RefuseMapName(map)) return;
        state_.LoadMap = map;
        Submit("!loadnow", false);
    }
}

void Engine::SaveBind(const std::string& map) {
    // Off before anything can fail: a save that failed must not wait for the next map name,
    // which may name another map an hour later.
    state_.SavePending = false;
    if (RefuseMapName(map)) return;
    const std::string conflict = BindLine(state_.BindKey, "");
    // Read whole, then warn line by line: the file is closed while the warnings' pauses let
    // the editing suite rewrite it.
    for (const std::string& line : io_.binds.ReadBindLines(map)) {
        if (line.find(conflict) != std::string::npos)
            Submit("^1Conflict ^2detected for ^3Key: " + state_.BindKey + "^2  Writing Anyway...", false);
        io_.events.RunPending();
    }
    io_.binds.AppendBind(map, state_.BindKey, state_.BindValue);
    // With a ";" in the value, its quotes would leave that part outside the opening quote and
    // the game would run it as commands; shown without them, it stays inside.
    std::string shown = state_.BindValue;
    if (shown.find(';') != std::string::npos) shown.erase(std::remove(shown.begin(), shown.end(), '"'), shown.end());
    Submit("\"^6Bind Saved ^1(^7" + state_.BindKey + " ^1|^7 " + shown + " ^1|^7 " + map + "^1)", false);
}

void Engine::LoadRequest() {
    Submit("mapname", true);
    state_.SavePending = false;
    state_.LoadPending = true;
}

void Engine::LoadNow() {
    // LoadMap is empty before any map name reply, and only a usable name is ever kept: with
    // no map there is no data.
    std::vector<std::string> lines;
    if (!state_.LoadMap.empty()) {
        io_.binds.EnsureFolder();
        // Read whole: the file stays closed during the playback's pauses, so the editing suite
        // can rewrite it meanwhile; the playback is what the file held when it began.
        lines = io_.binds.ReadBindLines(state_.LoadMap);
    }
    const bool turnOff = io_.options.IsOn(Option::TurnOff);
    if (lines.empty()) {
        Submit("^1No ^3Data", false);
        Submit("^1Unable ^2to load binds", false);
        if (turnOff) Submit("echo !off", true);
        return;
    }
    for (const std::string& line : lines) {
        Submit(line, true);
        io_.events.RunPending();
    }
    if (turnOff) Submit("echo !off", true);
    Submit("^2All binds ^3successfully ^2loaded", false);
    // The success echo empties the console before any tick can see the game's "!off": switch
    // off here, as "!off" would have.
    if (turnOff) PowerOff();
}

void Engine::NameReply() {
    const std::string line = Line();
    const std::size_t valueStart = line.find("is:\"");
    // The value is followed by the default, or, when it is the default, by today's clients'
    // word for that.
    const std::size_t defaultMarker = std::min(line.find("\" default:"), line.find("\" (the default)"));
    if (valueStart == std::string::npos || defaultMarker == std::string::npos || defaultMarker < valueStart + 4)
        InvalidArgument("NameReply");
    const std::string name = line.substr(valueStart + 4, defaultMarker - (valueStart + 4));
    if (!std::exchange(state_.RenamePending, false)) {
        io_.name.SetText(name);
        Submit("^4Name Setting ^2Updated", false);
    } else if (name != Name()) {
        io_.name.SetText(name);
        Submit("^4Name Setting ^2Changed", false);
    }  // else the rename was another player's, named to look like ours
    if (state_.LoadAfterName && io_.options.IsOn(Option::AutoLoad)) {
        Submit(" !load", false);
        state_.LoadAfterName = false;
    }
}

void Engine::Rename() {
    // A player who joins named "Padawan renamed to Bob" is announced as "Padawan renamed to Bob
    // entered the game": the text cannot tell that from our rename, the game's answer can.
    state_.RenamePending = true;
    Submit("name", true);
}

}  // namespace zarvik
