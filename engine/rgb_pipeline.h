#pragma once
// The RGB comb filter: the three colour channels judged together as one vector.

#include <cstdint>

#include "engine/frame_view.h"

namespace lintra {

// Reads the source frame, uses planes A and B, writes the destination. Needs h > 2n and
// w >= 2 (w >= 1 in test mode). The coefficient must lie in 0..255.
void filterRgb(const std::uint8_t* source, std::uint8_t* destination, WorkPlane* a, WorkPlane* b,
               std::int32_t w, std::int32_t h, std::int32_t sourceRowGap,
               std::int32_t destinationRowGap, std::int32_t yVerticalThreshold,
               std::int32_t yHorizontalThreshold, std::int32_t interlaced, std::int32_t testMode,
               std::int32_t g);

}  // namespace lintra
