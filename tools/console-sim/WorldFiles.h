#pragma once

// What every kind of console the simulator plays shares: the program's files as a scenario
// checks them, and the game's stall.

#include "Transcript.h"

#include <optional>
#include <string>
#include <vector>

namespace zarvik::sim {

// The lines of a text file, line ends taken off; nothing when there is no such file.
std::optional<std::vector<std::string>> ReadFileLines(const std::string& path);
// A key of section "%General%" of a settings file; "" when absent.
std::string ReadIniValue(const std::string& file, const std::string& key);

// The game's thread busy for `ms` (a map loading): it reads nothing and answers nothing.
void StopReading(Transcript& transcript, long ms);

}  // namespace zarvik::sim
