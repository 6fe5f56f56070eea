#include "bench/synthetic_scene.h"

#include <random>

namespace lintra::bench {
namespace {

std::int32_t clampByte(std::int32_t v) {
    return v < 0 ? 0 : (v > 255 ? 255 : v);
}

std::uint32_t rgb(std::int32_t r, std::int32_t g, std::int32_t b) {
    return static_cast<std::uint32_t>(clampByte(r) << 16 | clampByte(g) << 8 | clampByte(b));
}

// 75% colour bars in the top half, a grey ramp and a hue sweep below, fine lines on the right.
void baseColour(std::int32_t x, std::int32_t y, std::int32_t w, std::int32_t h, std::int32_t c[3]) {
    static constexpr std::int32_t kBars[8][3] = {{191, 191, 191}, {191, 191, 0}, {0, 191, 191},
                                                 {0, 191, 0},     {191, 0, 191}, {191, 0, 0},
                                                 {0, 0, 191},     {16, 16, 16}};
    if (y < h / 2) {
        const std::int32_t* bar = kBars[x * 8 / w];
        for (int k = 0; k < 3; ++k) c[k] = bar[k];
    } else if (y < 3 * h / 4) {
        const std::int32_t v = 16 + x * 219 / w;
        c[0] = c[1] = c[2] = v;
    } else {
        c[0] = 128 + (x * 255 / w - 128) * (y % 64) / 64;
        c[1] = 255 - x * 255 / w;
        c[2] = x * 511 / w % 256;
    }
    if (x > 7 * w / 8 && (x / 2) % 2 == 0) {  // fine vertical lines
        for (int k = 0; k < 3; ++k) c[k] = 235 - c[k] / 2;
    }
    if (y % 97 == 0) {  // thin horizontal rules: real vertical detail
        for (int k = 0; k < 3; ++k) c[k] = 235;
    }
}

}  // namespace

std::vector<std::uint32_t> syntheticScene(std::int32_t width, std::int32_t height) {
    std::vector<std::uint32_t> frame(static_cast<std::size_t>(width) *
                                     static_cast<std::size_t>(height));
    std::mt19937 rng(20260101);
    for (std::int32_t y = 0; y < height; ++y) {
        const std::int32_t sign = y % 2 == 0 ? 1 : -1;
        for (std::int32_t x = 0; x < width; ++x) {
            std::int32_t c[3];
            baseColour(x, y, width, height, c);
            // Cross-colour: a chroma swing (red against blue) up to 15 steps; dot crawl: 2 in luma.
            const std::int32_t swing = 4 + (x / 16) % 12;
            const auto noise = static_cast<std::int32_t>(rng() % 3) - 1;
            frame[static_cast<std::size_t>(y) * static_cast<std::size_t>(width) +
                  static_cast<std::size_t>(x)] = rgb(c[0] + sign * (swing + 2) + noise,
                                                     c[1] + sign * 2, c[2] - sign * swing + noise);
        }
    }
    return frame;
}

std::vector<std::uint32_t> noiseFrame(std::int32_t width, std::int32_t height) {
    std::vector<std::uint32_t> frame(static_cast<std::size_t>(width) *
                                     static_cast<std::size_t>(height));
    std::mt19937 rng(7);
    for (auto& p : frame) p = static_cast<std::uint32_t>(rng()) & 0x00FFFFFFu;
    return frame;
}

}  // namespace lintra::bench
