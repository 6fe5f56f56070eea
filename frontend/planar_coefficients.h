#pragma once
// The integer constants of the RGB view and of the correction, derived once per call from the
// matrix, the range and the bit depth. Everything per pixel is 32-bit integer arithmetic with
// them (64-bit only once per chroma sample of a correction).

#include <cstdint>

#include "frontend/planar_picture.h"

namespace lintra::planar {

// The helpers below have internal linkage: these headers are compiled into the AVX2 forms
// too, and no other translation unit may end up with those copies.

// The view takes every sample at 14 bits (six bits finer than the 8-bit result): depths up to
// 14 exactly, deeper ones with their lowest bits dropped. Its constants have 20 fraction bits,
// which keeps every sum within 31 bits.
inline constexpr int kNormalBits = 14;
inline constexpr int kViewShift = 20;
// Corrections of chroma: constants with 24 fraction bits, applied in 64 bits.
inline constexpr int kCorrectionShift = 24;

// Kr and Kb of a matrix (Kg = 1 - Kr - Kb).
struct LumaWeights {
    double kr;
    double kb;
};
LumaWeights lumaWeights(Matrix matrix);

// Sample levels at the picture's depth.
struct Levels {
    std::int32_t lumaOffset;    // black
    std::int32_t lumaScale;     // white - black
    std::int32_t chromaOffset;  // no colour
    std::int32_t chromaScale;   // the full swing of Cb or Cr
    std::int32_t maximum;       // 2^depth - 1
};

Levels levelsOf(const Format& format, Range range);

// value * 2^shift for shift >= 0, else value / 2^-shift rounded down.
static inline std::int32_t scaled(std::int32_t value, int shift) {
    return shift >= 0 ? value * (1 << shift) : value >> -shift;
}

// A sample at depth `depth` (less its offset) at 14 bits; a chroma sum of total weight
// 2^weightLog2 likewise.
static inline int normalShift(int depth, int weightLog2 = 0) {
    return kNormalBits - depth - weightLog2;
}

// 8-bit RGB from normalised luma yN and chroma cbN, crN:
//   R = (y * yN + crR * crN + half) >> kViewShift, G with cbG and crG, B with cbB.
struct ViewCoefficients {
    std::int32_t y;
    std::int32_t crR;
    std::int32_t cbG;
    std::int32_t crG;
    std::int32_t cbB;
};

ViewCoefficients viewCoefficients(Matrix matrix, const Levels& levels, std::int32_t depth);

// A change of 8-bit R, G and B carried to the picture's levels. Luma in 32 bits, in units of
// 2^-lumaShift (lumaShift = 30 - depth, so that the largest change stays within 31 bits);
// chroma in units of 2^-kCorrectionShift. Green takes what red and blue leave, so a grey change
// of d moves luma by exactly d * lumaScale / 255 and chroma not at all.
struct CorrectionCoefficients {
    int lumaShift;
    std::int32_t yR, yG, yB;
    std::int64_t cbR, cbG, cbB;
    std::int64_t crR, crG, crB;
};

CorrectionCoefficients correctionCoefficients(Matrix matrix, const Levels& levels,
                                              std::int32_t depth);

// RGB pictures: 8-bit view = (sample normalised * rgbToView + half) >> kViewShift (the sample
// itself at 8 bits), and a change of the view is carried back times rgbFromView, in units of
// 2^-(30 - depth).
std::int32_t rgbToView(std::int32_t depth);
std::int32_t rgbFromView(std::int32_t depth);

// value / divisor rounded half away from zero (divisor > 0).
static inline std::int64_t roundedDivide(std::int64_t value, std::int64_t divisor) {
    return value >= 0 ? (value + divisor / 2) / divisor : -((-value + divisor / 2) / divisor);
}

// The same for divisor = 2^shift (shift >= 1), without dividing or branching: the magnitude
// is rounded and the sign put back.
template <typename Int>
static inline Int roundedShift(Int value, int shift) {
    const Int sign = value >> (sizeof(Int) * 8 - 1);  // 0 or -1
    const Int magnitude = (value ^ sign) - sign;
    const Int rounded = (magnitude + (Int{1} << (shift - 1))) >> shift;
    return (rounded ^ sign) - sign;
}

}  // namespace lintra::planar
