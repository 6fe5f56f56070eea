// The single multiply-high division's table: each entry exact over its stated range (checked
// here in 64-bit arithmetic), and that range as long as its magic number allows.

#include "engine/x86/short_division.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>

namespace lintra::x86 {
namespace {

template <int kScaleShift>
void checkTable() {
    for (std::int32_t g = 0; g < 256; ++g) {
        const ShortDivision& entry = kShortDivisions<kScaleShift>[static_cast<std::size_t>(g)];
        const std::int64_t d = g + 256;
        auto exact = [&](std::int64_t a) {
            return ((a * entry.magic) >> 16) == ((a << kScaleShift) / d);
        };
        ASSERT_GT(entry.magic, 0);
        ASSERT_LE(entry.magic, 0xFFFF);
        for (std::int64_t a = 0; a <= entry.exactUpTo; ++a) {
            ASSERT_TRUE(exact(a)) << "g " << g << ", a " << a;
        }
        if (entry.exactUpTo < kLargestDividend) {
            EXPECT_FALSE(exact(entry.exactUpTo + 1)) << g;
        }
    }
}

TEST(ShortDivision, EveryEntryExactOverItsRange) {
    checkTable<7>();
    checkTable<3>();
}

// The default lengths (10 and 3) and thresholds (5 and 20) take it.
TEST(ShortDivision, DefaultSettingsTakeIt) {
    EXPECT_NE(shortMagicFor<7>(219, largestDividend(combBound(80, kMaxYccComb), 1)), 0);
    EXPECT_NE(shortMagicFor<7>(128, largestDividend(combBound(320, kMaxYccComb), 1)), 0);
    EXPECT_EQ(shortMagicFor<7>(219, largestDividend(kMaxYccComb, 1)), 0);
    EXPECT_EQ(shortMagicFor<7>(300, 0), 0);
}

TEST(ShortDivision, SquareRootRoundsDown) {
    for (const std::int32_t v : {0, 1, 2, 3, 4, 15, 16, 17, 6399, 6400, 6401, 102399, 102400,
                                 2147395599, 2147395600, INT32_MAX}) {
        const auto r = static_cast<std::int64_t>(squareRootOf(v));
        EXPECT_LE(r * r, v) << v;
        EXPECT_GT((r + 1) * (r + 1), v) << v;
    }
    EXPECT_EQ(squareRootOf(-5), 0);
    EXPECT_EQ(combBound(-1, kMaxYccComb), 0);
    EXPECT_EQ(combBound(40000, kMaxRgbComb), kMaxRgbComb);
}

}  // namespace
}  // namespace lintra::x86
