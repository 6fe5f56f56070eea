#pragma once
// Fixed-point pieces shared by the two comb pipelines.

#include <cstdint>

namespace lintra {

// Coefficients are weights out of 256.
inline constexpr std::int32_t kWeightOne = 256;
inline constexpr std::int32_t kWeightShift = 8;
inline constexpr std::int32_t kWeightHalf = 128;

// Thresholds are 8-bit steps; the planes hold sixteenths of a step. Limits are 64-bit so
// thresholds up to 65535 from a script line square without wrapping. Larger magnitudes (the
// engine API takes any int32) are held at 2^26 before squaring: 2^60 is still far beyond
// any distance, and the square cannot overflow.
inline constexpr std::int64_t kLargestSquaredThreshold = std::int64_t{1} << 26;
inline std::int64_t linearLimit(std::int32_t threshold) {
    return 16 * static_cast<std::int64_t>(threshold);
}
inline std::int64_t squaredLimit(std::int32_t threshold) {
    std::int64_t t = threshold < 0 ? -static_cast<std::int64_t>(threshold) : threshold;
    if (t > kLargestSquaredThreshold) t = kLargestSquaredThreshold;
    return (16 * t) * (16 * t);
}

inline std::int64_t square(std::int32_t v) {
    return static_cast<std::int64_t>(v) * v;
}

inline std::int32_t magnitude(std::int32_t v) {
    return v < 0 ? -v : v;
}

// One step of the recursive average: the new state including sample c.
inline std::int32_t smooth(std::int32_t c, std::int32_t s, std::int32_t g) {
    return ((kWeightOne - g) * c + g * s + kWeightHalf) >> kWeightShift;
}

// The state less half the current sample's own share: what one pass stores.
inline std::int32_t lessOwnHalf(std::int32_t s, std::int32_t c, std::int32_t g) {
    return s - (((kWeightOne - g) * c + kWeightOne) >> 9);
}

inline std::int16_t narrow(std::int32_t v) {
    return static_cast<std::int16_t>(v);
}

inline std::int32_t clampTo(std::int32_t v, std::int32_t hi) {
    return v < 0 ? 0 : (v > hi ? hi : v);
}

}  // namespace lintra
