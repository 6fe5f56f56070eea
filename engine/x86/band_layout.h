#pragma once
// Scratch layout of the band kernels, shared by every level. Allocated once per run.
//
// ring  : converted (Y | Cr/Cb pairs) rows, one slot per row of the current band plus the
//         line distance above and below; frame row y lives in slot y % slots.
// rows  : the band's comb signal, row by row (YUV: Y | Cr/Cb pairs; RGB: R/G pairs | B/0
//         pairs); reused for the band's corrections on the way back.
// cols  : the band's comb signal transposed, one group of vectors per column.
// pass  : the forward pass, transposed; the backward pass turns it into the corrections.

#include <cstddef>
#include <cstdint>

namespace lintra::x86 {
namespace {

struct BandLayout {
    std::int32_t paddedWidth;  // multiple of the band height
    std::int32_t ringSlots;
    std::ptrdiff_t rowPitch;  // int16 elements per row of ring and rows
    std::ptrdiff_t colPitch;  // int16 elements per column of cols and pass
    std::int16_t* ring;
    std::int16_t* rows;
    std::int16_t* cols;
    std::int16_t* pass;
};

inline constexpr std::ptrdiff_t kRegionAlign = 32;  // int16 elements: 64 bytes
inline constexpr std::int32_t kMaxLineDistance = 2;

inline std::ptrdiff_t roundUp(std::ptrdiff_t v, std::ptrdiff_t to) {
    return (v + to - 1) / to * to;
}

// With base null only the sizes are filled in; `bandRows` is the level's lane count.
inline std::size_t bandLayout(std::int16_t* base, std::int32_t width, std::int32_t bandRows,
                              BandLayout& out) {
    out.paddedWidth = static_cast<std::int32_t>(roundUp(width, bandRows));
    out.ringSlots = bandRows + 2 * kMaxLineDistance;
    out.rowPitch = 4 * static_cast<std::ptrdiff_t>(out.paddedWidth);
    out.colPitch = 4 * static_cast<std::ptrdiff_t>(bandRows);
    const std::ptrdiff_t ring = roundUp(out.ringSlots * out.rowPitch, kRegionAlign);
    const std::ptrdiff_t rows = roundUp(bandRows * out.rowPitch, kRegionAlign);
    const std::ptrdiff_t cols = roundUp(out.paddedWidth * out.colPitch, kRegionAlign);
    out.ring = base;
    out.rows = base == nullptr ? nullptr : base + ring;
    out.cols = base == nullptr ? nullptr : base + ring + rows;
    out.pass = base == nullptr ? nullptr : base + ring + rows + cols;
    return static_cast<std::size_t>(ring + rows + 2 * cols) * sizeof(std::int16_t);
}

}  // namespace
}  // namespace lintra::x86
