// The single multiply-high division: whatever multiplier is offered is exact (checked here
// in 64-bit arithmetic) for every dividend up to the bound asked for, on both sides of zero.

#include "engine/x86/short_division.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>

namespace lintra::x86 {
namespace {

template <int kScaleShift>
void checkOffers(std::int32_t largest) {
    for (std::int32_t g = 0; g < 256; ++g) {
        const std::int64_t magic = shortMagicFor<kScaleShift>(g, largest);
        if (magic == 0) continue;
        ASSERT_LE(magic, 0x7FFF);
        // As the kernels take it: the signed product's upper half, plus 1 below zero.
        for (std::int64_t a = -largest; a <= largest; ++a) {
            const std::int64_t quotient = a * (std::int64_t{1} << kScaleShift) / (g + 256);
            ASSERT_EQ(((a * magic) >> 16) + (a < 0 ? 1 : 0), quotient)
                << "g " << g << ", a " << a << ", bound " << largest;
        }
    }
}

TEST(ShortDivision, OffersAreExactUpToTheBound) {
    for (const std::int32_t largest : {0, 1, 100, 243, 963, 3000, kLargestDividend}) {
        checkOffers<7>(largest);
        checkOffers<3>(largest);
    }
    EXPECT_EQ(shortMagicFor<7>(0, kLargestDividend), 0);  // a / 2 needs 32768: too large
    EXPECT_EQ(shortMagicFor<7>(219, kLargestDividend + 1), 0);
    EXPECT_EQ(shortMagicFor<7>(-1, 10), 0);
    EXPECT_EQ(shortMagicFor<3>(256, 10), 0);
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
