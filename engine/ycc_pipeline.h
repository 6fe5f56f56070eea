#pragma once
// The luma/chroma comb filter over 12-bit (Y, Cr, Cb) planes.

#include <cstdint>

#include "engine/frame_view.h"

namespace lintra {

// Reads plane A, leaves the result in plane B; C is scratch. Needs h > 2n and w >= 2
// (w >= 1 in test mode). Coefficients must lie in 0..255.
void filterYcc(const WorkPlane* a, WorkPlane* b, WorkPlane* c, std::int32_t w, std::int32_t h,
               std::int32_t yVerticalThreshold, std::int32_t uvVerticalThreshold,
               std::int32_t yHorizontalThreshold, std::int32_t uvHorizontalThreshold,
               std::int32_t interlaced, std::int32_t testMode, std::int32_t gY, std::int32_t gC);

}  // namespace lintra
