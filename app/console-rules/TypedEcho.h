#pragma once

#include <cstddef>
#include <initializer_list>
#include <string_view>

namespace zarvik {

// The game's console shows a line typed into it the moment Enter arrives, and prints what
// the line does on a later frame. What the engine sees of the console starts after that
// echo, so that an answer printed already stays.

// The console window's echo is "]" + the line: where it ends in the buffer's text, just
// after the CR LF of the last line that begins with "]"; npos when there is none.
std::size_t EndOfTypedEcho(std::string_view text);

// A text console's echo is the line itself: just after the CR LF of the last line that is one
// of `echoes` (the forms it may take); npos when there is none.
std::size_t EndOfEcho(std::string_view text, std::initializer_list<std::string_view> echoes);

}  // namespace zarvik
