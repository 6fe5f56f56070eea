// Pinned hashes of the output for each mode on a generated frame: every CPU level must give
// the same bytes, and any change of them has to be deliberate.

#include <gtest/gtest.h>

#include <cstdint>
#include <random>

#include "engine/filter_instance.h"
#include "engine/frame_driver.h"
#include "tests/kernels/test_frames.h"

namespace lintra::testing {
namespace {

std::uint64_t fnv1a(const std::vector<std::uint32_t>& words) {
    std::uint64_t h = 14695981039346656037ull;
    for (const std::uint32_t w : words) {
        for (int i = 0; i < 4; ++i) {
            h ^= (w >> (8 * i)) & 0xFF;
            h *= 1099511628211ull;
        }
    }
    return h;
}

struct Mode {
    const char* name;
    std::int32_t interlaced;
    std::int32_t testMode;
    std::int32_t rgbProcessing;
    std::uint64_t hash;
};

constexpr Mode kModes[] = {
    {"yuv", 0, 0, 0, 0x588A4648194C108ull},
    {"yuv interlaced", 1, 0, 0, 0x59DA208193971720ull},
    {"yuv test", 1, 1, 0, 0x20AFFEFCB513E251ull},
    {"rgb", 0, 0, 1, 0x2747403A084CDFEDull},
    {"rgb interlaced", 1, 0, 1, 0xF07761A6B0E01CD2ull},
    {"rgb test", 0, 1, 1, 0x260463AB8C83FA81ull},
};

TEST(GoldenHash, EveryModeEveryLevel) {
    for (const Mode& mode : kModes) {
        std::mt19937 rng(2026);
        GuardedFrame source(203, 77, 12);
        fillFrame(source, Content::pattern, rng);
        FilterSettings s{};
        setDefaults(s);
        s.yVerticalThreshold = s.yHorizontalThreshold = 12;
        s.uvVerticalThreshold = s.uvHorizontalThreshold = 24;
        s.interlaced = mode.interlaced;
        s.testMode = mode.testMode;
        s.rgbProcessing = mode.rgbProcessing;
        for (const CpuLevel level : availableLevels()) {
            GuardedFrame destination(203, 77, -4 * 203 - 8);
            FilterInstance instance{};
            instance.settings = s;
            ASSERT_EQ(startRun(instance, source.view(), level), 0);
            runFrame(instance, source.view(), destination.view());
            endRun(instance);
            EXPECT_EQ(fnv1a(destination.pixels()), mode.hash)
                << mode.name << " at " << cpuLevelName(level) << ": 0x" << std::hex
                << fnv1a(destination.pixels());
            EXPECT_TRUE(destination.guardsIntact());
        }
    }
}

}  // namespace
}  // namespace lintra::testing
