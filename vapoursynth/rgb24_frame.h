#pragma once
// RGB24 frames (planar 8-bit R, G, B, each plane with its own stride) through the engine,
// which takes 32-bit pixels: packed into a work entry, filtered, and unpacked.

#include <cstddef>
#include <cstdint>

#include "vapoursynth/work_pool.h"

namespace lintra::vs {

// Planes in VapourSynth's order for RGB: 0 red, 1 green, 2 blue.
struct PlanarRgb {
    std::uint8_t* planes[3];
    std::ptrdiff_t strides[3];  // bytes from one row's start to the next
    std::int32_t width;
    std::int32_t height;
};

// Packs the planes into bytes B, G, R, 0 per pixel, rows without gaps.
void packRgb24(const PlanarRgb& source, std::uint8_t* packed);

// Writes the B, G, R bytes of packed pixels into the planes; byte 3 is not part of the picture.
void unpackRgb24(const std::uint8_t* packed, const PlanarRgb& destination);

// Filters one frame of the pool's size with the entry's settings. Returns 0; 1 when the
// engine refused the frame (the destination is then not written).
int filterRgb24(WorkEntry& entry, const PlanarRgb& source, const PlanarRgb& destination);

}  // namespace lintra::vs
