#include "app/engine/ConsoleText.h"

namespace zarvik {

std::optional<std::string> LastCompleteLine(std::string_view copy, const std::function<void()>& afterPiece) {
    std::optional<std::string_view> previous;
    std::string_view piece;
    std::size_t p = 0;
    for (;;) {
        const std::size_t cut = copy.find("\r\n", p);
        const bool last = cut == std::string_view::npos;
        piece = copy.substr(p, last ? std::string_view::npos : cut - p);
        if (afterPiece) afterPiece();
        if (last) break;
        previous = piece;
        p = cut + 2;
    }
    if (!previous) return std::nullopt;
    return std::string(*previous);
}

}  // namespace zarvik
