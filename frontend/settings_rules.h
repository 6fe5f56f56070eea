#pragma once
// The ranges the settings dialog keeps: lengths 1..1023 with their coefficients derived,
// thresholds 0..511. Every front end that takes single settings from a user applies them.

#include <cstdint>

#include "engine/filter_settings.h"

namespace lintra {

inline constexpr std::int32_t kMaxAverageLength = 1023;
inline constexpr std::int32_t kMaxThreshold = 511;

// A length below 2 becomes 1 with coefficient 0 (no smoothing); a longer one is held to at
// most 1023 and its coefficient derived. The coefficient is then capped at 255.
void clampLength(std::int32_t& length, std::int32_t& coefficient);

// A threshold held to 0..511.
std::int32_t clampThreshold(std::int32_t threshold);

// Both lengths with their coefficients, then the four thresholds, in that order.
void clampToDialogRanges(FilterSettings& settings);

}  // namespace lintra
