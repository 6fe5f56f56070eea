#pragma once
// A straightforward, literal implementation of the whole filter: 2-D planes indexed [y][x],
// every stage a separate pass exactly as the filter is defined, 64-bit limits. Slow on
// purpose; it is what every faster path is compared against.

#include <cstdint>

#include "engine/filter_settings.h"
#include "engine/frame_view.h"

namespace lintra::reference {

// (Y, Cr, Cb) of one pixel and the pixel of one (Y, Cr, Cb) Triplet.
Triplet rgbToYccPixel(std::uint8_t r, std::uint8_t g, std::uint8_t b);
std::uint32_t yccToRgbPixel(const Triplet& t);

// What runFrame does to a frame with these settings: both pipelines, test modes, and the
// pass-through of frames too small to filter. Writes destination with the source's size.
void filterFrame(const FilterSettings& settings, const FrameView& source,
                 const FrameView& destination);

}  // namespace lintra::reference
