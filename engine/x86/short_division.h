#pragma once
// Truncating division by D = g + 256 (g in 0..255) with a single signed multiply-high, where
// the dividends are known to be small: for a from 1 up to a range that depends on D and the
// multiplier, (a * magic) >> 16 = floor(a * 2^s / D) and (-a * magic) >> 16, rounded down as
// well, lies just one below -floor(a * 2^s / D), which adding 1 for negative dividends puts
// right. For the coefficients of a run and the bound its limits put on the dividends, the
// dispatcher checks whether one of the two multipliers around 2^(16 + s) / D is exact that
// far on both sides of zero (again only when the settings change); if not, the kernels take
// the division with a remainder check instead. The check stops at the first failure, which
// for most D comes within a few hundred dividends, and runs at most a few ten thousand steps.
// Plain integers only.

#include <cstdint>
#include <initializer_list>

namespace lintra::x86 {

// The dividends of the recombination stay below 2^14 (see simd_dispatch.cpp).
inline constexpr std::int32_t kLargestDividend = (1 << 14) - 1;

inline bool exactUpTo(std::int32_t magic, std::int32_t d, int s, std::int32_t largest) {
    for (std::int32_t a = 1; a <= largest; ++a) {
        const std::int32_t q = (a << s) / d;
        if (((a * magic) >> 16) != q || ((-a * magic) >> 16) + 1 != -q) return false;
    }
    return true;
}

// The multiplier for coefficient g if it is exact for every dividend of magnitude up to
// `largest`; 0 otherwise. It must fit a signed 16-bit factor.
template <int kScaleShift>
inline std::int32_t shortMagicFor(std::int32_t g, std::int32_t largest) {
    if (g < 0 || g > 255 || largest < 0 || largest > kLargestDividend) return 0;
    const std::int32_t d = g + 256;
    const std::int32_t low = (1 << (16 + kScaleShift)) / d;
    for (const std::int32_t magic : {low, low + 1}) {
        if (magic <= 0x7FFF && exactUpTo(magic, d, kScaleShift, largest)) return magic;
    }
    return 0;
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

// With 8-bit input, converted samples lie within 240 .. 3824 (luma within 240 .. 3745).
inline constexpr std::int32_t kLeastSample = 240;
inline constexpr std::int32_t kGreatestSample = 3824;

// Largest magnitude of a recombination's correction, ((forward + backward + 1) * 128) /
// (g + 256), when every comb value lies within +-c. Each pass stores its first sample m whole
// (within +-c), every other one as its running average s less h = ((256 - g) * m + 256) >> 9.
// The average moves from the previous one, p, towards m ((256 - g) * m + g * p + 128) >> 8, or
// restarts at m, so s - h = (2g * p + (256 - g) * m + e) / 512 with -510 <= e <= 511 and
// |p|, |m| <= c: within ((256 + g) * c + 511) / 512.
inline std::int32_t largestCorrection(std::int32_t c, std::int32_t g) {
    const std::int64_t d = 256 + static_cast<std::int64_t>(g);
    const std::int64_t averaged = (d * c + 511 + 511) / 512;  // rounded up
    const std::int64_t stored = averaged > c ? averaged : c;
    return static_cast<std::int32_t>((2 * stored + 1) * 128 / d);
}

// Whether every recombined sample stays within 0 .. 4095 without being clamped, for 8-bit
// input, comb values within +-c and coefficient g.
inline bool recombinedInRange(std::int32_t c, std::int32_t g) {
    const std::int32_t room =
        kLeastSample < 4095 - kGreatestSample ? kLeastSample : 4095 - kGreatestSample;
    return largestCorrection(c, g) <= room;
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
