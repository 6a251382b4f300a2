#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace zarvik {

// Cuts the console copy into pieces at CR LF and returns the last complete line: the piece
// before the final one. A copy that ends with CR LF ends with an empty piece; a copy without
// CR LF is one piece and has no complete line. `afterPiece` runs after each piece, so that the
// window stays responsive over a long copy.
std::optional<std::string> LastCompleteLine(std::string_view copy, const std::function<void()>& afterPiece);

}  // namespace zarvik
