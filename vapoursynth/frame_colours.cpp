#include "vapoursynth/frame_colours.h"

namespace lintra::vs {
namespace {

// _Matrix carries ITU-T H.273's matrix coefficients.
constexpr std::int64_t kMatrixRgb = 0;
constexpr std::int64_t kMatrixBt709 = 1;
constexpr std::int64_t kMatrixUnspecified = 2;
constexpr std::int64_t kMatrixFcc = 4;
constexpr std::int64_t kMatrixBt470bg = 5;
constexpr std::int64_t kMatrixSmpte170m = 6;
constexpr std::int64_t kMatrixSmpte240m = 7;
constexpr std::int64_t kMatrixBt2020nc = 9;
constexpr std::int64_t kRangeFull = 0;
constexpr std::int64_t kRangeLimited = 1;
constexpr std::int64_t kLastChromaLocation = 5;

bool matrixOf(std::int64_t value, std::int32_t width, std::int32_t height, planar::Matrix& matrix,
              std::string& error) {
    switch (value) {
        case -1:
        case kMatrixUnspecified:
            matrix = planar::defaultMatrix(width, height);
            return true;
        case kMatrixBt709:
            matrix = planar::Matrix::bt709;
            return true;
        case kMatrixBt470bg:
        case kMatrixSmpte170m:
            matrix = planar::Matrix::bt601;
            return true;
        case kMatrixFcc:
            matrix = planar::Matrix::fcc;
            return true;
        case kMatrixSmpte240m:
            matrix = planar::Matrix::smpte240m;
            return true;
        case kMatrixBt2020nc:
            matrix = planar::Matrix::bt2020nc;
            return true;
        default:
            break;
    }
    error = value == kMatrixRgb
                ? "a Y'CbCr frame says _Matrix 0 (RGB); set the clip's matrix with "
                  "core.std.SetFrameProps(clip, _Matrix=1) (BT.709) or 6 (BT.601)"
                : "a frame's _Matrix " + std::to_string(value) +
                      " is not one Lintra takes (BT.601, BT.709, BT.2020 non-constant, FCC, "
                      "SMPTE 240M); convert it with core.resize.Bicubic(clip, matrix_s=\"709\")";
    return false;
}

}  // namespace

bool coloursOf(const FrameProperties& properties, const planar::Format& format, std::int32_t width,
               std::int32_t height, planar::Colours& colours, std::string& error) {
    colours = planar::Colours{planar::defaultMatrix(width, height), planar::Range::limited,
                              planar::ChromaLocation::left, properties.fieldBased > 0};
    if (format.family == planar::Family::yuv &&
        !matrixOf(properties.matrix, width, height, colours.matrix, error)) {
        return false;
    }
    if (properties.colorRange == kRangeFull ||
        (properties.colorRange == -1 && format.family == planar::Family::rgb)) {
        colours.range = planar::Range::full;
    } else if (properties.colorRange != kRangeLimited && properties.colorRange != -1) {
        error = "a frame's _ColorRange " + std::to_string(properties.colorRange) +
                " is neither 0 (full) nor 1 (limited)";
        return false;
    }
    if (properties.chromaLocation > kLastChromaLocation || properties.chromaLocation < -1) {
        error = "a frame's _ChromaLocation " + std::to_string(properties.chromaLocation) +
                " is not one of 0 to 5";
        return false;
    }
    if (properties.chromaLocation >= 0) {
        colours.chromaLocation = static_cast<planar::ChromaLocation>(properties.chromaLocation);
    }
    return true;
}

}  // namespace lintra::vs
