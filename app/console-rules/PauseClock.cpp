#include "app/console-rules/PauseClock.h"

#include <algorithm>

namespace zarvik {

std::uint32_t PauseRemaining(std::uint32_t start, std::uint32_t now, std::int32_t seconds) {
    // The counter cannot tell apart waits that differ by a whole wrap, so cap the length.
    constexpr std::int64_t kLongest = 0xFFFFFFFEll;
    const std::int64_t length = std::min<std::int64_t>(std::max(seconds, 0) * std::int64_t{1000}, kLongest);
    const std::int64_t elapsed = TicksBetween(start, now);
    if (elapsed > length) return 0;
    return static_cast<std::uint32_t>(length - elapsed + 1);
}

}  // namespace zarvik
