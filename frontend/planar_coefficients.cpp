#include "frontend/planar_coefficients.h"

#include <cmath>

namespace lintra::planar {
namespace {

std::int64_t fixed(double value, int shift) {
    return std::llround(std::ldexp(value, shift));
}

std::int32_t fixed32(double value, int shift) {
    return static_cast<std::int32_t>(fixed(value, shift));
}

}  // namespace

// BT.601, BT.709, BT.2020, SMPTE 240M, FCC 73.682.
LumaWeights lumaWeights(Matrix matrix) {
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

Levels levelsOf(const Format& format, Range range) {
    const std::int32_t depth = format.bitDepth;
    const std::int32_t maximum = (1 << depth) - 1;
    const std::int32_t neutral = 1 << (depth - 1);
    if (range == Range::full) return {0, maximum, neutral, maximum, maximum};
    const std::int32_t step = 1 << (depth - 8);  // one 8-bit code
    return {16 * step, 219 * step, neutral, 224 * step, maximum};
}

ViewCoefficients viewCoefficients(Matrix matrix, const Levels& levels, std::int32_t depth) {
    const LumaWeights w = lumaWeights(matrix);
    const double kg = 1.0 - w.kr - w.kb;
    // Normalised samples are the depth's samples times 2^normalShift.
    const double normal = std::ldexp(1.0, normalShift(depth));
    const double luma = 255.0 / (levels.lumaScale * normal);
    const double chroma = 255.0 / (levels.chromaScale * normal);
    ViewCoefficients c{};
    c.y = fixed32(luma, kViewShift);
    c.crR = fixed32(2.0 * (1.0 - w.kr) * chroma, kViewShift);
    c.cbG = fixed32(-2.0 * w.kb * (1.0 - w.kb) / kg * chroma, kViewShift);
    c.crG = fixed32(-2.0 * w.kr * (1.0 - w.kr) / kg * chroma, kViewShift);
    c.cbB = fixed32(2.0 * (1.0 - w.kb) * chroma, kViewShift);
    return c;
}

CorrectionCoefficients correctionCoefficients(Matrix matrix, const Levels& levels,
                                              std::int32_t depth) {
    const LumaWeights w = lumaWeights(matrix);
    const double luma = levels.lumaScale / 255.0;
    const double chroma = levels.chromaScale / 255.0;
    CorrectionCoefficients c{};
    c.lumaShift = 30 - depth;
    const std::int32_t lumaTotal = fixed32(luma, c.lumaShift);
    c.yR = fixed32(w.kr * luma, c.lumaShift);
    c.yB = fixed32(w.kb * luma, c.lumaShift);
    c.yG = lumaTotal - c.yR - c.yB;
    c.cbR = fixed(-w.kr / (2.0 * (1.0 - w.kb)) * chroma, kCorrectionShift);
    c.cbB = fixed(0.5 * chroma, kCorrectionShift);
    c.cbG = -c.cbR - c.cbB;
    c.crB = fixed(-w.kb / (2.0 * (1.0 - w.kr)) * chroma, kCorrectionShift);
    c.crR = fixed(0.5 * chroma, kCorrectionShift);
    c.crG = -c.crR - c.crB;
    return c;
}

std::int32_t rgbToView(std::int32_t depth) {
    return fixed32(255.0 / (((1 << depth) - 1) * std::ldexp(1.0, normalShift(depth))), kViewShift);
}

std::int32_t rgbFromView(std::int32_t depth) {
    return fixed32(((1 << depth) - 1) / 255.0, 30 - depth);
}

}  // namespace lintra::planar
