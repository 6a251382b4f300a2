#pragma once

// The program's files as a scenario checks them, for every kind of console the simulator plays.

#include <optional>
#include <string>
#include <vector>

namespace zarvik::sim {

// The lines of a text file, line ends taken off; nothing when there is no such file.
std::optional<std::vector<std::string>> ReadFileLines(const std::string& path);
// A key of section "%General%" of a settings file; "" when absent.
std::string ReadIniValue(const std::string& file, const std::string& key);

}  // namespace zarvik::sim
