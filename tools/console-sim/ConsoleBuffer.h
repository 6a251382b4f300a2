#pragma once

#include <string>

namespace zarvik::sim {

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

    Append Add(const std::string& message);

private:
    unsigned long totalChars_ = 0;
};

// Colour codes as the game removes them: a caret and any character but a caret or the end.
std::string StripColours(const std::string& text);

}  // namespace zarvik::sim
