#include "engine/ycc_pipeline.h"

#include <gtest/gtest.h>

#include <vector>

namespace lintra {
namespace {

struct YccPlanes {
    std::int32_t w;
    std::int32_t h;
    std::vector<Triplet> a, b, c;

    YccPlanes(std::int32_t width, std::int32_t height)
        : w(width), h(height), a(size()), b(size()), c(size()) {}
    std::size_t size() const { return static_cast<std::size_t>(w * h); }
    Triplet& at(std::vector<Triplet>& p, std::int32_t x, std::int32_t y) {
        return p[static_cast<std::size_t>(y * w + x)];
    }
    // Luma given per row, chroma neutral.
    void setRows(const std::vector<std::int16_t>& luma) {
        for (std::int32_t y = 0; y < h; ++y) {
            for (std::int32_t x = 0; x < w; ++x) {
                at(a, x, y) = Triplet{{luma[static_cast<std::size_t>(y)], 2032, 2032}};
            }
        }
    }
    void run(std::int32_t interlaced, std::int32_t gY, std::int32_t testMode = 0,
             std::int32_t lumaThreshold = 5, std::int32_t chromaThreshold = 20) {
        filterYcc(a.data(), b.data(), c.data(), w, h, lumaThreshold, chromaThreshold, lumaThreshold,
                  chromaThreshold, interlaced, testMode, gY, 128);
    }
    // Result luma of a row: end value and interior value (checked to be uniform).
    void expectRow(std::int32_t y, std::int16_t ends, std::int16_t interior) {
        for (std::int32_t x = 0; x < w; ++x) {
            const bool end = x == 0 || x == w - 1;
            EXPECT_EQ(at(b, x, y).c[0], end ? ends : interior) << "row " << y << " x " << x;
            EXPECT_EQ(at(b, x, y).c[1], 2032);
            EXPECT_EQ(at(b, x, y).c[2], 2032);
        }
    }
};

const std::vector<std::int16_t> kLinePattern = {2016, 1984, 2016, 1984, 2016, 1984, 2016, 1984};

TEST(YccPipeline, ProgressiveExample) {
    YccPlanes p(6, 8);
    p.setRows(kLinePattern);
    p.run(0, 219);
    p.expectRow(0, 2016, 2016);
    p.expectRow(7, 1984, 1984);
    for (std::int32_t y : {1, 3, 5}) p.expectRow(y, 2000, 2000);
    for (std::int32_t y : {2, 4, 6}) p.expectRow(y, 2000, 2001);
}

// Without smoothing the end pixels get three quarters of their comb signal: each pass copies
// its first pixel without the correction term.
TEST(YccPipeline, ProgressiveExampleWithoutSmoothing) {
    YccPlanes p(6, 8);
    p.setRows(kLinePattern);
    p.run(0, 0);
    for (std::int32_t y : {1, 3, 5}) p.expectRow(y, 2008, 2000);
    for (std::int32_t y : {2, 4, 6}) p.expectRow(y, 1993, 2001);
}

TEST(YccPipeline, DepartureAboveVerticalLimitPasses) {
    YccPlanes p(6, 8);
    p.setRows({2096, 1904, 2096, 1904, 2096, 1904, 2096, 1904});
    p.run(0, 219);
    for (std::int32_t y = 0; y < 8; ++y) {
        p.expectRow(y, y % 2 ? 1904 : 2096, y % 2 ? 1904 : 2096);
    }
}

TEST(YccPipeline, InterlacedIgnoresLinePatternAndFiltersFieldPattern) {
    YccPlanes lines(6, 8);
    lines.setRows(kLinePattern);
    lines.run(1, 219);
    for (std::int32_t y = 0; y < 8; ++y) {
        const std::int16_t v = kLinePattern[static_cast<std::size_t>(y)];
        lines.expectRow(y, v, v);
    }

    YccPlanes fields(6, 8);
    const std::vector<std::int16_t> pattern = {2016, 2016, 1984, 1984, 2016, 2016, 1984, 1984};
    fields.setRows(pattern);
    fields.run(1, 219);
    for (std::int32_t y : {0, 1, 6, 7}) {
        const std::int16_t v = pattern[static_cast<std::size_t>(y)];
        fields.expectRow(y, v, v);
    }
    for (std::int32_t y : {2, 3}) fields.expectRow(y, 2000, 2000);
    for (std::int32_t y : {4, 5}) fields.expectRow(y, 2000, 2001);
}

// Odd components give a comb signal of -1 everywhere; the division must truncate toward zero
// for the frame to come through unchanged.
TEST(YccPipeline, UniformPlaneIsUnchanged) {
    for (std::int16_t v : {std::int16_t{2017}, std::int16_t{240}, std::int16_t{3745}}) {
        for (std::int32_t g : {0, 1, 128, 219, 255}) {
            YccPlanes p(7, 6);
            for (auto& t : p.a) t = Triplet{{v, static_cast<std::int16_t>(v + 1), 2033}};
            p.run(g & 1, g);
            for (std::size_t i = 0; i < p.size(); ++i) {
                ASSERT_EQ(p.b[i].c[0], v);
                ASSERT_EQ(p.b[i].c[1], v + 1);
                ASSERT_EQ(p.b[i].c[2], 2033);
            }
        }
    }
}

TEST(YccPipeline, ZeroThresholdsCorrectNothing) {
    YccPlanes p(6, 8);
    p.setRows(kLinePattern);
    p.run(0, 219, 0, 0, 0);
    for (std::size_t i = 0; i < p.size(); ++i) EXPECT_EQ(p.b[i].c[0], p.a[i].c[0]);
}

TEST(YccPipeline, TestModeOffsetsCombSignal) {
    YccPlanes p(1, 8);  // test mode needs no horizontal pass, so one column works
    p.setRows(kLinePattern);
    p.run(0, 219, 1);
    EXPECT_EQ(p.b[0].c[0], 2048);  // border rows are empty
    EXPECT_EQ(p.b[7].c[0], 2048);
    EXPECT_EQ(p.b[1].c[0], 2048 + 32);  // (2016 >> 1) * 2 - 1984
    EXPECT_EQ(p.b[2].c[0], 2048 - 32);
    EXPECT_EQ(p.b[3].c[1], 2048);
}

// A chroma departure beyond its limit is dropped while the luma of the same pixel survives.
TEST(YccPipeline, LumaAndChromaAreJudgedSeparately) {
    YccPlanes p(4, 3);
    for (std::int32_t x = 0; x < 4; ++x) {
        p.at(p.a, x, 0) = Triplet{{2016, 2032, 2032}};
        p.at(p.a, x, 1) = Triplet{{1984, 2032 + 400, 2032}};
        p.at(p.a, x, 2) = Triplet{{2016, 2032, 2032}};
    }
    p.run(0, 0);
    EXPECT_EQ(p.at(p.b, 1, 1).c[0], 2000);
    EXPECT_EQ(p.at(p.b, 1, 1).c[1], 2032 + 400);
}

}  // namespace
}  // namespace lintra
