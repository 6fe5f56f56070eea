#pragma once
// The built-in sample: a generated test scene (colour bars, gradients, fine horizontal lines,
// blocky lettering) with a small line-alternating pattern added in luma and chroma, the kind
// composite decoding leaves in a capture.

#include <array>
#include <cstdint>

#include "cli/picture.h"

namespace lintra {

inline constexpr std::int32_t kSampleWidth = 720;
inline constexpr std::int32_t kSampleHeight = 576;

struct SampleRegion {
    std::int32_t x;
    std::int32_t y;
    std::int32_t width;
    std::int32_t height;
};

// The two patches of fine horizontal lines: one line bright, one dark; and two bright, two
// dark. Both are far stronger than any pattern the default thresholds take for one.
std::array<SampleRegion, 2> sampleDetailRegions();

// Writes the 720x576 sample, with or without the added pattern. The pattern alternates in
// sign every two lines (++--), so each field of the woven frame alternates line by line, as
// the default interlaced setting expects. Deterministic.
void makeSamplePicture(Picture& picture, bool withPattern);

}  // namespace lintra
