#include "frontend/planar_coefficients.h"

#include <cmath>

namespace lintra::planar {
namespace {

struct LumaWeights {
    double kr;
    double kb;
};

// Kr and Kb of each matrix (BT.601, BT.709, BT.2020, SMPTE 240M, FCC 73.682).
LumaWeights weightsOf(Matrix matrix) {
    switch (matrix) {
        case Matrix::bt709:
            return {0.2126, 0.0722};
        case Matrix::bt2020nc:
            return {0.2627, 0.0593};
        case Matrix::smpte240m:
            return {0.212, 0.087};
        case Matrix::fcc:
            return {0.30, 0.11};
        case Matrix::bt601:
            break;
    }
    return {0.299, 0.114};
}

std::int64_t fixed(double value, int shift) {
    return std::llround(std::ldexp(value, shift));
}

}  // namespace

Levels levelsOf(const Format& format, Range range) {
    const std::int32_t depth = format.bitDepth;
    const std::int32_t maximum = (1 << depth) - 1;
    const std::int32_t neutral = 1 << (depth - 1);
    if (range == Range::full) return {0, maximum, neutral, maximum, maximum};
    const std::int32_t step = 1 << (depth - 8);  // one 8-bit code
    return {16 * step, 219 * step, neutral, 224 * step, maximum};
}

ViewCoefficients viewCoefficients(Matrix matrix, const Levels& levels, std::int32_t chromaWeight) {
    const LumaWeights w = weightsOf(matrix);
    const double kg = 1.0 - w.kr - w.kb;
    const double chroma = 255.0 / (levels.chromaScale * static_cast<double>(chromaWeight));
    ViewCoefficients c{};
    c.y = fixed(255.0 / levels.lumaScale, kViewShift);
    c.crR = fixed(2.0 * (1.0 - w.kr) * chroma, kViewShift);
    c.cbG = fixed(-2.0 * w.kb * (1.0 - w.kb) / kg * chroma, kViewShift);
    c.crG = fixed(-2.0 * w.kr * (1.0 - w.kr) / kg * chroma, kViewShift);
    c.cbB = fixed(2.0 * (1.0 - w.kb) * chroma, kViewShift);
    return c;
}

CorrectionCoefficients correctionCoefficients(Matrix matrix, const Levels& levels) {
    const LumaWeights w = weightsOf(matrix);
    const double luma = levels.lumaScale / 255.0;
    const double chroma = levels.chromaScale / 255.0;
    CorrectionCoefficients c{};
    // The green weights take what the others leave, so that a grey change of d moves luma by
    // exactly d * lumaScale / 255 and chroma not at all.
    const std::int64_t lumaTotal = fixed(luma, kCorrectionShift);
    c.yR = fixed(w.kr * luma, kCorrectionShift);
    c.yB = fixed(w.kb * luma, kCorrectionShift);
    c.yG = lumaTotal - c.yR - c.yB;
    c.cbR = fixed(-w.kr / (2.0 * (1.0 - w.kb)) * chroma, kCorrectionShift);
    c.cbB = fixed(0.5 * chroma, kCorrectionShift);
    c.cbG = -c.cbR - c.cbB;
    c.crB = fixed(-w.kb / (2.0 * (1.0 - w.kr)) * chroma, kCorrectionShift);
    c.crR = fixed(0.5 * chroma, kCorrectionShift);
    c.crG = -c.crR - c.crB;
    return c;
}

std::int64_t rgbToView(std::int32_t bitDepth) {
    return fixed(255.0 / ((1 << bitDepth) - 1), kViewShift);
}

std::int64_t rgbFromView(std::int32_t bitDepth) {
    return fixed(((1 << bitDepth) - 1) / 255.0, kCorrectionShift);
}

}  // namespace lintra::planar
