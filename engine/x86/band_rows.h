#pragma once
// Row-wise stages of the band kernels (comb detection, recombination, test-mode output),
// written once over a level's operations O. Rows are padded to whole vectors.

#include <cstdint>

#include "engine/x86/band_colour.h"
#include "engine/x86/band_layout.h"

namespace lintra::x86 {
namespace {

inline constexpr std::int32_t kMaxYcc = 4095;
inline constexpr std::int32_t kMaxChannel = 255;
inline constexpr std::int32_t kTestModeOffset = 2048;
inline constexpr std::int32_t kTestModeGrey = 0x808080;

// Each neighbour is halved on its own before the sum, as in the portable pipeline.
template <class O>
inline typename O::V combOf(typename O::V top, typename O::V mid, typename O::V bottom) {
    return O::sub16(O::add16(O::template srai16<1>(top), O::template srai16<1>(bottom)), mid);
}

// A row of w pixels, kLanes at a time: `pixels(x, end)` makes the pixels from x on and stores
// those before `end`. With phase s (the first column on a vector boundary of the destination,
// see destinationPhase) the first s pixels are made on their own, so that from s on every
// vector of kLanes / 2 pixels is stored on a boundary, where it can be streamed. Pixels made
// past a row's end (from whatever lies beyond its samples, inside the scratch) are not stored.
template <class O, class Pixels>
inline void alongRow(std::int32_t w, std::int32_t phase, Pixels&& pixels) {
    if (phase > 0) pixels(0, phase < w ? phase : w);
    for (std::int32_t x = phase; x < w; x += O::kLanes) pixels(x, w);
}

// The comb signal of one vector of luma samples (rows above, at and below, from element i
// on), zero where it departs by more than the limit.
template <class O>
LINTRA_PIECE typename O::V lumaCombAt(const std::int16_t* const rows[3], std::int32_t i,
                                      typename O::V limit) {
    const typename O::V c =
        combOf<O>(O::load(rows[0] + i), O::load(rows[1] + i), O::load(rows[2] + i));
    return O::zeroIf16(O::gt16(O::abs16(c), limit), c);
}

// The same for one vector of (Cr, Cb) pairs, judged by their squared distance.
template <class O>
LINTRA_PIECE typename O::V pairCombAt(const std::int16_t* const rows[3], std::int32_t i,
                                      typename O::V limit) {
    const typename O::V c =
        combOf<O>(O::load(rows[0] + i), O::load(rows[1] + i), O::load(rows[2] + i));
    return O::zeroIf32(O::gt32(O::madd(c, c), limit), c);
}

// A strip of `count` pixels (a whole number of vectors) of one row: luma samples and
// (Cr, Cb) pairs. The luma limit fits a 16-bit lane and the chroma limit a 32-bit lane (see
// simd_dispatch.cpp).
template <class O>
LINTRA_STAGE void detectYccRow(const std::int16_t* const luma[3],
                               const std::int16_t* const chroma[3], std::int16_t* outLuma,
                               std::int16_t* outChroma, std::int32_t count, typename O::V lumaLimit,
                               typename O::V chromaLimit) {
    for (std::int32_t i = 0; i < count; i += O::kLanes) {
        O::store(outLuma + i, lumaCombAt<O>(luma, i, lumaLimit));
    }
    for (std::int32_t i = 0; i < 2 * count; i += O::kLanes) {
        O::store(outChroma + i, pairCombAt<O>(chroma, i, chromaLimit));
    }
}

// The corrections of w pixels added to their converted source, clamped, converted back.
// Every vector takes the whole way: in real pictures a vector of 32 pixels whose corrections
// are all zero is rare, and testing for it cost more than it saved.
template <class O, bool kStream>
LINTRA_STAGE void finishYccRow(const std::int16_t* luma, const std::int16_t* chroma,
                               const std::int16_t* lumaCorrection,
                               const std::int16_t* chromaCorrection, std::uint8_t* destination,
                               std::int32_t w, std::int32_t phase, const ToRgb<O>& constants) {
    const auto& k = inRegisters<O>(constants);
    using V = typename O::V;
    constexpr std::int32_t kL = O::kLanes;
    const V lo = O::zero();
    const V hi = O::set16(kMaxYcc);
    auto sum = [&](const std::int16_t* source, const std::int16_t* correction) {
        return O::min16(O::max16(O::add16(O::load(source), O::load(correction)), lo), hi);
    };
    alongRow<O>(w, phase, [&](std::int32_t x, std::int32_t end) {
        storeYccPixels<O, true, kStream>(
            sum(luma + x, lumaCorrection + x), sum(chroma + 2 * x, chromaCorrection + 2 * x),
            sum(chroma + 2 * x + kL, chromaCorrection + 2 * x + kL), k, destination, x, end);
    });
}

// RGB strips hold (B, R) pairs, the pixel's own byte positions, and green as 16-bit
// samples. The channels are treated alike everywhere, so how they are
// grouped changes no value.
template <class O>
inline typename O::V blueRedOf(typename O::V p) {
    return O::andV(p, O::set32(0x00FF00FF));
}
template <class O>
inline typename O::V greenOf(typename O::V p) {
    return O::andV(O::template srli32<8>(p), O::set32(0xFF));
}

// 16 * (average of the neighbours - line) = 8 * (t + b - 2m), exact in 16-bit lanes.
template <class O>
inline typename O::V rgbCombOf(typename O::V top, typename O::V mid, typename O::V bottom) {
    return O::template slli16<3>(O::sub16(O::add16(top, bottom), O::add16(mid, mid)));
}

// One vector of pixels: (B, R) comb pairs into out, green comb as (G, 0) pairs returned.
// Green is taken with the byte above it, (G, X) in each lane, and the comb of X is cleared
// once instead of X in every row.
template <class O>
inline typename O::V detectRgbPixels(const std::uint8_t* top, const std::uint8_t* mid,
                                     const std::uint8_t* bottom, std::int32_t x, std::int32_t w,
                                     typename O::V limit, std::int16_t* outBlueRed) {
    using V = typename O::V;
    const V t = loadPixels<O>(top, x, w);
    const V m = loadPixels<O>(mid, x, w);
    const V b = loadPixels<O>(bottom, x, w);
    const V br = rgbCombOf<O>(blueRedOf<O>(t), blueRedOf<O>(m), blueRedOf<O>(b));
    const V g = O::andV(
        rgbCombOf<O>(O::template srli16<8>(t), O::template srli16<8>(m), O::template srli16<8>(b)),
        O::set32(0xFFFF));
    const auto dropped = O::gt32(O::maddAdd(O::madd(br, br), g, g), limit);
    O::store(outBlueRed + 2 * x, O::zeroIf32(dropped, br));
    if constexpr (O::kWordPermutes) {
        return O::zeroIf32(dropped, g);  // narrowed by taking the low words as they are
    } else {
        // Sign-extended, so that the saturating pack to 16 bits keeps negative values.
        return O::template srai32<16>(O::template slli32<16>(O::zeroIf32(dropped, g)));
    }
}

// A strip of `count` pixels (a whole number of vectors) of which the first w exist.
template <class O>
LINTRA_STAGE void detectRgbRow(const std::uint8_t* top, const std::uint8_t* mid,
                               const std::uint8_t* bottom, std::int16_t* outBlueRed,
                               std::int16_t* outGreen, std::int32_t w, std::int32_t count,
                               typename O::V limit) {
    constexpr std::int32_t kL = O::kLanes;
    for (std::int32_t x = 0; x < count; x += kL) {
        const auto g0 = detectRgbPixels<O>(top, mid, bottom, x, w, limit, outBlueRed);
        const auto g1 = detectRgbPixels<O>(top, mid, bottom, x + kL / 2, w, limit, outBlueRed);
        O::store(outGreen + x, O::packs32Ordered(g0, g1));
    }
}

// Source pixels plus corrections, each channel clamped to 0..255. Where the level has a byte
// shuffle, the saturating pack clamps and the shuffle places the bytes: green is taken with
// the byte above it, (G, X) in each lane, and X (plus the correction's sign) is left out.
// Otherwise the widened green correction fills the upper half of its lane with its sign,
// which the clamp turns into 0.
template <class O, bool kStream>
LINTRA_PIECE void finishRgbPixels(const std::uint8_t* source, const std::int16_t* blueRed,
                                  typename O::V green, typename O::V order,
                                  std::uint8_t* destination, std::int32_t x, std::int32_t w) {
    using V = typename O::V;
    const V p = loadPixels<O>(source, x, w);
    const V br = O::add16(blueRedOf<O>(p), O::load(blueRed + 2 * x));
    if constexpr (O::kByteShuffle) {
        const V g = O::add16(O::template srli16<8>(p), green);
        storePixels<O, kStream>(destination, x, w, O::shuffleBytes(O::packus16(br, g), order));
    } else {
        const V lo = O::zero();
        const V hi = O::set16(kMaxChannel);
        const V g = O::min16(O::max16(O::add16(greenOf<O>(p), green), lo), hi);
        storePixels<O, kStream>(destination, x, w,
                                O::orV(O::min16(O::max16(br, lo), hi), O::template slli32<8>(g)));
    }
}

template <class O, bool kStream>
LINTRA_STAGE void finishRgbRow(const std::uint8_t* source, const std::int16_t* blueRed,
                               const std::int16_t* green, std::uint8_t* destination, std::int32_t w,
                               std::int32_t phase) {
    using V = typename O::V;
    constexpr std::int32_t kL = O::kLanes;
    // Packed per block: B R of four pixels, then G X; to B G R 0 (byte-shuffle levels).
    const V order = pixelBytes<O>({0, 2}, {8, 2}, {1, 2});
    alongRow<O>(w, phase, [&](std::int32_t x, std::int32_t end) {
        const V g = O::load(green + x);
        finishRgbPixels<O, kStream>(source, blueRed, O::widenLo(g), order, destination, x, end);
        finishRgbPixels<O, kStream>(source, blueRed, O::widenHi(g), order, destination, x + kL / 2,
                                    end);
    });
}

// 0x808080 + (R >> 4) * 65536 + (G >> 4) * 256 + (B >> 4) as one 32-bit sum, so carries
// and borrows cross bytes exactly as in the portable pipeline. R >> 4 is taken from the
// upper half of the (B, R) lane: the lower half adds less than 2^16 to R * 2^16, which
// never reaches the next multiple of 2^20. `grey` holds 0x808080, `g` is G >> 4 in a 32-bit
// lane.
template <class O>
LINTRA_PIECE typename O::V testRgbPixels(typename O::V grey, typename O::V br, typename O::V g) {
    using V = typename O::V;
    const V r = O::template srai32<20>(br);
    const V b = O::template srai32<20>(O::template slli32<16>(br));
    return O::add32(O::add32(grey, O::template slli32<16>(r)),
                    O::add32(O::template slli32<8>(g), b));
}

template <class O, bool kStream>
LINTRA_STAGE void testRgbRow(const std::int16_t* blueRed, const std::int16_t* green,
                             std::uint8_t* destination, std::int32_t w, std::int32_t phase) {
    using V = typename O::V;
    constexpr std::int32_t kL = O::kLanes;
    const V grey = O::set32(kTestModeGrey);
    alongRow<O>(w, phase, [&](std::int32_t x, std::int32_t end) {
        const V g = O::load(green + x);
        storePixels<O, kStream>(
            destination, x, end,
            testRgbPixels<O>(grey, O::load(blueRed + 2 * x), O::template srai32<4>(O::widenLo(g))));
        storePixels<O, kStream>(destination, x + kL / 2, end,
                                testRgbPixels<O>(grey, O::load(blueRed + 2 * x + kL),
                                                 O::template srai32<4>(O::widenHi(g))));
    });
}

}  // namespace
}  // namespace lintra::x86
