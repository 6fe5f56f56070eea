#pragma once
// A picture as the command works on it: the 32-bit frame the filter sees plus, for pictures
// that have one, the alpha channel kept aside.

#include <cstdint>
#include <vector>

#include "engine/frame_view.h"

namespace lintra {

struct Picture {
    std::int32_t width = 0;
    std::int32_t height = 0;
    std::vector<std::uint8_t> bgrx;   // width * height pixels: B, G, R, X; rows without gaps
    std::vector<std::uint8_t> alpha;  // width * height values, or empty for an opaque picture
};

// Sizes the frame for width x height (alpha left empty).
void resizePicture(Picture& picture, std::int32_t width, std::int32_t height);

// The frame of the picture, rows top-down without gaps.
FrameView frameOf(Picture& picture);

}  // namespace lintra
