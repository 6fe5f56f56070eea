#pragma once
// Test mode (the comb signal shown, offset to mid-scale) in vertical strips, YUV at every
// level and RGB where whole-vector byte multiply-adds detect it (see column_rgb.h).
//
// Work order: the frame is cut into bands of kTestBandRows rows and each band into strips one
// band wide. Each strip is walked down the band's rows a line distance at a time (rows y,
// y + n, y + 2n, .. for each of the n interleaved sequences), two rows per step, so that each
// row is taken from the source once, into registers, and serves there as the row below, the
// row itself and the row above in turn: nothing passes through memory between the source and
// the destination. A row's comb signal depends only on its own column of rows y - n, y and
// y + n, so the order changes no value. The bands keep the rows a strip walks within a few
// hundred pages, whose address translations stay cached from one strip to the next; each
// band's walks take the row above their first row and the row below their last row once more.

#include <cstddef>
#include <cstdint>
#include <type_traits>

#include "engine/x86/band_colour.h"
#include "engine/x86/band_layout.h"
#include "engine/x86/band_rows.h"
#include "engine/x86/simd_kernels.h"

namespace lintra::x86 {
namespace {

inline constexpr std::int32_t kTestBandRows = 256;

// One strip's rows first, first + n, .. below y1, all with comb signal (n <= y < h - n):
// `take(source row)` makes a Row of the strip, `emit(destination row, above, row, below)`
// writes one. Two rows per step, y and y + n: their chains of dependent operations are
// independent, and side by side the processor overlaps them (one row's alone is longer than
// the work it can hold in flight).
template <class Row, class Take, class Emit>
LINTRA_PIECE void walkStrip(const SimdFrame& f, std::int32_t n, std::int32_t first, std::int32_t y1,
                            Take&& take, Emit&& emit) {
    const std::ptrdiff_t step = n * f.sourceStride;
    const std::ptrdiff_t outStep = n * f.destinationStride;
    const std::uint8_t* below = f.source + (first + n) * f.sourceStride;
    std::uint8_t* out = f.destination + first * f.destinationStride;
    Row above = take(below - 2 * step);
    Row mid = take(below - step);
    std::int32_t y = first;
    for (; y + n < y1; y += 2 * n) {
        const Row next = take(below);
        const Row after = take(below + step);
        emit(out, above, mid, next);
        emit(out + outStep, mid, next, after);
        above = next;
        mid = after;
        below += 2 * step;
        out += 2 * outStep;
    }
    if (y < y1) emit(out, above, mid, take(below));
}

// The frame band by band: `zeroRow(y)` for each row without comb signal (the first and last
// n), then `strips(kWhole, first, y1, x0, x1, end)` for the walks from each row `first` of
// the band's first n rows with comb signal down to y1, over the strips x0, x0 + kLanes, ..
// below x1, storing the pixels before `end`; kWhole (a std::bool_constant) where each strip
// is one whole band wide. The whole strips start at column `phase` (see DestinationStores),
// the pixels before it make a narrower strip of their own, as do those past the last whole
// strip.
template <class O, class ZeroRow, class Strips>
inline void overTestStrips(const SimdFrame& f, std::int32_t n, std::int32_t phase,
                           ZeroRow&& zeroRow, Strips&& strips) {
    constexpr std::int32_t kL = O::kLanes;
    const std::int32_t w = f.width, h = f.height;
    const std::int32_t head = phase < w ? phase : w;
    const std::int32_t whole = head + (w - head) / kL * kL;
    for (std::int32_t y0 = 0; y0 < h; y0 += kTestBandRows) {
        const std::int32_t y1 = y0 + kTestBandRows < h ? y0 + kTestBandRows : h;
        const std::int32_t combFrom = y0 > n ? y0 : n;
        const std::int32_t combTo = y1 < h - n ? y1 : h - n;
        for (std::int32_t y = y0; y < y1; ++y) {
            if (y < combFrom || y >= combTo) zeroRow(y);
        }
        for (std::int32_t first = combFrom; first < combFrom + n && first < combTo; ++first) {
            if (head > 0) strips(std::false_type{}, first, combTo, 0, 1, head);
            strips(std::true_type{}, first, combTo, head, whole, w);
            if (whole < w) strips(std::false_type{}, first, combTo, whole, whole + 1, w);
        }
    }
}

// Luma in the order of pairedLuma where the level has it.
template <class O>
inline constexpr bool kTestLumaPaired = O::kWordPermutes;

// Two vectors of pixels to one vector of samples.
template <class O>
LINTRA_PIECE void yccOfTwo(typename O::V pixels0, typename O::V pixels1, typename O::V& luma,
                           typename O::V& first, typename O::V& second, const ToYcc<O>& k) {
    typename O::V luma0, luma1;
    yccOfPixels<O>(pixels0, luma0, first, k);
    yccOfPixels<O, kTestLumaPaired<O>>(pixels1, luma1, second, k);
    if constexpr (kTestLumaPaired<O>) {
        luma = pairedLuma<O>(luma0, luma1);
    } else {
        luma = O::packs32Ordered(luma0, luma1);
    }
}

// One vector of pixels converted: luma words, (Cr, Cb) pairs of its first and second half.
template <class O>
struct YccSamples {
    typename O::V luma, first, second;
};

template <class O>
LINTRA_PIECE YccSamples<O> yccOfRow(const std::uint8_t* row, std::int32_t x, std::int32_t w,
                                    const ToYcc<O>& k) {
    YccSamples<O> s;
    yccOfTwo<O>(loadPixels<O>(row, x, w), loadPixels<O>(row, x + O::kLanes / 2, w), s.luma, s.first,
                s.second, k);
    return s;
}

template <class O>
LINTRA_PIECE YccSamples<O> halved(const YccSamples<O>& s) {
    return YccSamples<O>{O::template srai16<1>(s.luma), O::template srai16<1>(s.first),
                         O::template srai16<1>(s.second)};
}

// The comb signal of `mid` from the halved rows above and below, zero where it departs by
// more than the limit (luma by its magnitude, a pair by its squared distance).
template <class O>
LINTRA_PIECE YccSamples<O> combBetween(const YccSamples<O>& above, const YccSamples<O>& mid,
                                       const YccSamples<O>& below, typename O::V lumaLimit,
                                       typename O::V chromaLimit) {
    const typename O::V y = O::sub16(O::add16(above.luma, below.luma), mid.luma);
    const typename O::V c0 = O::sub16(O::add16(above.first, below.first), mid.first);
    const typename O::V c1 = O::sub16(O::add16(above.second, below.second), mid.second);
    return YccSamples<O>{O::zeroIf16(O::gt16(O::abs16(y), lumaLimit), y),
                         O::zeroIf32(O::gt32(O::madd(c0, c0), chromaLimit), c0),
                         O::zeroIf32(O::gt32(O::madd(c1, c1), chromaLimit), c1)};
}

// What the walks need, built once per frame.
template <class O>
struct TestConstants {
    ToYcc<O> toYcc;
    ToRgb<O> toRgb;
    typename O::V lumaLimit;
    typename O::V chromaLimit;
};

// One strip's rows first, first + n, .. below y1, all with comb signal (n <= y < h - n): the
// pixels from x on converted, those before `end` stored. kWhole: the strip is one whole vector
// of pixels, stored (with kStream, streamed) on a vector boundary.
template <class O, bool kStream, bool kWhole>
LINTRA_PIECE void testYccWalk(const SimdFrame& f, std::int32_t n, std::int32_t first,
                              std::int32_t y1, std::int32_t x, std::int32_t end,
                              const TestConstants<O>& k) {
    using V = typename O::V;
    const ToYcc<O>& toYcc = k.toYcc;
    const ToRgb<O>& toRgb = k.toRgb;
    const V lumaLimit = k.lumaLimit;
    const V chromaLimit = k.chromaLimit;
    constexpr std::int32_t kL = O::kLanes;
    const std::int32_t w = f.width;
    auto convert = [&](const std::uint8_t* row) LINTRA_LAMBDA {
        if constexpr (kWhole) {
            YccSamples<O> s;
            yccOfTwo<O>(O::load(row + 4 * x), O::load(row + 4 * x + 2 * kL), s.luma, s.first,
                        s.second, toYcc);
            return s;
        } else {
            return yccOfRow<O>(row, x, w, toYcc);
        }
    };
    auto store = [&](std::uint8_t* row, const YccSamples<O>& c) LINTRA_LAMBDA {
        if constexpr (kWhole) {
            V pixels0, pixels1;
            pixelsOfYcc<O, false, kTestLumaPaired<O>>(c.luma, c.first, c.second, toRgb, pixels0,
                                                      pixels1);
            if constexpr (kStream) {
                O::stream(row + 4 * x, pixels0);
                O::stream(row + 4 * x + 2 * kL, pixels1);
            } else {
                O::store(row + 4 * x, pixels0);
                O::store(row + 4 * x + 2 * kL, pixels1);
            }
        } else {
            storeYccPixels<O, false, kStream, kTestLumaPaired<O>>(c.luma, c.first, c.second, toRgb,
                                                                  row, x, end);
        }
    };
    struct Row {
        YccSamples<O> samples, half;
    };
    walkStrip<Row>(
        f, n, first, y1,
        [&](const std::uint8_t* row) LINTRA_LAMBDA {
            const YccSamples<O> s = convert(row);
            return Row{s, halved<O>(s)};
        },
        [&](std::uint8_t* row, const Row& above, const Row& mid, const Row& below) LINTRA_LAMBDA {
            store(row, combBetween<O>(above.half, mid.samples, below.half, lumaLimit, chromaLimit));
        });
}

// The rows first, first + n, .. below y1 of the strips x0, x0 + kLanes, .. below x1 (the
// pixels before `end` stored). The constants of both conversions (two dozen vectors) are read
// as memory operands, not copied into registers (see inRegisters): the walk keeps its rows in
// registers, and with the constants there too the rows were spilled, a store and a load each
// (YUV test mode about 5% faster without the copy).
template <class O, bool kStream, bool kWhole>
LINTRA_STAGE void testYccStrips(const SimdFrame& f, std::int32_t n, std::int32_t first,
                                std::int32_t y1, std::int32_t x0, std::int32_t x1, std::int32_t end,
                                const TestConstants<O>& constants) {
    for (std::int32_t x = x0; x < x1; x += O::kLanes) {
        testYccWalk<O, kStream, kWhole>(f, n, first, y1, x, end, constants);
    }
}

// A row without comb signal (the first and last n of the frame) shows it as zero.
template <class O, bool kStream>
LINTRA_STAGE void testYccZeroRow(std::uint8_t* row, std::int32_t w, std::int32_t phase,
                                 const ToRgb<O>& toRgb) {
    const typename O::V zero = O::zero();
    alongRow<O>(w, phase, [&](std::int32_t x, std::int32_t end) {
        storeYccPixels<O, false, kStream>(zero, zero, zero, toRgb, row, x, end);
    });
}

// With kStream the destination is streamed from column `phase` on (see overTestStrips).
template <class O, bool kStream>
void testYccStripsT(const SimdFrame& f, const YccParams& p, std::int32_t phase) {
    const TestConstants<O> constants{ToYcc<O>{}, ToRgb<O>(kTestModeOffset),
                                     O::set16(p.lumaVertical), O::set32(p.chromaVertical)};
    const TestConstants<O>& k = fromMemory(constants);
    const std::int32_t n = p.lineDistance;
    overTestStrips<O>(
        f, n, phase,
        [&](std::int32_t y) {
            testYccZeroRow<O, kStream>(f.destination + y * f.destinationStride, f.width, phase,
                                       k.toRgb);
        },
        [&](auto whole, std::int32_t first, std::int32_t y1, std::int32_t x0, std::int32_t x1,
            std::int32_t end) {
            testYccStrips<O, kStream, decltype(whole)::value>(f, n, first, y1, x0, x1, end, k);
        });
    if (kStream) O::fence();
}

}  // namespace
}  // namespace lintra::x86
