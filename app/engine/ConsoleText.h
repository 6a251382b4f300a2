#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace zarvik {

// The last complete line of the console copy: the piece before the final one, when the copy
// is cut at CR LF. A copy that ends with CR LF ends with an empty piece; a copy without CR LF
// is one piece and has no complete line. Found from the end, so a full buffer costs no more
// than an empty one.
std::optional<std::string> LastCompleteLine(std::string_view copy);

}  // namespace zarvik
