// The engine against the literal reference on random frames and settings, bit for bit.

#include <gtest/gtest.h>

#include <random>

#include "engine/frame_driver.h"
#include "tests/reference/reference_filter.h"
#include "tests/support/guarded_frame.h"

namespace lintra {
namespace {

std::int32_t pick(std::mt19937& rng, std::initializer_list<std::int32_t> values) {
    const auto i = std::uniform_int_distribution<std::size_t>(0, values.size() - 1)(rng);
    return *(values.begin() + i);
}

std::int32_t below(std::mt19937& rng, std::int32_t n) {
    return std::uniform_int_distribution<std::int32_t>(0, n - 1)(rng);
}

// Settings as the dialog makes them, as a script line can make them, or at the extremes.
FilterSettings randomSettings(std::mt19937& rng) {
    FilterSettings s{};
    setDefaults(s);
    const int kind = below(rng, 3);
    auto threshold = [&]() {
        if (kind == 0) return below(rng, 40);
        if (kind == 1) return pick(rng, {0, 1, 2, 5, 20, 80, 255, 511, 2896, 2897, 65535});
        return below(rng, 65536);
    };
    s.yVerticalThreshold = threshold();
    s.uvVerticalThreshold = threshold();
    s.yHorizontalThreshold = kind == 0 ? s.yVerticalThreshold : threshold();
    s.uvHorizontalThreshold = kind == 0 ? s.uvVerticalThreshold : threshold();
    s.yAverage = kind == 2 ? below(rng, 65536) : pick(rng, {0, 1, 2, 3, 5, 10, 50, 1023});
    s.uvAverage = kind == 2 ? below(rng, 65536) : pick(rng, {0, 1, 2, 3, 5, 10, 50, 1023});
    s.yCoefficient = averagingCoefficient(s.yAverage);
    s.uvCoefficient = averagingCoefficient(s.uvAverage);
    s.interlaced = kind == 2 ? below(rng, 256) : below(rng, 2);
    s.testMode = below(rng, 5) == 0 ? (kind == 2 ? 1 + below(rng, 255) : 1) : 0;
    s.rgbProcessing = below(rng, 2) * (kind == 2 ? 1 + below(rng, 255) : 1);
    return s;
}

// A smooth picture with a small line-alternating pattern and a little noise: content that the
// filter changes. Some frames are plain noise.
void fillContent(test::GuardedFrame& frame, std::mt19937& rng) {
    const FrameView v = frame.view();
    if (below(rng, 4) == 0) {
        frame.fillRandom(rng);
        return;
    }
    const std::int32_t amplitude = 1 + below(rng, 12);
    const std::int32_t period = 1 + below(rng, 2);
    const std::int32_t noise = below(rng, 4);
    for (std::int32_t y = 0; y < v.height; ++y) {
        const std::int32_t sign = (y / period) % 2 ? -1 : 1;
        for (std::int32_t x = 0; x < v.width; ++x) {
            std::uint32_t pixel = static_cast<std::uint32_t>(rng()) & 0xFF000000u;
            for (int k = 0; k < 3; ++k) {
                const std::int32_t base = 40 + (x * (3 + k) + y * 2) % 170;
                const std::int32_t jitter = noise ? below(rng, 2 * noise + 1) - noise : 0;
                const std::int32_t value = base + sign * amplitude * (k == 1 ? 1 : 2) + jitter;
                pixel |= static_cast<std::uint32_t>(std::clamp(value, 0, 255)) << (8 * k);
            }
            frame.set(x, y, pixel);
        }
    }
}

std::int32_t randomGap(std::mt19937& rng, std::int32_t w) {
    switch (below(rng, 4)) {
        case 0:
            return 0;
        case 1:
            return below(rng, 40);
        case 2:
            return -2 * w * 4;  // bottom-up, rows adjacent
        default:
            return -2 * w * 4 - below(rng, 30);
    }
}

TEST(ReferenceComparison, RandomFramesAndSettingsMatchBitForBit) {
    const unsigned seed = 20261209;
    std::mt19937 rng(seed);
    int changed = 0;
    const int kFrames = 1500;
    for (int i = 0; i < kFrames; ++i) {
        const bool large = i % 50 == 0;
        const std::int32_t w = large ? 64 + below(rng, 200) : 1 + below(rng, 40);
        const std::int32_t h = large ? 32 + below(rng, 100) : 1 + below(rng, 24);
        const FilterSettings s = randomSettings(rng);
        test::GuardedFrame src(w, h, randomGap(rng, w));
        test::GuardedFrame dst(w, h, randomGap(rng, w));
        test::GuardedFrame expected(w, h);
        fillContent(src, rng);

        FilterInstance instance{};
        instance.settings = s;
        ASSERT_EQ(startRun(instance, src.view()), 0);
        ASSERT_EQ(runFrame(instance, src.view(), dst.view()), 0);
        endRun(instance);
        reference::filterFrame(s, src.view(), expected.view());

        ASSERT_EQ(dst.pixels(), expected.pixels())
            << "seed " << seed << " frame " << i << " size " << w << "x" << h;
        ASSERT_TRUE(dst.guardsIntact()) << "seed " << seed << " frame " << i;
        ASSERT_TRUE(src.guardsIntact());
        std::vector<std::uint32_t> in = src.pixels();
        for (auto& p : in) p &= 0x00FFFFFFu;
        changed += s.testMode == 0 && in != dst.pixels();
    }
    // The comparison only means something if the filter actually changed many frames.
    EXPECT_GT(changed, kFrames / 4);
}

}  // namespace
}  // namespace lintra
