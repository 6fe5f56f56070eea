#pragma once
// The planar conversions written out the plain way, in double precision: positions of chroma
// samples, linear interpolation, the matrix equations. The fixed-point code must agree with it
// except where the exact value lies on a rounding boundary.

#include <cstdint>
#include <vector>

#include "frontend/planar_picture.h"

namespace lintra::planar::reference {

// A picture as plain sample arrays (row-major, no gaps), with its format.
struct Planes {
    Format format;
    std::int32_t width = 0;
    std::int32_t height = 0;
    std::vector<std::int32_t> plane[3];
    std::int32_t chromaWidth() const;
    std::int32_t chromaHeight() const;
    std::int32_t planeWidth(int p) const {
        return p == 0 || format.family != Family::yuv ? width : chromaWidth();
    }
    std::int32_t planeHeight(int p) const {
        return p == 0 || format.family != Family::yuv ? height : chromaHeight();
    }
    std::int32_t& at(int p, std::int32_t x, std::int32_t y) {
        return plane[p][std::size_t(y) * std::size_t(planeWidth(p)) + std::size_t(x)];
    }
    std::int32_t at(int p, std::int32_t x, std::int32_t y) const {
        return plane[p][std::size_t(y) * std::size_t(planeWidth(p)) + std::size_t(x)];
    }
};

// R, G, B of each pixel before rounding, on the 0..255 scale (not clamped).
struct ExactRgb {
    std::vector<double> channel[3];  // width * height each
};

ExactRgb exactView(const Planes& picture, const Colours& colours);

// The change each sample of each plane gets before rounding, from the 8-bit RGB frames
// (bytes B, G, R, X per pixel, no gaps).
struct ExactChange {
    std::vector<double> plane[3];
};

ExactChange exactCorrection(const Planes& picture, const Colours& colours,
                            const std::vector<std::uint8_t>& before,
                            const std::vector<std::uint8_t>& after);

}  // namespace lintra::planar::reference
