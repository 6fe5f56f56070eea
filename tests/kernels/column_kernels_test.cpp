// The AVX-512 column kernels' building blocks, each against what it must do (the kernels as a
// whole are compared with the reference in frame_comparison_test.cpp).

#include <gtest/gtest.h>

#include <cstdint>

#include "engine/cpu_level.h"
#include "tests/kernels/column_probes.h"

namespace lintra::testing {
namespace {

class ColumnKernels : public ::testing::Test {
  protected:
    void SetUp() override {
        if (detectCpuLevel() != CpuLevel::avx512) GTEST_SKIP() << "no AVX-512 here";
    }
};

TEST_F(ColumnKernels, LayoutRegionsApartAndInside) {
    for (const std::int32_t width : {1, 2, 15, 16, 31, 32, 33, 720, 1920, 4097}) {
        EXPECT_EQ(columnLayoutProblem(width), 0) << "width " << width;
    }
}

// Rows a whole number of pages apart, or half a page, put more than a quarter of a band's 32
// rows on lines of one set of a 4 KiB-way cache; a quarter or fewer, or rows sharing lines,
// are left alone.
TEST_F(ColumnKernels, RowsCopiedWhereTheyCrowdTheCacheSets) {
    const struct {
        std::ptrdiff_t stride;
        bool crowded;
    } cases[] = {{7680, false}, {8192, true},   {4096, true},  {6144, true},  {5120, false},
                 {7168, false}, {2048, true},   {1024, false}, {-8192, true}, {-7680, false},
                 {16384, true}, {16448, false}, {7200, false}, {4, false},    {0, false}};
    for (const auto& c : cases) {
        EXPECT_EQ(rowsCrowdCacheSets(c.stride), c.crowded) << "stride " << c.stride;
    }
}

TEST_F(ColumnKernels, LanesTakeTheRowsAboveAndBelow) {
    for (const std::int32_t n : {1, 2}) EXPECT_EQ(columnShiftProblem(n), 0) << "n " << n;
}

TEST_F(ColumnKernels, TilesTransposeToRows) {
    for (std::uint32_t seed = 1; seed <= 4; ++seed) EXPECT_EQ(tileTransposeProblem(seed), 0);
}

TEST_F(ColumnKernels, LimitTestsKeepRowsAtMostTheLimit) {
    for (std::uint32_t seed = 1; seed <= 4; ++seed) {
        EXPECT_EQ(limitTestProblem(seed), 0) << "seed " << seed;
    }
}

TEST_F(ColumnKernels, RgbCombOfEveryChannelAtItsExtremes) {
    for (std::uint32_t seed = 1; seed <= 4; ++seed) {
        EXPECT_EQ(rgbCombProblem(seed), 0) << "seed " << seed;
    }
}

TEST_F(ColumnKernels, TileRowsSentWhileTheNextTileFills) {
    std::uint32_t seed = 0;
    for (const std::int32_t width : {1, 15, 16, 17, 40, 64, 100}) {
        for (const std::int32_t rowCount : {1, 7, 32}) {
            for (const std::int32_t phase : {0, 5, 15}) {
                EXPECT_EQ(tileRowsProblem(++seed, width, rowCount, phase), 0)
                    << "width " << width << ", rows " << rowCount << ", phase " << phase;
            }
        }
    }
}

TEST_F(ColumnKernels, PairedLumaInAndOut) {
    for (std::uint32_t seed = 1; seed <= 4; ++seed) {
        EXPECT_EQ(pairedLumaProblem(seed), 0) << "seed " << seed;
    }
}

TEST_F(ColumnKernels, RowsWithCombSignal) {
    for (const std::int32_t n : {1, 2}) {
        for (const std::int32_t h : {3, 5, 31, 32, 33, 64, 65, 1080}) {
            for (std::int32_t y0 = 0; y0 < h; y0 += 32) {
                EXPECT_EQ(combRowsProblem(y0, h, n), 0) << "y0 " << y0 << ", h " << h;
            }
        }
    }
}

}  // namespace
}  // namespace lintra::testing
