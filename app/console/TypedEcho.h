#pragma once

#include <cstddef>
#include <string_view>

namespace zarvik {

// The game's console shows a line typed into it as "]" + the line the moment Enter arrives,
// and prints what the line does on a later frame. Where that echo ends in the buffer's text:
// just after the CR LF of the last line that begins with "]", or npos when there is none.
std::size_t EndOfTypedEcho(std::string_view text);

}  // namespace zarvik
