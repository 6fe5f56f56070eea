#pragma once
// Whole frames through the band kernels of one level O.
//
// Work order: the frame is cut into bands of kLanes rows. For each band, the source rows it
// needs (the band plus the line distance above and below) are converted once into a small
// ring of rows; the band's comb signal is detected row by row, transposed so that one vector
// lane follows one row, run through the forward and the backward pass (the backward pass
// also forms the correction), transposed back, added to the converted source and converted
// into the destination. Every stage of the definition is a function of the pixel's own row
// (the passes) or of its column within rows y - n, y, y + n (detection and recombination),
// and every arithmetic step is the same integer operation, so taking the frame band by band
// changes no value: it only keeps a band's data in cache from the first stage to the last.

#include <cstddef>
#include <cstdint>
#include <cstring>

#include "engine/x86/band_colour.h"
#include "engine/x86/band_layout.h"
#include "engine/x86/band_passes.h"
#include "engine/x86/band_rows.h"
#include "engine/x86/band_transpose.h"
#include "engine/x86/simd_kernels.h"

namespace lintra::x86 {
namespace {

inline void zeroRow(std::int16_t* row, std::ptrdiff_t count) {
    std::memset(row, 0, static_cast<std::size_t>(count) * sizeof(std::int16_t));
}

template <class O>
std::size_t scratchBytesT(std::int32_t width) {
    // 32 * lanes + 32 bytes per pixel of width (1056 at 32 lanes); wider rows (or a layout past the
    // address space) get no scratch and run on the portable pipelines.
    constexpr std::int64_t kBytesPerPixelBound = 2048;
    if (width <= 0 || width > kMaxBandWidth) return 0;
    if (static_cast<std::int64_t>(width) * kBytesPerPixelBound > PTRDIFF_MAX) return 0;
    BandLayout layout;
    return bandLayout(nullptr, width, O::kLanes, layout);
}

template <class O>
void filterYccT(const SimdFrame& f, const YccParams& p, void* scratch) {
    constexpr std::int32_t kL = O::kLanes;
    BandLayout lay;
    bandLayout(static_cast<std::int16_t*>(scratch), f.width, kL, lay);
    const std::int32_t w = f.width, h = f.height, n = p.lineDistance, pw = lay.paddedWidth;
    auto ringRow = [&](std::int32_t y) { return lay.ring + (y % lay.ringSlots) * lay.rowPitch; };
    auto bandRow = [&](std::int32_t r) { return lay.rows + r * lay.rowPitch; };
    auto destinationRow = [&](std::int32_t y) { return f.destination + y * f.destinationStride; };
    std::int32_t converted = 0;
    auto convertBefore = [&](std::int32_t end) {
        for (; converted < end && converted < h; ++converted) {
            std::int16_t* row = ringRow(converted);
            rgbToYccRowT<O>(f.source + converted * f.sourceStride, row, row + pw, w);
        }
    };
    const typename O::V lumaLimit = O::set16(p.lumaVertical);
    const typename O::V chromaLimit = O::set32(p.chromaVertical);
    auto detect = [&](std::int32_t y, std::int16_t* out) {
        if (y >= n && y < h - n) {
            detectYccRow<O>(ringRow(y - n), ringRow(y), ringRow(y + n), out, pw, lumaLimit,
                            chromaLimit);
        } else {
            zeroRow(out, 3 * static_cast<std::ptrdiff_t>(pw));
        }
    };

    if (p.testMode != 0) {
        for (std::int32_t y = 0; y < h; ++y) {
            convertBefore(y + n + 1);
            detect(y, bandRow(0));
            testYccRow<O>(bandRow(0), destinationRow(y), w, pw);
        }
        return;
    }
    const YccPasses<O> passes{smoothingOf<O>(p.lumaHorizontal, false, p.gY),
                              smoothingOf<O>(p.chromaHorizontal, true, p.gC), divisorOf<O, 7>(p.gY),
                              divisorOf<O, 7>(p.gC)};
    for (std::int32_t y0 = 0; y0 < h; y0 += kL) {
        convertBefore(y0 + kL + n);
        for (std::int32_t r = 0; r < kL; ++r) detect(y0 + r, bandRow(r));
        transpose16<O, true>(lay.rows, lay.rowPitch, lay.cols, lay.colPitch, pw);
        transpose32<O, true>(lay.rows + pw, lay.rowPitch, lay.cols + kL, lay.colPitch, pw);
        forwardYcc<O>(lay.cols, lay.pass, lay.colPitch, pw, passes);
        backwardYcc<O>(lay.cols, lay.pass, lay.colPitch, w, passes);
        transpose16<O, false>(lay.rows, lay.rowPitch, lay.pass, lay.colPitch, pw);
        transpose32<O, false>(lay.rows + pw, lay.rowPitch, lay.pass + kL, lay.colPitch, pw);
        for (std::int32_t r = 0; r < kL && y0 + r < h; ++r) {
            finishYccRow<O>(f.source + (y0 + r) * f.sourceStride, ringRow(y0 + r), bandRow(r),
                            destinationRow(y0 + r), w, pw);
        }
    }
}

template <class O>
void filterRgbT(const SimdFrame& f, const RgbParams& p, void* scratch) {
    constexpr std::int32_t kL = O::kLanes;
    BandLayout lay;
    bandLayout(static_cast<std::int16_t*>(scratch), f.width, kL, lay);
    const std::int32_t w = f.width, h = f.height, n = p.lineDistance, pw = lay.paddedWidth;
    auto sourceRow = [&](std::int32_t y) { return f.source + y * f.sourceStride; };
    auto destinationRow = [&](std::int32_t y) { return f.destination + y * f.destinationStride; };
    auto bandRow = [&](std::int32_t r) { return lay.rows + r * lay.rowPitch; };
    const typename O::V limit = O::set32(p.vertical);
    auto detect = [&](std::int32_t y, std::int16_t* out) {
        if (y >= n && y < h - n) {
            detectRgbRow<O>(sourceRow(y - n), sourceRow(y), sourceRow(y + n), out, w, pw, limit);
        } else {
            zeroRow(out, 3 * static_cast<std::ptrdiff_t>(pw));
        }
    };

    if (p.testMode != 0) {
        for (std::int32_t y = 0; y < h; ++y) {
            detect(y, bandRow(0));
            testRgbRow<O>(bandRow(0), destinationRow(y), w, pw);
        }
        return;
    }
    const RgbPasses<O> passes{smoothingOf<O>(p.horizontal, true, p.g), divisorOf<O, 3>(p.g)};
    for (std::int32_t y0 = 0; y0 < h; y0 += kL) {
        for (std::int32_t r = 0; r < kL; ++r) detect(y0 + r, bandRow(r));
        transpose32<O, true>(lay.rows, lay.rowPitch, lay.cols, lay.colPitch, pw);
        transpose16<O, true>(lay.rows + 2 * pw, lay.rowPitch, lay.cols + 2 * kL, lay.colPitch, pw);
        forwardRgb<O>(lay.cols, lay.pass, lay.colPitch, pw, passes);
        backwardRgb<O>(lay.cols, lay.pass, lay.colPitch, w, passes);
        transpose32<O, false>(lay.rows, lay.rowPitch, lay.pass, lay.colPitch, pw);
        transpose16<O, false>(lay.rows + 2 * pw, lay.rowPitch, lay.pass + 2 * kL, lay.colPitch, pw);
        for (std::int32_t r = 0; r < kL && y0 + r < h; ++r) {
            finishRgbRow<O>(sourceRow(y0 + r), bandRow(r), destinationRow(y0 + r), w, pw);
        }
    }
}

template <class O>
const SimdKernels& kernelTable() {
    static const SimdKernels kernels{O::kLanes,      &scratchBytesT<O>, &filterYccT<O>,
                                     &filterRgbT<O>, &rgbToYccRowT<O>,  &yccToRgbRowT<O>};
    return kernels;
}

}  // namespace
}  // namespace lintra::x86
