#pragma once
// The integer constants of the RGB view and of the correction, derived once per call from the
// matrix, the range and the bit depth. Everything per pixel is integer arithmetic with them.

#include <cstdint>

#include "frontend/planar_picture.h"

namespace lintra::planar {

// Fraction bits of the constants.
inline constexpr int kViewShift = 40;
inline constexpr int kCorrectionShift = 24;

// Sample levels at the picture's depth.
struct Levels {
    std::int32_t lumaOffset;    // black
    std::int32_t lumaScale;     // white - black
    std::int32_t chromaOffset;  // no colour
    std::int32_t chromaScale;   // the full swing of Cb or Cr
    std::int32_t maximum;       // 2^depth - 1
};

Levels levelsOf(const Format& format, Range range);

// 8-bit RGB from Y and from chroma sums weighted `chromaWeight` in total:
//   R = (y * (Y - lumaOffset) + crR * cr + half) >> kViewShift, where cr is the chroma sum
//   less chromaOffset * chromaWeight; G takes cbG and crG, B cbB. Grey pictures use y only.
struct ViewCoefficients {
    std::int64_t y;
    std::int64_t crR;
    std::int64_t cbG;
    std::int64_t crG;
    std::int64_t cbB;
};

ViewCoefficients viewCoefficients(Matrix matrix, const Levels& levels, std::int32_t chromaWeight);

// A change of 8-bit R, G and B carried to the picture's levels, in units of 2^-kCorrectionShift:
// luma from (yR, yG, yB), Cb and Cr likewise. A grey change leaves Cb and Cr exactly alone.
struct CorrectionCoefficients {
    std::int64_t yR, yG, yB;
    std::int64_t cbR, cbG, cbB;
    std::int64_t crR, crG, crB;
};

CorrectionCoefficients correctionCoefficients(Matrix matrix, const Levels& levels);

// RGB pictures: 8-bit view = (sample * toView + half) >> kViewShift, and a change of the view
// is carried back times fromView, in units of 2^-kCorrectionShift.
std::int64_t rgbToView(std::int32_t bitDepth);
std::int64_t rgbFromView(std::int32_t bitDepth);

// value / divisor rounded half away from zero (divisor > 0).
inline std::int64_t roundedDivide(std::int64_t value, std::int64_t divisor) {
    return value >= 0 ? (value + divisor / 2) / divisor : -((-value + divisor / 2) / divisor);
}

}  // namespace lintra::planar
