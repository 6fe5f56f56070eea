#include "engine/rgb_pipeline.h"

#include <gtest/gtest.h>

#include <vector>

#include "tests/support/guarded_frame.h"

namespace lintra {
namespace {

struct RgbRun {
    test::GuardedFrame src;
    test::GuardedFrame dst;
    std::vector<Triplet> a, b;

    RgbRun(std::int32_t w, std::int32_t h, std::int32_t srcGap = 0, std::int32_t dstGap = 8)
        : src(w, h, srcGap),
          dst(w, h, dstGap),
          a(static_cast<std::size_t>(w * h)),
          b(static_cast<std::size_t>(w * h)) {}
    void run(std::int32_t vertical, std::int32_t horizontal, std::int32_t interlaced,
             std::int32_t testMode, std::int32_t g) {
        const FrameView s = src.view();
        const FrameView d = dst.view();
        filterRgb(s.pixels, d.pixels, a.data(), b.data(), s.width, s.height, s.rowGap, d.rowGap,
                  vertical, horizontal, interlaced, testMode, g);
    }
    std::int32_t plane(const std::vector<Triplet>& p, std::int32_t x, std::int32_t y, int k) {
        return p[static_cast<std::size_t>(y * src.view().width + x)].c[k];
    }
};

TEST(RgbPipeline, WorkedExample) {
    RgbRun r(5, 3);
    const std::uint32_t red[5] = {100, 104, 100, 140, 100};
    for (std::int32_t y = 0; y < 3; ++y) {
        for (std::int32_t x = 0; x < 5; ++x) {
            const std::uint32_t rv = y == 1 ? red[x] : 100;
            r.src.set(x, y, 0xEE000000u | rv << 16 | 100 << 8 | 100);
        }
    }
    r.run(511, 5, 0, 0, 219);
    const std::int32_t backward[5] = {-8, -4, 0, -594, 0};
    for (std::int32_t x = 0; x < 5; ++x) EXPECT_EQ(r.plane(r.a, x, 1, 0), backward[x]);
    const std::int32_t forward[5] = {0, -4, -8, -594, 0};
    for (std::int32_t x = 0; x < 5; ++x) EXPECT_EQ(r.plane(r.b, x, 1, 0), forward[x]);
    const std::uint32_t row1[5] = {0x00646464, 0x00686464, 0x00646464, 0x00796464, 0x00646464};
    for (std::int32_t x = 0; x < 5; ++x) {
        EXPECT_EQ(r.dst.get(x, 0), 0x00646464u);
        EXPECT_EQ(r.dst.get(x, 1), row1[x]);
        EXPECT_EQ(r.dst.get(x, 2), 0x00646464u);
    }
    EXPECT_TRUE(r.dst.guardsIntact());
}

TEST(RgbPipeline, TestModeWorkedExample) {
    RgbRun r(4, 3);
    const std::uint32_t row1[4] = {0x00C80A5A, 0x00141E28, 0x005A5A5A, 0x0000FF80};
    for (std::int32_t x = 0; x < 4; ++x) {
        r.src.set(x, 0, 0);
        r.src.set(x, 1, row1[x]);
        r.src.set(x, 2, 0);
    }
    r.run(511, 511, 0, 1, 219);
    const std::uint32_t expected[4] = {0xFFB87626, 0x006C6258, 0x00262626, 0x007F8100};
    for (std::int32_t x = 0; x < 4; ++x) {
        EXPECT_EQ(r.dst.get(x, 0), 0x00808080u);
        EXPECT_EQ(r.dst.get(x, 1), expected[x]);
        EXPECT_EQ(r.dst.get(x, 2), 0x00808080u);
    }
    EXPECT_EQ(r.plane(r.a, 0, 1, 0), -3200);
    EXPECT_EQ(r.plane(r.a, 3, 1, 1), -4080);
}

// A comb value of -16 in one channel shows as one step below grey in that byte only.
TEST(RgbPipeline, TestModeShowsSingleChannelSteps) {
    RgbRun r(2, 3);
    for (std::int32_t x = 0; x < 2; ++x) {
        r.src.set(x, 0, 0x00101010);
        r.src.set(x, 2, 0x00101010);
    }
    r.src.set(0, 1, 0x00101110);  // green one above its neighbours: comb -16
    r.src.set(1, 1, 0x00101011);  // blue one above: comb -16
    r.run(511, 511, 0, 1, 0);
    EXPECT_EQ(r.dst.get(0, 1), 0x00807F80u);
    EXPECT_EQ(r.dst.get(1, 1), 0x0080807Fu);
}

TEST(RgbPipeline, UniformFrameAndZeroThresholdPassThrough) {
    std::mt19937 rng(7);
    for (std::int32_t interlaced : {0, 1}) {
        RgbRun r(9, 7, -9 * 4 * 2);
        r.src.fillRandom(rng);
        r.run(0, 5, interlaced, 0, 219);
        for (std::int32_t y = 0; y < 7; ++y) {
            for (std::int32_t x = 0; x < 9; ++x) {
                ASSERT_EQ(r.dst.get(x, y), r.src.get(x, y) & 0x00FFFFFFu);
            }
        }
        EXPECT_TRUE(r.dst.guardsIntact());
    }
}

// The vertical test is strictly greater-than: a distance equal to the limit is kept.
TEST(RgbPipeline, DistanceEqualToVerticalLimitIsKept) {
    for (std::int32_t threshold : {1, 2}) {
        RgbRun r(2, 3);
        for (std::int32_t x = 0; x < 2; ++x) {
            r.src.set(x, 0, 0x00404040);
            r.src.set(x, 1, 0x00414040);  // red comb -16: distance 256 = 256 * 1^2
            r.src.set(x, 2, 0x00404040);
        }
        r.run(threshold, 511, 0, 0, 0);
        EXPECT_EQ(r.plane(r.a, 0, 1, 0), -8) << threshold;  // kept, both passes halve it
    }
    RgbRun r(2, 3);
    for (std::int32_t x = 0; x < 2; ++x) {
        r.src.set(x, 0, 0x00404040);
        r.src.set(x, 1, 0x00424040);  // red comb -32: distance 1024 > 256
        r.src.set(x, 2, 0x00404040);
    }
    r.run(1, 511, 0, 0, 0);
    EXPECT_EQ(r.plane(r.a, 0, 1, 0), 0);
}

}  // namespace
}  // namespace lintra
