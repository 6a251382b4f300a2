#include "WorldFiles.h"

#include <windows.h>

#include <fstream>

namespace zarvik::sim {

std::optional<std::vector<std::string>> ReadFileLines(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return std::nullopt;
    std::vector<std::string> lines;
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        lines.push_back(line);
    }
    return lines;
}

void StopReading(Transcript& transcript, long ms) {
    transcript.Note("stall", "the game stops reading for " + std::to_string(ms) + " ms");
    Sleep(static_cast<DWORD>(ms));
    transcript.Note("stall", "the game reads again");
}

std::string ReadIniValue(const std::string& file, const std::string& key) {
    char value[1024] = {};
    const DWORD n = GetPrivateProfileStringA("%General%", key.c_str(), "", value, sizeof value, file.c_str());
    return std::string(value, n);
}

}  // namespace zarvik::sim
