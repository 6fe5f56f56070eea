#pragma once
// Truncating division by D = g + 256 (g in 0..255) with a single multiply-high, where the
// dividends are known to be small. floor(a * 2^s / D) = (a * magic) >> 16 holds for every
// a from 0 up to a range that depends on D; the table holds, for each D, the magic number
// with the longest such range, worked out when the engine is compiled. A frame whose
// dividends can leave that range takes the division with a remainder check instead.
// Plain integers only: included by every level's kernels.

#include <array>
#include <cstdint>

namespace lintra::x86 {

struct ShortDivision {
    std::int32_t magic;      // unsigned 16-bit
    std::int32_t exactUpTo;  // (a * magic) >> 16 == (a << s) / D for all 0 <= a <= this
};

// The dividends of the recombination stay below 2^14 (see simd_dispatch.cpp).
inline constexpr std::int32_t kLargestDividend = (1 << 14) - 1;

constexpr std::int32_t exactRangeOf(std::int32_t magic, std::int32_t d, int s) {
    for (std::int32_t a = 1; a <= kLargestDividend; ++a) {
        if (((a * magic) >> 16) != ((a << s) / d)) return a - 1;
    }
    return kLargestDividend;
}

// The better of the two magic numbers around 2^(16 + s) / D.
constexpr ShortDivision shortDivisionOf(std::int32_t d, int s) {
    const std::int32_t low = (1 << (16 + s)) / d;
    ShortDivision best{low, exactRangeOf(low, d, s)};
    if (low + 1 <= 0xFFFF) {
        const std::int32_t range = exactRangeOf(low + 1, d, s);
        if (range > best.exactUpTo) best = ShortDivision{low + 1, range};
    }
    return best;
}

template <int kScaleShift>
constexpr std::array<ShortDivision, 256> shortDivisionTable() {
    std::array<ShortDivision, 256> table{};
    for (std::int32_t g = 0; g < 256; ++g)
        table[static_cast<std::size_t>(g)] = shortDivisionOf(g + 256, kScaleShift);
    return table;
}

template <int kScaleShift>
inline constexpr std::array<ShortDivision, 256> kShortDivisions = shortDivisionTable<kScaleShift>();

// The division for coefficient g, if every dividend of magnitude up to `largest` is in its
// exact range; magic 0 otherwise.
template <int kScaleShift>
inline std::int32_t shortMagicFor(std::int32_t g, std::int32_t largest) {
    if (g < 0 || g > 255) return 0;
    const ShortDivision& d = kShortDivisions<kScaleShift>[static_cast<std::size_t>(g)];
    return largest <= d.exactUpTo ? d.magic : 0;
}

// With 8-bit input, comb values lie within +-3584 (YUV) and +-4080 (RGB); see
// simd_dispatch.cpp.
inline constexpr std::int32_t kMaxYccComb = 3584;
inline constexpr std::int32_t kMaxRgbComb = 4080;

// The bound on comb values that a vertical limit (linear, or its square root) leaves.
inline std::int32_t combBound(std::int32_t limit, std::int32_t largest) {
    return limit < 0 ? 0 : (limit > largest ? largest : limit);
}

// Largest magnitude a dividend (forward + backward + rounding) can reach when every comb
// value lies within +-c: the running averages stay within +-c and each pass stores its
// average less at most (c + 1) / 2, so the sum stays within 3c + 1 of the rounding term.
inline std::int32_t largestDividend(std::int32_t c, std::int32_t rounding) {
    return 3 * c + 1 + rounding;
}

// Integer square root, rounded down, of a 32-bit value (0 for negative values).
inline std::int32_t squareRootOf(std::int32_t v) {
    std::int64_t low = 0, high = 46341;  // 46341^2 is past INT32_MAX
    while (low < high) {
        const std::int64_t mid = (low + high + 1) / 2;
        if (mid * mid <= v) {
            low = mid;
        } else {
            high = mid - 1;
        }
    }
    return static_cast<std::int32_t>(low);
}

}  // namespace lintra::x86
