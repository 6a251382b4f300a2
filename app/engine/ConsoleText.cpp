#include "app/engine/ConsoleText.h"

namespace zarvik {

std::optional<std::string> LastCompleteLine(std::string_view copy) {
    const std::size_t end = copy.rfind("\r\n");
    if (end == std::string_view::npos) return std::nullopt;
    // Two CR LFs cannot overlap, so the one before is wholly before `end`.
    const std::size_t before = end == 0 ? std::string_view::npos : copy.rfind("\r\n", end - 1);
    const std::size_t start = before == std::string_view::npos ? 0 : before + 2;
    return std::string(copy.substr(start, end - start));
}

}  // namespace zarvik
