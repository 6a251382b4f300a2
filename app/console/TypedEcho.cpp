#include "app/console/TypedEcho.h"

namespace zarvik {

std::size_t EndOfTypedEcho(std::string_view text) {
    std::size_t end = std::string_view::npos;
    for (std::size_t start = 0; start < text.size();) {
        const std::size_t cut = text.find("\r\n", start);
        if (cut == std::string_view::npos) break;  // a line still being printed is no echo yet
        if (text[start] == ']') end = cut + 2;
        start = cut + 2;
    }
    return end;
}

}  // namespace zarvik
