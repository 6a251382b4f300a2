#include "app/console-rules/TypedEcho.h"

#include <algorithm>

namespace zarvik {
namespace {

template <typename IsEcho>
std::size_t EndOfLastLine(std::string_view text, IsEcho isEcho) {
    std::size_t end = std::string_view::npos;
    for (std::size_t start = 0; start < text.size();) {
        const std::size_t cut = text.find("\r\n", start);
        if (cut == std::string_view::npos) break;  // a line still being printed is no echo yet
        if (isEcho(text.substr(start, cut - start))) end = cut + 2;
        start = cut + 2;
    }
    return end;
}

}  // namespace

std::size_t EndOfTypedEcho(std::string_view text) {
    return EndOfLastLine(text, [](std::string_view line) { return !line.empty() && line[0] == ']'; });
}

std::size_t EndOfEcho(std::string_view text, std::initializer_list<std::string_view> echoes) {
    return EndOfLastLine(text, [echoes](std::string_view line) {
        return std::find(echoes.begin(), echoes.end(), line) != echoes.end();
    });
}

}  // namespace zarvik
