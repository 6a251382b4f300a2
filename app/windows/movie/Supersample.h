#pragma once

// Smooth edges without GDI's help: a frame drawn n times larger is brought down by averaging
// each n x n block (GDI's HALFTONE stretching does not average everywhere, Wine's for one).

#include <cstdint>

namespace zarvik::movie {

// `large` holds (width * n) x (height * n) pixels of 0x00RRGGBB, `small` gets width x height.
void AverageBlocks(const std::uint32_t* large, int width, int height, int n, std::uint32_t* small);

}  // namespace zarvik::movie
