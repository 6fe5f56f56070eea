#pragma once
// How strong the line-alternating pattern of a picture is, as one number.

#include <cstdint>

#include "engine/frame_view.h"

namespace lintra {

// Departures larger than this many 8-bit steps are edges and fine detail, not a pattern.
inline constexpr int kLargestPatternStep = 32;

// The mean absolute line-alternating component, in 8-bit steps: for every pixel of the rows
// that have neighbours n lines above and below, and for each of R, G and B, the departure
// |(p[y - n] + p[y + n]) / 2 - p[y]|, counted as 0 when it exceeds kLargestPatternStep, averaged
// over all of them. n is the filter's line distance (2 for interlaced, 1 for progressive).
// Returns 0 for frames too small to measure.
double patternStrength(const FrameView& frame, std::int32_t lineDistance);

}  // namespace lintra
