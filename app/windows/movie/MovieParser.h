#pragma once

// Reads our movie files (FORMAT.md). Strict: anything the format does not allow, a missing
// "end" (a truncated file) or binary data rejects the whole file.

#include "app/windows/movie/Movie.h"

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace zarvik::movie {

inline constexpr std::size_t kMaxMovieBytes = 1 << 20;
inline constexpr std::size_t kMaxLineBytes = 1000;
inline constexpr std::size_t kMaxTextBytes = 200;
inline constexpr std::size_t kMaxFontBytes = 31;  // what a Windows font face name holds
inline constexpr int kMaxFrames = 10000;
inline constexpr int kMaxRate = 60;
inline constexpr int kMaxItems = 2000;
inline constexpr int kMaxKeys = 50000;
inline constexpr double kMaxStage = 4000;
inline constexpr double kMaxValue = 100000;

// The movie in `bytes`, or nothing; then `error` (when given) says what is wrong and on which line.
std::optional<Movie> ParseMovie(std::string_view bytes, std::string* error = nullptr);

}  // namespace zarvik::movie
