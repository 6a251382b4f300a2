#pragma once

#include <cstddef>
#include <string_view>

namespace zarvik {

// The game's console shows a line typed into it the moment Enter arrives, and prints what
// the line does on a later frame. What the engine sees of the console starts after that
// echo, so that an answer printed already stays.

// The console window's echo is "]" + the line: where it ends in the buffer's text, just
// after the CR LF of the last line that begins with "]"; npos when there is none.
std::size_t EndOfTypedEcho(std::string_view text);

// A text console's echo is the line itself: just after the CR LF of the last line that is
// `echo`; npos when there is none.
std::size_t EndOfEcho(std::string_view text, std::string_view echo);

}  // namespace zarvik
