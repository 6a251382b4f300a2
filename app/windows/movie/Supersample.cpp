#include "app/windows/movie/Supersample.h"

namespace zarvik::movie {

void AverageBlocks(const std::uint32_t* large, int width, int height, int n, std::uint32_t* small) {
    const int largeWidth = width * n;
    const std::uint32_t count = std::uint32_t(n * n), half = count / 2;
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            std::uint32_t r = 0, g = 0, b = 0;
            const std::uint32_t* block = large + std::ptrdiff_t(y) * n * largeWidth + std::ptrdiff_t(x) * n;
            for (int dy = 0; dy < n; ++dy, block += largeWidth) {
                for (int dx = 0; dx < n; ++dx) {
                    r += (block[dx] >> 16) & 0xff;
                    g += (block[dx] >> 8) & 0xff;
                    b += block[dx] & 0xff;
                }
            }
            small[std::ptrdiff_t(y) * width + x] =
                ((r + half) / count) << 16 | ((g + half) / count) << 8 | ((b + half) / count);
        }
    }
}

}  // namespace zarvik::movie
