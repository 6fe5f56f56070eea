// runFrame at the edges of what a frame can be: destinations wider and taller than the source,
// row gaps of both signs, and thresholds no writer of settings stores. The destination buffer
// must equal, guard bytes and row gaps included, what the literal reference writes.

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <ostream>
#include <string>

#include "engine/filter_instance.h"
#include "engine/frame_driver.h"
#include "tests/reference/reference_filter.h"
#include "tests/reliability/guarded_frame.h"

namespace lintra {
namespace {

using testing::GuardedFrame;
using testing::guardedFrame;

struct Geometry {
    const char* name;
    std::int32_t width, height, sourceGap;
    std::int32_t destinationWidth, destinationHeight, destinationGap;
    std::int32_t rgb, interlaced, testMode;
};

void fillPattern(GuardedFrame& f, std::uint32_t seed) {
    for (std::size_t i = 0; i < f.bytes.size(); ++i) {
        seed = seed * 1664525u + 1013904223u;
        // Lines alternate around mid-grey with a little noise: the filter has work to do.
        const int line = static_cast<int>((i / 12) & 1);
        f.bytes[i] = static_cast<std::uint8_t>((line ? 140 : 116) + ((seed >> 24) & 7));
    }
}

// Runs one frame and compares the whole destination buffer with the reference's.
void expectLikeReference(const FilterSettings& settings, const Geometry& g) {
    GuardedFrame src = guardedFrame(g.width, g.height, g.sourceGap);
    fillPattern(src, 7u);
    GuardedFrame actual = guardedFrame(g.destinationWidth, g.destinationHeight, g.destinationGap);
    GuardedFrame expected = actual;
    reference::filterFrame(settings, src.view(), expected.view());

    FilterInstance instance{};
    instance.settings = settings;
    ASSERT_EQ(startRun(instance, src.view()), 0);
    EXPECT_EQ(runFrame(instance, src.view(), actual.view()), 0);
    endRun(instance);
    EXPECT_EQ(actual.bytes, expected.bytes);
}

FilterSettings settingsFor(const Geometry& g) {
    FilterSettings s{};
    setDefaults(s);
    s.rgbProcessing = g.rgb;
    s.interlaced = g.interlaced;
    s.testMode = g.testMode;
    return s;
}

void PrintTo(const Geometry& g, std::ostream* os) {
    *os << g.name;
}

class DestinationGeometry : public ::testing::TestWithParam<Geometry> {};

TEST_P(DestinationGeometry, WritesTheSourceSizeIntoTheDestinationRowsOnly) {
    expectLikeReference(settingsFor(GetParam()), GetParam());
}

INSTANTIATE_TEST_SUITE_P(
    Frames, DestinationGeometry,
    ::testing::Values(Geometry{"SameSizePacked", 9, 7, 0, 9, 7, 0, 0, 0, 0},
                      Geometry{"WiderDestination", 9, 7, 0, 13, 7, 0, 0, 0, 0},
                      Geometry{"WiderTallerWithGapRgb", 9, 7, 0, 13, 10, 12, 1, 0, 0},
                      Geometry{"BottomUpDestination", 9, 7, 4, 12, 7, -104, 0, 1, 0},
                      Geometry{"BothBottomUpTestMode", 9, 7, -76, 10, 8, -88, 1, 1, 1},
                      Geometry{"PassedThroughUnfiltered", 5, 2, 0, 8, 3, 4, 0, 0, 0},
                      Geometry{"OneColumnTestMode", 1, 6, 0, 3, 6, 0, 0, 0, 1},
                      Geometry{"GapsNotMultiplesOf4", 16, 9, 3, 17, 9, 5, 0, 0, 0}),
    [](const ::testing::TestParamInfo<Geometry>& p) { return std::string(p.param.name); });

// Thresholds of any 32-bit value, possible only by writing the record directly, filter like
// the reference and overflow nothing (the sanitizer build checks that).
TEST(ExtremeThresholds, FilterLikeTheReferenceWithoutOverflow) {
    constexpr std::int32_t kExtremes[] = {std::numeric_limits<std::int32_t>::min(), -1,
                                          std::numeric_limits<std::int32_t>::max()};
    for (std::int32_t rgb : {0, 1}) {
        for (std::int32_t t : kExtremes) {
            Geometry g{"Extreme", 12, 9, 0, 12, 9, 0, rgb, 0, 0};
            FilterSettings s = settingsFor(g);
            s.yVerticalThreshold = s.uvVerticalThreshold = t;
            s.yHorizontalThreshold = s.uvHorizontalThreshold = t;
            SCOPED_TRACE(::testing::Message() << "rgb " << rgb << " threshold " << t);
            expectLikeReference(s, g);
        }
    }
}

}  // namespace
}  // namespace lintra
