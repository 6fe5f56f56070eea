#include "engine/frame_driver.h"

#include <gtest/gtest.h>

#include <cstring>
#include <limits>
#include <random>

#include "engine/plane_memory.h"
#include "tests/reference/reference_filter.h"
#include "tests/support/guarded_frame.h"

namespace lintra {
namespace {

FilterInstance defaultInstance() {
    FilterInstance instance{};
    setDefaults(instance.settings);
    return instance;
}

TEST(FrameDriver, StartAllocatesAndEndReleasesRepeatedly) {
    FilterInstance instance = defaultInstance();
    test::GuardedFrame frame(8, 6);
    EXPECT_EQ(startRun(instance, frame.view()), 0);
    ASSERT_NE(instance.planeA, nullptr);
    EXPECT_EQ(planeCapacity(instance.planeC), 48u);
    // A second start without an end releases the first planes before allocating.
    EXPECT_EQ(startRun(instance, frame.view()), 0);
    EXPECT_EQ(endRun(instance), 0);
    EXPECT_EQ(instance.planeA, nullptr);
    EXPECT_EQ(instance.planeB, nullptr);
    EXPECT_EQ(instance.planeC, nullptr);
    EXPECT_EQ(endRun(instance), 0);
}

TEST(FrameDriver, StartRefusesUnusableSizes) {
    FilterInstance instance = defaultInstance();
    const std::int32_t big = std::numeric_limits<std::int32_t>::max();
    for (const auto& [w, h] : {std::pair{0, 10}, std::pair{10, 0}, std::pair{-3, 10},
                               std::pair{10, -1}, std::pair{big, big}}) {
        const FrameView frame{nullptr, w, h, 0};
        EXPECT_EQ(startRun(instance, frame), 1) << w << "x" << h;
        EXPECT_EQ(instance.planeA, nullptr);
    }
}

TEST(FrameDriver, RunRefusesWithoutPlanesOrWhenFrameDoesNotFit) {
    FilterInstance instance = defaultInstance();
    test::GuardedFrame src(8, 8);
    test::GuardedFrame dst(8, 8);
    std::mt19937 rng(1);
    src.fillRandom(rng);
    const auto before = dst.pixels();
    EXPECT_EQ(runFrame(instance, src.view(), dst.view()), 1);

    test::GuardedFrame small(8, 4);
    ASSERT_EQ(startRun(instance, small.view()), 0);
    EXPECT_EQ(runFrame(instance, src.view(), dst.view()), 1);  // 64 pixels into planes of 32
    test::GuardedFrame narrowDst(7, 8);
    EXPECT_EQ(runFrame(instance, small.view(), narrowDst.view()), 1);
    EXPECT_EQ(dst.pixels(), before);
    EXPECT_TRUE(dst.guardsIntact());
    EXPECT_TRUE(narrowDst.guardsIntact());
    endRun(instance);
}

// Frames the pipelines cannot take pass through with byte 3 cleared.
TEST(FrameDriver, TooSmallFramesAreCopied) {
    struct Case {
        std::int32_t w, h, interlaced, testMode, rgb;
    };
    for (const Case c : {Case{1, 9, 0, 0, 0}, Case{1, 9, 1, 0, 1}, Case{5, 2, 0, 1, 0},
                         Case{5, 4, 1, 0, 0}, Case{5, 4, 1, 1, 1}, Case{3, 1, 0, 0, 1}}) {
        FilterInstance instance = defaultInstance();
        instance.settings.interlaced = c.interlaced;
        instance.settings.testMode = c.testMode;
        instance.settings.rgbProcessing = c.rgb;
        test::GuardedFrame src(c.w, c.h, 4);
        test::GuardedFrame dst(c.w, c.h, -c.w * 8);
        std::mt19937 rng(static_cast<unsigned>(c.w * 100 + c.h));
        src.fillRandom(rng);
        ASSERT_EQ(startRun(instance, src.view()), 0);
        EXPECT_EQ(runFrame(instance, src.view(), dst.view()), 0);
        for (std::int32_t y = 0; y < c.h; ++y) {
            for (std::int32_t x = 0; x < c.w; ++x) {
                EXPECT_EQ(dst.get(x, y), src.get(x, y) & 0x00FFFFFFu);
            }
        }
        EXPECT_TRUE(dst.guardsIntact());
        endRun(instance);
    }
}

// In RGB processing the third plane is never touched.
TEST(FrameDriver, RgbProcessingLeavesPlaneCAlone) {
    FilterInstance instance = defaultInstance();
    instance.settings.rgbProcessing = 1;
    test::GuardedFrame src(16, 12);
    test::GuardedFrame dst(16, 12);
    std::mt19937 rng(3);
    src.fillRandom(rng);
    ASSERT_EQ(startRun(instance, src.view()), 0);
    std::memset(static_cast<void*>(instance.planeC), 0x5A, 16 * 12 * sizeof(Triplet));
    for (std::int32_t testMode : {0, 1}) {
        instance.settings.testMode = testMode;
        EXPECT_EQ(runFrame(instance, src.view(), dst.view()), 0);
    }
    const auto* bytes = reinterpret_cast<const unsigned char*>(instance.planeC);
    for (std::size_t i = 0; i < 16 * 12 * sizeof(Triplet); ++i) ASSERT_EQ(bytes[i], 0x5A);
    endRun(instance);
}

// Untouched pixels come through exactly: with vertical thresholds 0 nothing is corrected.
TEST(FrameDriver, ZeroThresholdsReproduceTheSource) {
    for (std::int32_t rgb : {0, 1}) {
        FilterInstance instance = defaultInstance();
        instance.settings.rgbProcessing = rgb;
        instance.settings.yVerticalThreshold = 0;
        instance.settings.uvVerticalThreshold = 0;
        test::GuardedFrame src(33, 17, -33 * 8);
        test::GuardedFrame dst(33, 17, 12);
        std::mt19937 rng(static_cast<unsigned>(rgb + 11));
        src.fillRandom(rng);
        ASSERT_EQ(startRun(instance, src.view()), 0);
        ASSERT_EQ(runFrame(instance, src.view(), dst.view()), 0);
        for (std::int32_t y = 0; y < 17; ++y) {
            for (std::int32_t x = 0; x < 33; ++x) {
                ASSERT_EQ(dst.get(x, y), src.get(x, y) & 0x00FFFFFFu);
            }
        }
        EXPECT_TRUE(dst.guardsIntact());
        endRun(instance);
    }
}

// In test mode the border rows show the empty-pattern grey of each mode.
TEST(FrameDriver, TestModeBorderRowsAreGrey) {
    for (std::int32_t rgb : {0, 1}) {
        FilterInstance instance = defaultInstance();
        instance.settings.rgbProcessing = rgb;
        instance.settings.testMode = 1;
        test::GuardedFrame src(6, 9);
        test::GuardedFrame dst(6, 9);
        std::mt19937 rng(5);
        src.fillRandom(rng);
        ASSERT_EQ(startRun(instance, src.view()), 0);
        ASSERT_EQ(runFrame(instance, src.view(), dst.view()), 0);
        const std::uint32_t grey = rgb ? 0x00808080u : 0x00858286u;
        for (std::int32_t y : {0, 1, 7, 8}) {
            for (std::int32_t x = 0; x < 6; ++x) EXPECT_EQ(dst.get(x, y), grey);
        }
        endRun(instance);
    }
}

}  // namespace
}  // namespace lintra
