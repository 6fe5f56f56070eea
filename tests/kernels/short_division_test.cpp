// The single multiply-high division: whatever multiplier is offered is exact (checked here
// in 64-bit arithmetic) for every dividend up to the bound asked for, on both sides of zero.
// The bound on the recombination's corrections holds for any comb values within the limit and
// any pattern of restarts.

#include "engine/x86/short_division.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <random>
#include <vector>

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

// One row's corrections as the definition forms them from comb values m (both passes restarting
// where `restart` says, each pass storing its first sample whole); the largest magnitude.
std::int32_t largestCorrectionOfRow(const std::vector<std::int32_t>& m,
                                    const std::vector<bool>& restart, std::int32_t g) {
    const auto n = static_cast<std::int32_t>(m.size());
    auto pass = [&](std::int32_t from, std::int32_t step) {
        std::vector<std::int32_t> out(m.size());
        std::int32_t s = m[static_cast<std::size_t>(from)];
        out[static_cast<std::size_t>(from)] = s;
        for (std::int32_t x = from + step; x >= 0 && x < n; x += step) {
            const std::int32_t c = m[static_cast<std::size_t>(x)];
            s = restart[static_cast<std::size_t>(x)] ? c : ((256 - g) * c + g * s + 128) >> 8;
            out[static_cast<std::size_t>(x)] = s - (((256 - g) * c + 256) >> 9);
        }
        return out;
    };
    const std::vector<std::int32_t> forward = pass(0, 1), backward = pass(n - 1, -1);
    std::int32_t largest = 0;
    for (std::size_t x = 0; x < m.size(); ++x) {
        const std::int32_t v = ((forward[x] + backward[x] + 1) * 128) / (g + 256);
        largest = std::max(largest, v < 0 ? -v : v);
    }
    return largest;
}

TEST(RecombinationRange, CorrectionsStayWithinTheirBound) {
    std::mt19937 rng(7);
    for (const std::int32_t g : {0, 1, 64, 128, 219, 254, 255}) {
        for (const std::int32_t c : {0, 1, 7, 80, 320, 352, 1000, kMaxYccComb}) {
            const std::int32_t bound = largestCorrection(c, g);
            for (int round = 0; round < 300; ++round) {
                const std::int32_t n = 2 + static_cast<std::int32_t>(rng() % 40);
                std::vector<std::int32_t> m(static_cast<std::size_t>(n));
                std::vector<bool> restart(static_cast<std::size_t>(n));
                for (std::int32_t x = 0; x < n; ++x) {
                    // Mostly the extremes, in runs and alternating, sometimes anything between.
                    const std::uint32_t kind = rng() % 4;
                    m[static_cast<std::size_t>(x)] =
                        kind == 0   ? c
                        : kind == 1 ? -c
                        : kind == 2 ? (x % 2 == 0 ? c : -c)
                                    : static_cast<std::int32_t>(
                                          rng() % static_cast<std::uint32_t>(2 * c + 1)) -
                                          c;
                    restart[static_cast<std::size_t>(x)] =
                        rng() % static_cast<std::uint32_t>(1 + round % 5) == 0;
                }
                ASSERT_LE(largestCorrectionOfRow(m, restart, g), bound)
                    << "g " << g << ", c " << c << ", round " << round;
            }
        }
    }
}

// The default settings (comb values within +-80 for luma at g 219, +-320 for chroma at
// g 128) need no clamp; the largest comb values do.
TEST(RecombinationRange, DefaultSettingsNeedNoClamp) {
    EXPECT_TRUE(recombinedInRange(80, 219));
    EXPECT_TRUE(recombinedInRange(320, 128));
    EXPECT_FALSE(recombinedInRange(kMaxYccComb, 128));
    EXPECT_FALSE(recombinedInRange(400, 0));
}

}  // namespace
}  // namespace lintra::x86
