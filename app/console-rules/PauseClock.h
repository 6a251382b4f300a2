#pragma once

#include <cstdint>

namespace zarvik {

// Milliseconds from `start` to `now`, two readings of the system's 32-bit tick counter.
// Unsigned subtraction keeps this right when the counter wraps (about every 49.7 days).
constexpr std::uint32_t TicksBetween(std::uint32_t start, std::uint32_t now) { return now - start; }

// How many more milliseconds a pause of `seconds` begun at `start` must wait at `now`:
// 0 once more than seconds * 1000 ms have passed. A pause of 0 (or less) seconds still
// waits until the counter has moved.
std::uint32_t PauseRemaining(std::uint32_t start, std::uint32_t now, std::int32_t seconds);

}  // namespace zarvik
