#pragma once
// Whole RGB frames in normal mode with one vector lane per row, for the levels of
// column_frame.h, in the same work order: per band, the source pixels transposed four columns
// at a time and kept (lanes 0 .. 15 hold rows 0 .. 15 of a column, a second vector rows
// 16 .. 31), the two pixels above and below each column put side by side; from the left, each
// column's comb signal detected by moving lanes and fed to the forward pass; from the right,
// the backward pass fed to the recombination with the column's source pixels and the pixels
// gathered in tiles that go back to the destination rows a cache line at a time.
//
// The comb signal of a column is kept as the passes over bands take it (see stepRgb): the
// (B, R) pairs of rows 0 .. 15, those of rows 16 .. 31, and green with row i in the low word
// and row 16 + i in the high word of 32-bit lane i.

#include <cstddef>
#include <cstdint>

#include "engine/x86/band_frame.h"
#include "engine/x86/band_passes.h"
#include "engine/x86/band_prefetch.h"
#include "engine/x86/band_rows.h"
#include "engine/x86/column_frame.h"
#include "engine/x86/simd_kernels.h"

namespace lintra::x86 {
namespace {

// The band's transposed pixels take two vectors per column, not the three of the other
// regions: packed closer, the band's scratch stays in the second-level cache more often.
template <class O>
inline constexpr std::ptrdiff_t kPixelPitch = 2 * O::kLanes;

// Columns x .. x + 3 of the band's source pixels (the rows read from byte `at` on)
// transposed: per column of `out`, a vector of the pixels of rows 0 .. 15 and one of rows
// 16 .. 31.
template <class O, class Rows>
LINTRA_PIECE void transposeFourColumns(const Rows& rows, std::ptrdiff_t at, std::int32_t x,
                                       std::int16_t* out) {
    using V = typename O::V;
    V pixels[2][4];
    loadFourColumns<O>(rows, at, pixels);
    for (int c = 0; c < 4; ++c) {
        O::store(out + (x + c) * kPixelPitch<O>, pixels[0][c]);
        O::store(out + (x + c) * kPixelPitch<O> + O::kLanes, pixels[1][c]);
    }
}

// Per column, the pixels of the two rows above the band (y0 - n, y0 - n + 1) as one 64-bit
// value, and of the two below (y0 + kLanes, y0 + kLanes + 1); with n = 1 the one row
// twice. Rows outside the frame are clamped into it: their comb signal is dropped.
template <class O>
LINTRA_STAGE void edgePixels(const SimdFrame& f, std::int32_t y0, std::int32_t n,
                             const ColumnLayout& lay, const ColumnShifts<O>& shift) {
    constexpr std::int32_t kL = O::kLanes;
    const std::int32_t w = f.width;
    const std::int32_t first[2] = {y0 - n, y0 + kL};
    for (int side = 0; side < 2; ++side) {
        const std::uint8_t* a = ColumnBand<O>::rowIn(f, first[side]);
        const std::uint8_t* b = n == 1 ? a : ColumnBand<O>::rowIn(f, first[side] + 1);
        std::int64_t* out = lay.edgeChroma + side * lay.paddedWidth;
        for (std::int32_t x = 0; x < w; x += kL / 2) {
            storeSideBySide<O>(loadPixels<O>(a, x, w), loadPixels<O>(b, x, w), out + x, shift);
        }
    }
}

// Weights of the detection's byte multiply-adds, per 32-bit lane of pixels B G R X: 8 (the
// rows above and below) or -16 (the row itself) on B and R for the (B, R) words, on G for the
// green word; X, and the high word of green, weighted 0.
template <class O>
struct RgbCombWeights {
    typename O::V blueRed;
    typename O::V blueRedMid;
    typename O::V green;
    typename O::V greenMid;
    RgbCombWeights()
        : blueRed(O::set32(0x00080008)),
          blueRedMid(O::set32(0x00F000F0)),
          green(O::set32(0x0800)),
          greenMid(O::set32(0xF000)) {}
};

// One half of a column: its comb signal 8 * (t + b) - 16 * m of each channel, the bytes
// widened and weighted in one multiply-add per pixel vector, as (B, R) pairs in `blueRed` and
// green in the low words of `green`; returns the rows of `rows` whose vector distance is at
// most the limit.
template <class O>
LINTRA_PIECE typename O::M32 rgbCombHalf(typename O::V top, typename O::V mid, typename O::V bottom,
                                         typename O::V limit, typename O::M32 rows,
                                         const RgbCombWeights<O>& weights, typename O::V& blueRed,
                                         typename O::V& green) {
    blueRed =
        O::add16(O::add16(O::maddubs(top, weights.blueRed), O::maddubs(bottom, weights.blueRed)),
                 O::maddubs(mid, weights.blueRedMid));
    green = O::add16(O::add16(O::maddubs(top, weights.green), O::maddubs(bottom, weights.green)),
                     O::maddubs(mid, weights.greenMid));
    return O::atMost32(rows, O::maddAdd(O::madd(blueRed, blueRed), green, green), limit);
}

// Columns 0 .. w - 1 from the left: the source pixels transposed four columns ahead, comb
// signal detected and the forward pass advanced. The transposition is done here rather than
// in a pass of its own: its shuffles and loads then share the processor with the arithmetic
// of the detection and the pass instead of waiting for each other.
template <class O, class Rows>
LINTRA_STAGE void detectForwardRgbColumns(const Rows& source, const ColumnLayout& lay,
                                          std::int32_t w, const ColumnShifts<O>& shifts,
                                          const CombRows<O>& rows, typename O::V limit,
                                          const RgbPasses<O>& passes, ReadAhead& ahead) {
    using V = typename O::V;
    const auto& shift = inRegisters<O>(shifts);
    const auto& k = inRegisters<O>(passes);
    constexpr std::int32_t kL = O::kLanes;
    const std::int32_t pw = lay.paddedWidth;
    const V rounding = O::set16(kRgbRounding);
    const RgbCombWeights<O> weightConstants;
    const auto& weights = inRegisters<O>(weightConstants);
    // Column x's comb signal, stored for the backward pass and returned.
    struct Comb {
        V c[3];
    };
    auto detect = [&](std::int32_t x) {
        const std::int16_t* p = lay.converted + x * kPixelPitch<O>;
        const V first = O::load(p), second = O::load(p + kL);
        const V above = O::broadcast64(lay.edgeChroma + x);
        const V below = O::broadcast64(lay.edgeChroma + pw + x);
        V blueRedFirst, greenFirst, blueRedSecond, greenSecond;
        const auto keptFirst =
            rgbCombHalf<O>(O::permuteDwords(first, above, shift.firstAbove), first,
                           O::permuteDwords(first, second, shift.firstBelow), limit, rows.first,
                           weights, blueRedFirst, greenFirst);
        const auto keptSecond =
            rgbCombHalf<O>(O::permuteDwords(second, first, shift.secondAbove), second,
                           O::permuteDwords(second, below, shift.secondBelow), limit, rows.second,
                           weights, blueRedSecond, greenSecond);
        // Green of rows 16 .. 31 moves up into the high words.
        const Comb c{
            {O::keepIf32(keptFirst, blueRedFirst), O::keepIf32(keptSecond, blueRedSecond),
             O::orIf32(keptFirst, O::keepShiftedUp32(keptSecond, greenSecond), greenFirst)}};
        std::int16_t* comb = lay.comb + x * lay.colPitch;
        for (int i = 0; i < 3; ++i) O::store(comb + i * kL, c.c[i]);
        return c;
    };
    // Whole groups of four columns are transposed four columns before they are detected; the
    // last one to three columns, from padded copies, first.
    const std::int32_t whole = w / 4 * 4;
    auto transposeAhead = [&](std::int32_t x) {
        if (x < whole) {
            transposeFourColumns<O>(source, 4 * static_cast<std::ptrdiff_t>(x), x, lay.converted);
        }
    };
    forTailColumns<O>(source, w, [&](const auto& from, std::ptrdiff_t at, std::int32_t x) {
        transposeFourColumns<O>(from, at, x, lay.converted);
    });
    transposeAhead(0);
    transposeAhead(4);
    // The pass starts from the first column itself, its half kept whole.
    Comb c = detect(0);
    V s[3] = {c.c[0], c.c[1], c.c[2]};
    ahead.advance(kTileColumns);
    for (int i = 0; i < 3; ++i) {
        O::store(
            lay.forward + i * kL,
            withOwnHalf<O>(forwardKept<O>(s[i], s[i], k.smoothing, rounding), s[i], k.smoothing));
    }
    // Each column is detected before the pass takes the column to its left (see
    // detectForwardColumns).
    if (w > 1) c = detect(1);
    for (std::int32_t x = 1; x < w; ++x) {
        const Comb current = c;
        if (x % 4 == 0) transposeAhead(x + 4);
        if (x + 1 < w) c = detect(x + 1);
        if (x % kTileColumns == 0) ahead.advance(kTileColumns);
        stepRgb<O>(current.c, s, k.smoothing);
        std::int16_t* out = lay.forward + x * lay.colPitch;
        for (int i = 0; i < 3; ++i) {
            O::store(out + i * kL, forwardKept<O>(s[i], current.c[i], k.smoothing, rounding));
        }
    }
}

// Columns w - 1 down to 0: the backward pass, the corrections added to the column's source
// pixels (each channel clamped by a saturating pack, placed by a byte shuffle, as in
// finishRgbPixels), the pixels gathered in tiles for the destination rows.
template <class O, bool kShortDivision, bool kStream>
LINTRA_STAGE void backwardFinishRgbColumns(const ColumnLayout& lay, std::int32_t w,
                                           std::int32_t phase, std::uint8_t* const* rows,
                                           std::int32_t rowCount, const RgbPasses<O>& passes,
                                           ReadAhead& ahead) {
    using V = typename O::V;
    const auto& k = inRegisters<O>(passes);
    constexpr std::int32_t kL = O::kLanes;
    // Packed per block: B R of four pixels, then G X; to B G R 0.
    const V order = pixelBytes<O>({0, 2}, {8, 2}, {1, 2});
    TileRows<O, kStream> out(lay.tileRows, rows, rowCount);
    auto finish = [&](V source, V blueRed, V green) {
        const V br = O::add16(blueRedOf<O>(source), blueRed);
        const V g = O::add16(O::template srli16<8>(source), green);
        return O::shuffleBytes(O::packus16(br, g), order);
    };
    struct Back {
        V b[3];
    };
    // Column x's corrections, finished into pixels in the tile (x0 its first column).
    auto finishColumn = [&](std::int32_t x, std::int32_t x0, const Back& back) {
        const std::int16_t* forward = lay.forward + x * lay.colPitch;
        V correction[3];
        for (int i = 0; i < 3; ++i) {
            correction[i] = divide<O, 3, kShortDivision>(
                O::add16(O::load(forward + i * kL), back.b[i]), k.divisor);
        }
        const std::int16_t* source = lay.converted + x * kPixelPitch<O>;
        std::uint32_t* column = lay.tile + (x - x0) * kL;
        // Green of rows 0 .. 15 is in the low words, of rows 16 .. 31 in the high words;
        // the other word only meets the byte above green, which the shuffle leaves out.
        O::store(column, finish(O::load(source), correction[0], correction[2]));
        O::store(column + kL / 2, finish(O::load(source + kL), correction[1],
                                         O::template srli32<16>(correction[2])));
        out.send(kRowsPerColumn);
    };
    V s[3] = {O::zero(), O::zero(), O::zero()};
    auto step = [&](std::int32_t x) {
        const std::int16_t* comb = lay.comb + x * lay.colPitch;
        const V c[3] = {O::load(comb), O::load(comb + kL), O::load(comb + 2 * kL)};
        Back back;
        if (x == w - 1) {
            // The pass starts from the last column itself, its half kept whole.
            for (int i = 0; i < 3; ++i) {
                s[i] = c[i];
                back.b[i] = withOwnHalf<O>(s[i], s[i], k.smoothing);
            }
        } else {
            stepRgb<O>(c, s, k.smoothing);
            for (int i = 0; i < 3; ++i) back.b[i] = s[i];
        }
        return back;
    };
    backwardOverTiles<Back>(w, phase, step, finishColumn, [&](std::int32_t x0, std::int32_t count) {
        out.take(lay.tile, x0, count);
        ahead.advance(kTileColumns);
    });
    out.send(kL);
}

template <class O>
void filterRgbColumnsT(const SimdFrame& f, const RgbParams& p, void* scratch) {
    constexpr std::int32_t kL = O::kLanes;
    ColumnLayout lay;
    columnLayout(static_cast<std::int16_t*>(scratch), f.width, kL, lay);
    const std::int32_t w = f.width, h = f.height, n = p.lineDistance;
    const DestinationStores<O> to(f);
    const ColumnShifts<O> shiftConstants(n);
    const ColumnShifts<O>& shift = fromMemory(shiftConstants);
    const RgbPasses<O> passes{smoothingOf<O>(p.horizontal, true, p.g),
                              divisorOf<O, 3>(p.g, p.shortMagic)};
    const typename O::V limit = O::set32(p.vertical);
    const SourceStaging staging = sourceStaging<O>(f, lay);
    forEachColumnBand<O>(f, n, to.stream, [&](ColumnBand<O>& band, std::int32_t y0) {
        edgePixels<O>(f, y0, n, lay, shift);
        band.withSourceRows(f, staging, [&](const auto& rows) {
            detectForwardRgbColumns<O>(rows, lay, w, shift, combRows<O>(y0, h, n), limit, passes,
                                       band.ahead);
        });
        withDivisionAndStreaming(p.shortMagic != 0, to.stream, [&](auto kShort, auto kStream) {
            backwardFinishRgbColumns<O, kShort, kStream>(lay, w, to.phase, band.destination,
                                                         band.rowCount, passes, band.ahead);
        });
    });
}

}  // namespace
}  // namespace lintra::x86
