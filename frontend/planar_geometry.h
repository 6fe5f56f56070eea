#pragma once
// Where luma samples fall between chroma samples: the linear interpolation the RGB view makes
// of subsampled chroma, and its transpose, with which corrections go back onto the chroma grid.

#include <cstdint>

#include "frontend/planar_picture.h"

namespace lintra::planar {

// The helpers below have internal linkage: these headers are compiled into the AVX2 forms
// too, and no other translation unit may end up with those copies.

// One axis of the chroma grid. Weights are counted out of span() = 2^(log2 + 1).
struct ChromaAxis {
    std::int32_t log2;     // subsampling along the axis, 0..2
    std::int32_t siting2;  // position of chroma sample 0 in half luma samples
    std::int32_t count;    // chroma samples along the axis
    std::int32_t span() const { return 2 << log2; }
};

// A luma sample between two chroma samples: first gets span - weightSecond, second gets
// weightSecond. Indices are clamped to the axis, so at the edges both may be the same sample.
struct ChromaTap {
    std::int32_t first;
    std::int32_t second;
    std::int32_t weightSecond;
};

ChromaTap chromaTap(const ChromaAxis& axis, std::int32_t luma);

// The weight chroma sample `c` gets from luma sample `luma` (0 when it gets none).
std::int32_t tapWeight(const ChromaAxis& axis, std::int32_t luma, std::int32_t c);

// The luma samples [begin, end) of an axis `lumaCount` long whose taps may reach sample c.
struct LumaSpan {
    std::int32_t begin;
    std::int32_t end;
};
LumaSpan lumaSpan(const ChromaAxis& axis, std::int32_t c, std::int32_t lumaCount);

// Chroma samples along an axis `luma` samples long.
static inline std::int32_t chromaCount(std::int32_t luma, std::int32_t log2) {
    return (luma + (1 << log2) - 1) >> log2;
}

ChromaAxis horizontalAxis(const Format& format, ChromaLocation location, std::int32_t width);

// The vertical axis over `chromaRows` rows: the whole frame's, or one field's.
ChromaAxis verticalAxis(const Format& format, ChromaLocation location, std::int32_t chromaRows);

// True when a picture's chroma rows are to be taken field by field: field-based, vertically
// subsampled, and with chroma rows for both fields.
bool chromaByField(const PictureView& picture, const Colours& colours);

// Rows of field f (0: the frame's even rows) out of `rows`.
static inline std::int32_t fieldRows(std::int32_t rows, std::int32_t f) {
    return (rows - f + 1) / 2;
}

// Every pixel's horizontal tap, worked out once per frame: three arrays of `width` values
// (first, second, weightSecond) laid out in `scratch`.
struct TapTable {
    const std::int32_t* first;
    const std::int32_t* second;
    const std::int32_t* weightSecond;
};
TapTable tapTable(const ChromaAxis& axis, std::int32_t width, std::int32_t* scratch);

}  // namespace lintra::planar
