#pragma once
// The settings of one filter instance and the rule that turns an averaging length into a
// smoothing coefficient.

#include <cstdint>

namespace lintra {

// Eleven signed 32-bit fields in a fixed order: they are the head of the instance record
// whose size the module declares to the host.
struct FilterSettings {
    std::int32_t yAverage;               // luma / RGB averaging length, pixels
    std::int32_t uvAverage;              // chroma averaging length, pixels
    std::int32_t yCoefficient;           // smoothing weight out of 256, from yAverage
    std::int32_t uvCoefficient;          // smoothing weight out of 256, from uvAverage
    std::int32_t yHorizontalThreshold;   // 8-bit steps
    std::int32_t uvHorizontalThreshold;  // 8-bit steps
    std::int32_t yVerticalThreshold;     // 8-bit steps
    std::int32_t uvVerticalThreshold;    // 8-bit steps
    std::int32_t interlaced;             // non-zero: compare lines two apart
    std::int32_t testMode;               // non-zero: show the comb signal
    std::int32_t rgbProcessing;          // non-zero: filter R, G, B as one vector
};
static_assert(sizeof(FilterSettings) == 44, "eleven 32-bit settings");

inline constexpr std::int32_t kMaxCoefficient = 255;

// Writes the default settings (coefficients included). Returns 0.
int setDefaults(FilterSettings& settings);

// Smoothing weight out of 256 for an averaging length; no clamping of the length.
std::int32_t averagingCoefficient(std::int32_t length);

}  // namespace lintra
