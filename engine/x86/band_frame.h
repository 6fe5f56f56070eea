#pragma once
// Whole frames through the band kernels of one level O.
//
// Work order: the frame is cut into bands of kLanes rows. For each band, the source rows it
// needs (the band plus the line distance above and below) are converted once into a small
// ring of rows; the band's comb signal is detected strip by strip of columns (so the rows
// being transposed stay in L1) and transposed so that one vector lane follows one row, and
// the forward pass continues over each strip while it is still in cache (its running values
// carried from strip to strip, so each lane sees its row's columns in order, as in one sweep).
// Then the backward pass runs over the band from the right, turning the forward results into
// the corrections in place. The corrections are transposed back into rows (where the comb
// signal was: it is no longer needed), and the band's rows are finished one by one from left
// to right (corrections added to the converted source, converted into the destination), so
// that the destination is written as the hardware streams it best: whole rows in order.
//
// Every stage of the definition is a function of the pixel's own row (the passes) or of its
// column within rows y - n, y, y + n (detection and recombination), and every arithmetic step
// is the same integer operation, so taking the frame band by band and strip by strip changes
// no value: it only keeps a band's data in cache from the first stage to the last.

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <type_traits>

#include "engine/x86/band_colour.h"
#include "engine/x86/band_layout.h"
#include "engine/x86/band_passes.h"
#include "engine/x86/band_prefetch.h"
#include "engine/x86/band_rows.h"
#include "engine/x86/band_transpose.h"
#include "engine/x86/simd_kernels.h"
#include "engine/x86/test_strips.h"

