#include "engine/colour_conversion.h"

#include <cstdint>

#include "engine/colour_constants.h"

namespace lintra {

void rgbToYcc(const FrameView& source, WorkPlane* plane) {
    const std::uint8_t* row = source.pixels;
    const std::intptr_t stride = rowStride(source);
    Triplet* out = plane;
    for (std::int32_t y = 0; y < source.height; ++y, row += stride) {
        const std::uint8_t* p = row;
        for (std::int32_t x = 0; x < source.width; ++x, p += 4, ++out) {
            *out = yccFromBgr(p[0], p[1], p[2]);
        }
    }
}

void yccToRgb(const WorkPlane* plane, const FrameView& destination) {
    std::uint8_t* row = destination.pixels;
    const std::intptr_t stride = rowStride(destination);
    const Triplet* in = plane;
    for (std::int32_t y = 0; y < destination.height; ++y, row += stride) {
        std::uint8_t* p = row;
        for (std::int32_t x = 0; x < destination.width; ++x, p += 4, ++in) {
            storePixel(p, pixelFromYcc(*in));
        }
    }
}

}  // namespace lintra
