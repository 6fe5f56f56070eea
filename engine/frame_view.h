#pragma once
// Shared picture types: a 32-bit frame in memory and the 16-bit work planes.

#include <cstdint>

namespace lintra {

// A 32-bit image: pixel 0x00RRGGBB little-endian (byte 0 blue, 1 green, 2 red, 3 unused).
// rowGap is the number of bytes between the end of one row's width * 4 pixel bytes and the
// start of the next; it is signed, so rows may run bottom-up in memory.
struct FrameView {
    std::uint8_t* pixels;  // first byte of the first row in memory order
    std::int32_t width;
    std::int32_t height;
    std::int32_t rowGap;
};

// Three signed 16-bit components of one pixel: (Y, Cr, Cb) or (R, G, B).
struct Triplet {
    std::int16_t c[3];
};
static_assert(sizeof(Triplet) == 6, "a Triplet is three packed 16-bit components");

// A work plane is width * height Triplets, row-major in the frame's row order, no row gap.
// Plane references point at its first Triplet.
using WorkPlane = Triplet;

// Byte distance between the starts of two successive rows (may be negative).
inline std::intptr_t rowStride(const FrameView& frame) {
    return static_cast<std::intptr_t>(frame.width) * 4 + frame.rowGap;
}

}  // namespace lintra
