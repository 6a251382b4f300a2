#pragma once

#include <string>

namespace zarvik {

// What links the engine's ticks; kept for the program's lifetime.
struct EngineState {
    bool TurnedOn = false;       // power: while off, only "!on" is recognised
    std::string BindKey;         // key of the last !add request, upper case
    std::string BindValue;       // its value from the game's reply, quotes kept
    std::string LoadMap;         // map whose bind file the next load-now step reads
    bool SavePending = false;    // a captured bind waits for the map name reply
    bool LoadPending = false;    // a load request waits for the map name reply
    bool LoadAfterName = false;  // the player entered a game: the next name reply may start a load
    bool RenamePending = false;  // a rename line waits for the game's answer to "name"

    std::string CurrentLine;  // the line this tick examines; every submission empties it
};

}  // namespace zarvik
