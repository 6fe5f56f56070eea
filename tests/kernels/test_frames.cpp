#include "tests/kernels/test_frames.h"

#include <cstdio>

#include "engine/frame_driver.h"

namespace lintra::testing {

namespace {

std::uint32_t clampByte(std::int32_t v) {
    return static_cast<std::uint32_t>(v < 0 ? 0 : (v > 255 ? 255 : v));
}

// Bars, a gradient and fine lines, then a pattern alternating every line (or every two
// lines) of a few steps, strongest in one channel, and some noise.
std::uint32_t patternPixel(std::int32_t x, std::int32_t y, const std::int32_t amplitude[3],
                           std::int32_t period, std::int32_t noise, std::mt19937& rng) {
    const std::int32_t base[3] = {(x * 37 / 8) % 256, (x * 5 + y * 3) % 256,
                                  (x / 4 % 2 == 0) ? 200 : 40};
    const std::int32_t sign = (y / period) % 2 == 0 ? 1 : -1;
    std::uint32_t out = 0;
    for (int k = 0; k < 3; ++k) {
        const std::int32_t jitter =
            noise > 0
                ? static_cast<std::int32_t>(rng() % static_cast<std::uint32_t>(2 * noise + 1)) -
                      noise
                : 0;
        out |= clampByte(base[k] + sign * amplitude[k] + jitter) << (8 * k);
    }
    return out | (rng() & 0xFF000000u);
}

}  // namespace

void fillFrame(GuardedFrame& frame, Content content, std::mt19937& rng) {
    const FrameView v = frame.view();
    const std::int32_t amplitude[3] = {static_cast<std::int32_t>(rng() % 4),
                                       static_cast<std::int32_t>(rng() % 16),
                                       static_cast<std::int32_t>(rng() % 8)};
    const std::int32_t period = 1 + static_cast<std::int32_t>(rng() % 2);
    const std::int32_t noise = static_cast<std::int32_t>(rng() % 3);
    static constexpr std::uint32_t kOpposites[4][2] = {
        {0xFFFFFF, 0x000000}, {0xFF0000, 0x00FFFF}, {0x0000FF, 0xFFFF00}, {0x00FF00, 0xFF00FF}};
    const std::uint32_t pair = rng() % 4;
    const std::int32_t run = 1 + static_cast<std::int32_t>(rng() % 9);
    for (std::int32_t y = 0; y < v.height; ++y) {
        for (std::int32_t x = 0; x < v.width; ++x) {
            if (content == Content::extreme) {
                frame.set(x, y, kOpposites[pair][(y + x / run) % 2]);
                continue;
            }
            frame.set(x, y,
                      content == Content::random
                          ? static_cast<std::uint32_t>(rng())
                          : patternPixel(x, y, amplitude, period, noise, rng));
        }
    }
}

namespace {

std::int32_t pick(std::mt19937& rng, std::initializer_list<std::int32_t> values,
                  std::int32_t randomBelow) {
    const auto i = rng() % (values.size() + 2);
    if (i < values.size()) return *(values.begin() + i);
    return static_cast<std::int32_t>(rng() % static_cast<std::uint32_t>(randomBelow));
}

std::int32_t threshold(std::mt19937& rng) {
    return pick(rng,
                {0, 1, 5, 20, 223, 224, 511, 2896, 2897, 65535, -1, -20, INT32_MAX, INT32_MIN + 1},
                600);
}

std::int32_t coefficient(std::mt19937& rng) {
    return pick(rng, {0, 1, 64, 128, 219, 254, 255, -7, 300}, 256);
}

}  // namespace

FilterSettings randomSettings(std::mt19937& rng) {
    FilterSettings s{};
    setDefaults(s);
    s.yCoefficient = coefficient(rng);
    s.uvCoefficient = coefficient(rng);
    s.yHorizontalThreshold = threshold(rng);
    s.uvHorizontalThreshold = threshold(rng);
    s.yVerticalThreshold = threshold(rng);
    s.uvVerticalThreshold = threshold(rng);
    s.interlaced = pick(rng, {0, 1, 255}, 2);
    s.testMode = rng() % 4 == 0 ? static_cast<std::int32_t>(1 + rng() % 255) : 0;
    s.rgbProcessing = rng() % 2 == 0 ? 0 : static_cast<std::int32_t>(1 + rng() % 255);
    return s;
}

std::string describe(const FilterSettings& s) {
    char text[256];
    std::snprintf(text, sizeof text,
                  "g %d/%d, horizontal %d/%d, vertical %d/%d, interlaced %d, test %d, rgb %d",
                  s.yCoefficient, s.uvCoefficient, s.yHorizontalThreshold, s.uvHorizontalThreshold,
                  s.yVerticalThreshold, s.uvVerticalThreshold, s.interlaced, s.testMode,
                  s.rgbProcessing);
    return text;
}

std::vector<CpuLevel> availableLevels() {
    std::vector<CpuLevel> levels;
    const auto best = static_cast<std::int32_t>(detectCpuLevel());
    for (std::int32_t l = 0; l <= best; ++l) levels.push_back(static_cast<CpuLevel>(l));
    return levels;
}

}  // namespace lintra::testing