namespace lintra::x86 {
namespace {

inline void zeroRow(std::int16_t* row, std::ptrdiff_t count) {
    std::memset(row, 0, static_cast<std::size_t>(count) * sizeof(std::int16_t));
}

template <class O>
std::size_t scratchBytesT(std::int32_t width) {
    // 18 * lanes + 24 bytes per pixel of width (600 at 32 lanes) and a 24 KiB strip; wider
    // rows (or a layout past the address space) get no scratch and run on the portable
    // pipelines.
    constexpr std::int64_t kBytesPerPixelBound = 2048;
    if (width <= 0 || width > kMaxBandWidth) return 0;
    if (static_cast<std::int64_t>(width) * kBytesPerPixelBound > PTRDIFF_MAX) return 0;
    BandLayout layout;
    return bandLayout(nullptr, width, O::kLanes, layout);
}

// Columns of the backward pass between two steps of reading ahead.
inline constexpr std::int32_t kReadAheadColumns = 16;

inline std::int32_t lesser(std::int32_t a, std::int32_t b) {
    return a < b ? a : b;
}

// The backward pass over columns w - 1 down to 0 in steps of kReadAheadColumns, reading ahead
// after each step; `rows` samples per column count as progress.
template <class Backward>
inline void backwardReadingAhead(std::int32_t w, std::int32_t rows, Backward&& backward,
                                 ReadAhead& ahead) {
    for (std::int32_t x1 = w; x1 > 0;) {
        const std::int32_t x0 = x1 > kReadAheadColumns ? x1 - kReadAheadColumns : 0;
        backward(x0, x1);
        ahead.advance(std::int64_t{rows} * (x1 - x0));
        x1 = x0;
    }
}

// The first pixel column at which every destination row reaches a vector boundary (0 ..
// kLanes / 2 - 1), or -1 where the rows share none: the distance between rows is not a whole
// number of vectors, or the pixels are not on 4-byte boundaries.
template <class O>
std::int32_t destinationPhase(const SimdFrame& f) {
    constexpr std::ptrdiff_t kVector = sizeof(typename O::V);
    const std::uintptr_t address = reinterpret_cast<std::uintptr_t>(f.destination);
    if (f.destinationStride % kVector != 0 || address % 4 != 0) return -1;
    return static_cast<std::int32_t>((kVector - address % kVector) % kVector / 4);
}

// How the kernels write the destination: rows (or the tiles of the column kernels) laid
// against the rows' vector boundaries where they share them (phase, else 0), and large frames
// streamed there, wherever the frame itself starts (streaming stores need a boundary).
template <class O>
struct DestinationStores {
    std::int32_t phase;
    bool stream;
    explicit DestinationStores(const SimdFrame& f)
        : phase(destinationPhase<O>(f) < 0 ? 0 : destinationPhase<O>(f)),
          stream(f.streamDestination != 0 && destinationPhase<O>(f) >= 0) {}
};

// Calls `f` with std::true_type where `flag` is set, else with std::false_type: a choice made
// once per frame becomes a template argument of the stage.
template <class F>
inline void withFlag(bool flag, F&& f) {
    if (flag) {
        f(std::true_type{});
    } else {
        f(std::false_type{});
    }
}

// Calls `row` with std::true_type where the frame's rows are streamed, else std::false_type.
template <class F>
inline void withStreaming(bool stream, F&& row) {
    withFlag(stream, row);
}

template <class O>
void filterYccT(const SimdFrame& f, const YccParams& p, void* scratch) {
    const DestinationStores<O> to(f);
    const bool stream = to.stream;
    if (p.testMode != 0) {
        withStreaming(stream,
                      [&](auto s) { testYccStripsT<O, decltype(s)::value>(f, p, to.phase); });
        return;
    }
    constexpr std::int32_t kL = O::kLanes;
    BandLayout lay;
    bandLayout(static_cast<std::int16_t*>(scratch), f.width, kL, lay);
    const std::int32_t w = f.width, h = f.height, n = p.lineDistance, pw = lay.paddedWidth;
    const std::int32_t sw = lay.stripWidth;
    auto ringLuma = [&](std::int32_t y) { return lay.ring + (y % lay.ringSlots) * lay.ringPitch; };
    auto ringChroma = [&](std::int32_t y) { return ringLuma(y) + pw; };
    auto stripLuma = [&](std::int32_t r) { return lay.strip + r * lay.stripPitch; };
    auto stripChroma = [&](std::int32_t r) { return stripLuma(r) + sw; };
    auto sourceRow = [&](std::int32_t y) { return f.source + y * f.sourceStride; };
    auto destinationRow = [&](std::int32_t y) { return f.destination + y * f.destinationStride; };
    // Built once per frame (see ToYcc).
    const ToYcc<O> toYccConstants;
    const ToRgb<O> toRgbConstants;
    const ToYcc<O>& toYcc = fromMemory(toYccConstants);
    const ToRgb<O>& toRgb = fromMemory(toRgbConstants);
    std::int32_t converted = 0;
    auto convertBefore = [&](std::int32_t end) {
        for (; converted < end && converted < h; ++converted) {
            rgbToYccRowT<O>(sourceRow(converted), ringLuma(converted), ringChroma(converted), w,
                            toYcc);
        }
    };
    const typename O::V lumaLimit = O::set16(p.lumaVertical);
    const typename O::V chromaLimit = O::set32(p.chromaVertical);
    // Row y's comb signal for columns [x, x + count) into the luma and Cr/Cb pair rows given.
    auto detectInto = [&](std::int32_t y, std::int32_t x, std::int32_t count, std::int16_t* luma,
                          std::int16_t* chroma) {
        if (y >= n && y < h - n) {
            const std::int16_t* top[3] = {ringLuma(y - n) + x, ringLuma(y) + x,
                                          ringLuma(y + n) + x};
            const std::int16_t* pairs[3] = {ringChroma(y - n) + 2 * x, ringChroma(y) + 2 * x,
                                            ringChroma(y + n) + 2 * x};
            detectYccRow<O>(top, pairs, luma, chroma, count, lumaLimit, chromaLimit);
        } else {
            zeroRow(luma, count);
            zeroRow(chroma, 2 * count);
        }
    };

    const bool shortDivision = p.lumaShortMagic != 0 && p.chromaShortMagic != 0;
    const YccPasses<O> passes{smoothingOf<O>(p.lumaHorizontal, false, p.gY),
                              smoothingOf<O>(p.chromaHorizontal, true, p.gC),
                              divisorOf<O, 7>(p.gY, p.lumaShortMagic),
                              divisorOf<O, 7>(p.gC, p.chromaShortMagic)};
    auto backward = [&](std::int32_t x0, std::int32_t x1, YccState<O>& state) {
        if (shortDivision) {
            backwardYcc<O, true>(lay.cols, lay.pass, lay.colPitch, x0, x1, w, state, passes);
        } else {
            backwardYcc<O, false>(lay.cols, lay.pass, lay.colPitch, x0, x1, w, state, passes);
        }
    };
    for (std::int32_t y0 = 0; y0 < h; y0 += kL) {
        convertBefore(y0 + kL + n);
        // The rows the next band converts first, fetched over this band's three phases
        // (detection and forward pass, backward pass, finishing), each counted in samples.
        ReadAhead ahead(f.source, f.sourceStride, w, h, y0 + kL + n, y0 + 2 * kL + n,
                        std::int64_t{kL} * (pw + 2 * w));
        YccState<O> state{};
        for (std::int32_t x = 0; x < pw; x += sw) {
            const std::int32_t count = lesser(sw, pw - x);
            for (std::int32_t r = 0; r < kL; ++r) {
                detectInto(y0 + r, x, count, stripLuma(r), stripChroma(r));
                ahead.advance(count);
            }
            std::int16_t* cols = lay.cols + x * lay.colPitch;
            transpose16<O, true>(stripLuma(0), lay.stripPitch, cols, lay.colPitch, count);
            transpose32<O, true>(stripChroma(0), lay.stripPitch, cols + kL, lay.colPitch, count);
            forwardYcc<O>(lay.cols, lay.pass, lay.colPitch, x, x + count, state, passes);
        }
        backwardReadingAhead(
            w, kL, [&](std::int32_t x0, std::int32_t x1) { backward(x0, x1, state); }, ahead);
        // The corrections back in rows (cols is free once both passes are done), and the band's
        // rows finished one at a time from left to right.
        const std::ptrdiff_t rowPitch = lay.rowPitch;
        transpose16<O, false>(lay.cols, rowPitch, lay.pass, lay.colPitch, pw);
        transpose32<O, false>(lay.cols + pw, rowPitch, lay.pass + kL, lay.colPitch, pw);
        for (std::int32_t r = 0; r < kL && y0 + r < h; ++r) {
            const std::int32_t y = y0 + r;
            withStreaming(stream, [&](auto s) {
                finishYccRow<O, decltype(s)::value>(
                    ringLuma(y), ringChroma(y), lay.cols + r * rowPitch,
                    lay.cols + r * rowPitch + pw, destinationRow(y), w, to.phase, toRgb);
            });
            ahead.advance(w);
        }
    }
    if (stream) O::fence();
}

template <class O>
void filterRgbT(const SimdFrame& f, const RgbParams& p, void* scratch) {
    constexpr std::int32_t kL = O::kLanes;
    BandLayout lay;
    bandLayout(static_cast<std::int16_t*>(scratch), f.width, kL, lay);
    const std::int32_t w = f.width, h = f.height, n = p.lineDistance, pw = lay.paddedWidth;
    const std::int32_t sw = lay.stripWidth;
    auto sourceRow = [&](std::int32_t y) { return f.source + y * f.sourceStride; };
    auto destinationRow = [&](std::int32_t y) { return f.destination + y * f.destinationStride; };
    const DestinationStores<O> to(f);
    const bool stream = to.stream;
    auto stripBlueRed = [&](std::int32_t r) { return lay.strip + r * lay.stripPitch; };
    auto stripGreen = [&](std::int32_t r) { return stripBlueRed(r) + 2 * sw; };
    const typename O::V limit = O::set32(p.vertical);
    // Row y's comb signal for columns [x, x + count) into the (B, R) and green rows given.
    auto detectInto = [&](std::int32_t y, std::int32_t x, std::int32_t count, std::int16_t* blueRed,
                          std::int16_t* green) {
        if (y >= n && y < h - n) {
            const std::int32_t at = 4 * x;
            detectRgbRow<O>(sourceRow(y - n) + at, sourceRow(y) + at, sourceRow(y + n) + at,
                            blueRed, green, w - x, count, limit);
        } else {
            zeroRow(blueRed, 2 * count);
            zeroRow(green, count);
        }
    };

    if (p.testMode != 0) {
        // Whole rows at a time, through the column buffer (unused in test mode).
        std::int16_t* blueRed = lay.cols;
        std::int16_t* green = lay.cols + 2 * pw;
        for (std::int32_t y = 0; y < h; ++y) {
            detectInto(y, 0, pw, blueRed, green);
            withStreaming(stream, [&](auto s) {
                testRgbRow<O, decltype(s)::value>(blueRed, green, destinationRow(y), w, to.phase);
            });
        }
        if (stream) O::fence();
        return;
    }
    const RgbPasses<O> passes{smoothingOf<O>(p.horizontal, true, p.g),
                              divisorOf<O, 3>(p.g, p.shortMagic)};
    auto backward = [&](std::int32_t x0, std::int32_t x1, typename O::V* state) {
        if (p.shortMagic != 0) {
            backwardRgb<O, true>(lay.cols, lay.pass, lay.colPitch, x0, x1, w, state, passes);
        } else {
            backwardRgb<O, false>(lay.cols, lay.pass, lay.colPitch, x0, x1, w, state, passes);
        }
    };
    for (std::int32_t y0 = 0; y0 < h; y0 += kL) {
        // The rows the next band reads first (see filterYccT).
        ReadAhead ahead(f.source, f.sourceStride, w, h, y0 + kL + n, y0 + 2 * kL + n,
                        std::int64_t{kL} * (pw + 2 * w));
        typename O::V state[3] = {};
        for (std::int32_t x = 0; x < pw; x += sw) {
            const std::int32_t count = lesser(sw, pw - x);
            for (std::int32_t r = 0; r < kL; ++r) {
                detectInto(y0 + r, x, count, stripBlueRed(r), stripGreen(r));
                ahead.advance(count);
            }
            std::int16_t* cols = lay.cols + x * lay.colPitch;
            transpose32<O, true>(stripBlueRed(0), lay.stripPitch, cols, lay.colPitch, count);
            transpose16<O, true>(stripGreen(0), lay.stripPitch, cols + 2 * kL, lay.colPitch, count);
            forwardRgb<O>(lay.cols, lay.pass, lay.colPitch, x, x + count, state, passes);
        }
        backwardReadingAhead(
            w, kL, [&](std::int32_t x0, std::int32_t x1) { backward(x0, x1, state); }, ahead);
        // As in filterYccT: the corrections back in rows in cols, then each row finished.
        const std::ptrdiff_t rowPitch = lay.rowPitch;
        transpose32<O, false>(lay.cols, rowPitch, lay.pass, lay.colPitch, pw);
        transpose16<O, false>(lay.cols + 2 * pw, rowPitch, lay.pass + 2 * kL, lay.colPitch, pw);
        for (std::int32_t r = 0; r < kL && y0 + r < h; ++r) {
            const std::int32_t y = y0 + r;
            withStreaming(stream, [&](auto s) {
                finishRgbRow<O, decltype(s)::value>(sourceRow(y), lay.cols + r * rowPitch,
                                                    lay.cols + r * rowPitch + 2 * pw,
                                                    destinationRow(y), w, to.phase);
            });
            ahead.advance(w);
        }
    }
    if (stream) O::fence();
}

template <class O>
const SimdKernels& kernelTable() {
    static const SimdKernels kernels{O::kLanes,      &scratchBytesT<O>,    &filterYccT<O>,
                                     &filterRgbT<O>, &rgbToYccRowAlone<O>, &yccToRgbRowAlone<O>};
    return kernels;
}

}  // namespace
}  // namespace lintra::x86
