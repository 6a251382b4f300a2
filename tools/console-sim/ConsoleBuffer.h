#pragma once

#include <string>

namespace zarvik::sim {

// What the game takes for a colour code, a caret and one character: 1.02 any character but a
// caret, 1.04 only a digit 0 to 7 (so "^9" and "^a" stay as they are).
enum class GameVersion { V102, V104 };

// The game's console window appends every print the same way: colour codes removed,
// line ends turned into CR LF, and once the characters written since the last reset pass
// 0x7fff the whole buffer is replaced by the next print. The count keeps running when
// someone else empties the window, as the game never learns of that.
class ConsoleBuffer {
  public:
    struct Append {
        bool replaceAll = false;
        std::string text;
    };

    explicit ConsoleBuffer(GameVersion version = GameVersion::V102) : version_(version) {}

    Append Add(const std::string& message);

  private:
    GameVersion version_;
    unsigned long totalChars_ = 0;
};

// Colour codes as the game of `version` removes them.
std::string StripColours(const std::string& text, GameVersion version = GameVersion::V102);

}  // namespace zarvik::sim
