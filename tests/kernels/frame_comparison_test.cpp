// Every CPU level against the literal reference on the same random frames and settings:
// whole frames through runFrame, bit for bit, with guard bytes around the destination.

#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <vector>

#include "engine/filter_instance.h"
#include "engine/frame_driver.h"
#include "engine/x86/short_division.h"
#include "tests/kernels/test_frames.h"
#include "tests/reference/reference_filter.h"

namespace lintra::testing {
namespace {

struct Case {
    std::int32_t width;
    std::int32_t height;
    std::int32_t sourceGap;
    std::int32_t destinationGap;
    Content content;
    FilterSettings settings;
    std::int32_t destinationAlignment = 1;
    std::int32_t destinationOffset = 0;  // bytes past a multiple of the alignment
};

std::int32_t rowGap(std::mt19937& rng, std::int32_t width) {
    switch (rng() % 4) {
        case 0:
            return 0;
        case 1:
            return 4 * static_cast<std::int32_t>(rng() % 5);
        case 2:
            return -8 * width - 4 * static_cast<std::int32_t>(rng() % 3);  // bottom-up
        default:
            return static_cast<std::int32_t>(rng() % 7);  // not a whole pixel
    }
}

Case randomCase(std::mt19937& rng, std::int32_t maxWidth, std::int32_t maxHeight) {
    Case c{};
    c.width = 1 + static_cast<std::int32_t>(rng() % static_cast<std::uint32_t>(maxWidth));
    c.height = 1 + static_cast<std::int32_t>(rng() % static_cast<std::uint32_t>(maxHeight));
    c.sourceGap = rowGap(rng, c.width);
    c.destinationGap = rowGap(rng, c.width);
    c.content = rng() % 3 == 0 ? Content::random : Content::pattern;
    c.settings = randomSettings(rng);
    return c;
}

// Runs one case at every level; returns false (after reporting) at the first difference.
bool checkCase(const Case& c, std::uint32_t seed) {
    std::mt19937 rng(seed);
    GuardedFrame source(c.width, c.height, c.sourceGap);
    fillFrame(source, c.content, rng);
    GuardedFrame expected(c.width, c.height, c.destinationGap, c.destinationAlignment,
                          c.destinationOffset);
    reference::filterFrame(c.settings, source.view(), expected.view());
    for (const CpuLevel level : availableLevels()) {
        GuardedFrame destination(c.width, c.height, c.destinationGap, c.destinationAlignment,
                                 c.destinationOffset);
        FilterInstance instance{};
        instance.settings = c.settings;
        EXPECT_EQ(startRun(instance, source.view(), level), 0);
        EXPECT_EQ(runLevel(instance), level);
        EXPECT_EQ(runFrame(instance, source.view(), destination.view()), 0);
        endRun(instance);
        const bool same = destination.pixels() == expected.pixels();
        const bool guarded = destination.guardsIntact() && source.guardsIntact();
        if (!same || !guarded) {
            ADD_FAILURE() << "seed " << seed << ", level " << cpuLevelName(level) << ", " << c.width
                          << "x" << c.height << ", gaps " << c.sourceGap << "/" << c.destinationGap
                          << ", " << describe(c.settings) << (same ? "" : ": output differs")
                          << (guarded ? "" : ": guard bytes written");
            return false;
        }
    }
    return true;
}

void runCases(std::uint32_t firstSeed, int count, std::int32_t maxWidth, std::int32_t maxHeight) {
    for (int i = 0; i < count; ++i) {
        const std::uint32_t seed = firstSeed + static_cast<std::uint32_t>(i);
        std::mt19937 rng(seed);
        if (!checkCase(randomCase(rng, maxWidth, maxHeight), seed)) return;
    }
}

TEST(FrameComparison, SmallFramesEverySetting) {
    runCases(1000, 4000, 40, 24);
}

TEST(FrameComparison, WiderFramesSeveralBands) {
    runCases(50000, 400, 150, 100);
}

// Rows wider than the column strips of every level (128, 256 and 512 pixels).
TEST(FrameComparison, WideRowsSeveralStrips) {
    runCases(70000, 60, 1200, 40);
}

// Rows of up to 4400 pixels: many strips and tiles of every kernel.
TEST(FrameComparison, VeryWideRows) {
    runCases(90000, 24, 4400, 12);
}

// Test mode walks strips down bands of 256 rows: heights around one and two bands (the rows
// above a band's first rows and below its last come from the bands beside it), widths around
// whole strips, and destinations off the vector boundary (strips narrower at both ends), YUV
// and RGB.
TEST(FrameComparison, TestModeBandEdges) {
    std::uint32_t seed = 310000;
    for (const std::int32_t height : {255, 256, 257, 258, 259, 300, 513, 515}) {
        for (const std::int32_t width : {1, 7, 33, 70}) {
            for (std::int32_t mode = 0; mode < 8; ++mode) {
                std::mt19937 rng(++seed);
                Case c = randomCase(rng, 1, 1);
                c.width = width;
                c.height = height;
                c.settings.testMode = 1;
                c.settings.rgbProcessing = mode / 4;
                c.settings.interlaced = mode % 2;
                c.destinationAlignment = 64;
                c.destinationOffset = mode / 2 % 2 * 20;
                if (!checkCase(c, seed)) return;
            }
        }
    }
}

// Source rows a whole number of pages apart or half of one (widths of 512, 1024 and 1536
// pixels without gaps, top-down and bottom-up) are copied band by band before the
// transposition; two whole bands and a partial one, YUV and RGB.
TEST(FrameComparison, RowsCrowdingTheCacheSets) {
    std::uint32_t seed = 320000;
    for (const std::int32_t width : {512, 1024, 1536}) {
        for (std::int32_t mode = 0; mode < 4; ++mode) {
            std::mt19937 rng(++seed);
            Case c = randomCase(rng, 1, 1);
            c.width = width;
            c.height = 70;
            c.sourceGap = mode / 2 == 0 ? 0 : -8 * width;
            c.settings.testMode = 0;
            c.settings.rgbProcessing = mode % 2;
            if (!checkCase(c, seed)) return;
        }
    }
}

// Destination rows that overlap each other keep whatever the last write left: every level
// must leave what the definition's row-by-row order leaves, also with rows wider than a strip.
TEST(FrameComparison, OverlappingDestinationRows) {
    std::mt19937 rng(4242);
    for (const std::int32_t width : {37, 203, 300, 700}) {
        for (const std::int32_t stride : {-8, 4, 4 * width - 4, -(4 * width - 12)}) {
            Case c = randomCase(rng, 1, 40);
            c.width = width;
            c.height = 40;
            c.sourceGap = 0;
            c.destinationGap = stride - 4 * width;
            c.content = Content::pattern;
            if (!checkCase(c, 7000 + static_cast<std::uint32_t>(width + stride))) return;
        }
    }
}

// Heights around whole bands of every level's lane count (the rows above and below each band
// come from the next band or, at the frame's ends, not at all) and widths around groups of
// four pixels and tiles of sixteen, in both modes and at both line distances.
TEST(FrameComparison, BandAndTileEdges) {
    std::uint32_t seed = 300000;
    for (const std::int32_t height : {5, 8, 16, 31, 32, 33, 63, 64, 65, 97}) {
        for (const std::int32_t width : {2, 3, 4, 5, 15, 16, 17, 33, 47}) {
            for (const std::int32_t mode : {0, 1, 2, 3}) {
                std::mt19937 rng(++seed);
                Case c = randomCase(rng, 1, 1);
                c.width = width;
                c.height = height;
                c.content = seed % 2 == 0 ? Content::pattern : Content::random;
                c.settings.testMode = 0;
                c.settings.rgbProcessing = mode % 2;
                c.settings.interlaced = mode / 2;
                if (!checkCase(c, seed)) return;
            }
        }
    }
}

// Every coefficient, so each division constant is used at least once per level.
TEST(FrameComparison, EveryCoefficient) {
    for (std::int32_t g = 0; g <= 255; ++g) {
        std::mt19937 rng(static_cast<std::uint32_t>(g));
        Case c = randomCase(rng, 70, 40);
        c.width = 37 + g % 5;
        c.height = 33;
        c.content = Content::pattern;
        setDefaults(c.settings);
        c.settings.yCoefficient = g;
        c.settings.uvCoefficient = 255 - g;
        c.settings.interlaced = g % 2;
        c.settings.rgbProcessing = (g / 2) % 2;
        c.settings.yVerticalThreshold = c.settings.yHorizontalThreshold = 3 + g % 30;
        c.settings.uvVerticalThreshold = c.settings.uvHorizontalThreshold = 5 + g % 40;
        if (!checkCase(c, 900000 + static_cast<std::uint32_t>(g))) return;
    }
}

// A 203 x 70 frame of the largest comb values there are, with the defaults but for the
// coefficient g of both groups, the mode, both vertical thresholds and both horizontal ones.
Case extremeCase(std::int32_t seed, std::int32_t g, std::int32_t rgb, std::int32_t vertical,
                 std::int32_t horizontal) {
    std::mt19937 rng(static_cast<std::uint32_t>(seed));
    Case c = randomCase(rng, 1, 1);
    c.width = 203;
    c.height = 70;
    c.content = Content::extreme;
    setDefaults(c.settings);
    c.settings.yCoefficient = c.settings.uvCoefficient = g;
    c.settings.rgbProcessing = rgb;
    c.settings.interlaced = g % 2;
    c.settings.yVerticalThreshold = c.settings.uvVerticalThreshold = vertical;
    c.settings.yHorizontalThreshold = c.settings.uvHorizontalThreshold = horizontal;
    return c;
}

// The recombination divides with a single multiply-high only while the vertical limits keep
// the dividends in its exact range: the largest thresholds that still allow it, and the
// next ones, on the largest comb values there are.
TEST(FrameComparison, ShortDivisionAtItsLimit) {
    for (const std::int32_t g : {0, 1, 37, 128, 219, 254, 255}) {
        for (const std::int32_t rgb : {0, 1}) {
            auto shortFor = [&](std::int32_t t) {
                const std::int32_t c = 16 * t;
                return rgb != 0 ? x86::shortMagicFor<3>(g, x86::largestDividend(c, 16)) != 0
                                : x86::shortMagicFor<7>(g, x86::largestDividend(c, 1)) != 0;
            };
            std::int32_t t = 0;
            while (t < 300 && shortFor(t + 1)) ++t;
            for (const std::int32_t threshold : {t, t + 1}) {
                const Case c = extremeCase(g * 2 + rgb, g, rgb, threshold, 65535);
                if (!checkCase(c, 800000 + static_cast<std::uint32_t>(g * 4 + rgb * 2))) return;
            }
        }
    }
}

// The recombination leaves out its clamp where the vertical limits keep every sample in range:
// the largest thresholds that still allow it, and the next ones, on the largest comb values
// there are, with every restart of the smoothing (horizontal thresholds 0) and with none.
TEST(FrameComparison, UnclampedRecombinationAtItsLimit) {
    for (const std::int32_t g : {0, 1, 128, 219, 255}) {
        std::int32_t t = 0;
        while (t < 300 && x86::recombinedInRange(16 * (t + 1), g)) ++t;
        for (const std::int32_t threshold : {t, t + 1}) {
            for (const std::int32_t horizontal : {0, 65535}) {
                const Case c = extremeCase(g, g, 0, threshold, horizontal);
                if (!checkCase(c, 700000 + static_cast<std::uint32_t>(g))) return;
            }
        }
    }
}

// Destinations of 4 MiB and more are written with streaming stores where the rows are a whole
// number of vectors apart: such frames in every mode, rows on a boundary for every level (also
// bottom-up), rows off one, and rows that share no boundary.
TEST(FrameComparison, LargeFramesStreamedWhereAligned) {
    struct Large {
        std::int32_t width, height, destinationGap, alignment;
    };
    for (const Large l : {Large{1024, 1024, 0, 64}, Large{1000, 1100, 96, 64},
                          Large{1024, 1030, -8192, 64}, Large{1023, 1030, 4, 16}}) {
        for (const std::int32_t mode : {0, 1, 2, 3}) {
            std::mt19937 rng(static_cast<std::uint32_t>(l.width + mode));
            Case c = randomCase(rng, 1, 1);
            c.width = l.width;
            c.height = l.height;
            c.sourceGap = 0;
            c.destinationGap = l.destinationGap;
            c.destinationAlignment = l.alignment;
            c.content = Content::pattern;
            setDefaults(c.settings);
            c.settings.rgbProcessing = mode % 2;
            c.settings.testMode = mode / 2;
            if (!checkCase(c, 600000 + static_cast<std::uint32_t>(l.width * 4 + mode))) return;
        }
    }
}

// Rows a whole number of vectors apart whose first pixel is not on a vector boundary: the
// tiles of the column kernels are placed on the rows' boundaries (narrower tiles at both
// ends of a row), and frames of 4 MiB and more are streamed there. Every phase of the
// boundary against the row's ends, in every mode, small frames and large.
TEST(FrameComparison, DestinationOffTheVectorBoundary) {
    struct Off {
        std::int32_t width, height, offset;
    };
    std::vector<Off> cases;
    for (const std::int32_t offset : {4, 16, 28, 36, 60}) {
        for (const std::int32_t width : {2, 15, 16, 17, 33, 47, 100})
            cases.push_back({width, 40, offset});
    }
    for (const std::int32_t offset : {4, 36}) cases.push_back({1024, 1030, offset});
    std::uint32_t seed = 700000;
    for (const Off o : cases) {
        for (const std::int32_t mode : {0, 1, 2, 3}) {
            std::mt19937 rng(++seed);
            Case c = randomCase(rng, 1, 1);
            c.width = o.width;
            c.height = o.height;
            c.sourceGap = 0;
            // The row distance a whole number of 64-byte vectors.
            c.destinationGap = (64 - o.width * 4 % 64) % 64;
            c.destinationAlignment = 64;
            c.destinationOffset = o.offset;
            c.content = Content::pattern;
            if (o.height > 100) setDefaults(c.settings);
            c.settings.rgbProcessing = mode % 2;
            c.settings.testMode = mode / 2;
            if (!checkCase(c, seed)) return;
        }
    }
}

// A run keeps the division it chose for the settings of its frames only while they stay: a
// frame whose limits or coefficients no longer allow the single multiply-high must not reuse
// it, and one whose settings allow it again takes it again.
TEST(FrameComparison, SettingsChangedWithinARun) {
    std::mt19937 rng(4242);
    GuardedFrame source(203, 40, 0);
    fillFrame(source, Content::random, rng);  // dividends of every size where limits allow
    FilterSettings allowed{};
    setDefaults(allowed);
    FilterSettings wide = allowed;
    wide.yVerticalThreshold = wide.uvVerticalThreshold = 511;
    FilterSettings otherCoefficients = allowed;
    otherCoefficients.yCoefficient = 37;
    otherCoefficients.uvCoefficient = 254;
    const FilterSettings sequence[] = {allowed, wide, allowed, otherCoefficients, allowed};
    for (const CpuLevel level : availableLevels()) {
        for (const std::int32_t rgb : {0, 1}) {
            FilterInstance instance{};
            instance.settings = allowed;
            ASSERT_EQ(startRun(instance, source.view(), level), 0);
            for (std::size_t i = 0; i < std::size(sequence); ++i) {
                instance.settings = sequence[i];
                instance.settings.rgbProcessing = rgb;
                GuardedFrame expected(203, 40, 0);
                reference::filterFrame(instance.settings, source.view(), expected.view());
                GuardedFrame destination(203, 40, 0);
                EXPECT_EQ(runFrame(instance, source.view(), destination.view()), 0);
                EXPECT_EQ(destination.pixels(), expected.pixels())
                    << "level " << cpuLevelName(level) << ", rgb " << rgb << ", frame " << i;
            }
            endRun(instance);
        }
    }
}

TEST(FrameComparison, LevelsDetectedAndCapped) {
    EXPECT_EQ(availableLevels().front(), CpuLevel::scalar);
    CpuLevel level = CpuLevel::scalar;
    EXPECT_TRUE(parseCpuLevel("avx2", level));
    EXPECT_EQ(level, CpuLevel::avx2);
    EXPECT_FALSE(parseCpuLevel("avx3", level));
    EXPECT_FALSE(parseCpuLevel(nullptr, level));
    EXPECT_EQ(level, CpuLevel::avx2);
    for (const CpuLevel l : availableLevels()) {
        CpuLevel back = CpuLevel::scalar;
        EXPECT_TRUE(parseCpuLevel(cpuLevelName(l), back));
        EXPECT_EQ(back, l);
    }
}

}  // namespace
}  // namespace lintra::testing
