#pragma once
// Colour conversion for the band kernels, written once over a level's operations O. The
// arithmetic is that of colour_constants.h, rearranged into 16-bit multiply-add pairs: every
// partial sum is the same 32-bit integer, so the results are identical.

#include <cstdint>
#include <cstring>

#include "engine/x86/band_layout.h"

namespace lintra::x86 {
namespace {

inline constexpr std::int32_t kYOffset = 240 * 4096 + 2048;
inline constexpr std::int32_t kCOffset = 2032 * 4096 + 2048;
inline constexpr std::int32_t kROffset = -230318672;
inline constexpr std::int32_t kGOffset = 142550864;
inline constexpr std::int32_t kBOffset = -286518848;

// A 32-bit lane holding the 16-bit pair (lo, hi), as multiply-add operands.
inline std::int32_t pairOf(std::int32_t lo, std::int32_t hi) {
    return (lo & 0xFFFF) | (hi << 16);
}

// One vector of pixels (B, G, R, X bytes) to 32-bit luma and (Cr, Cb) pairs.
// 33058 * G does not fit a 16-bit factor, so it is taken as 16529 * 2G.
template <class O>
inline void yccOfPixels(typename O::V p, typename O::V& luma, typename O::V& chroma) {
    using V = typename O::V;
    const V br = O::andV(p, O::set32(0x00FF00FF));
    const V g = O::andV(O::template srli32<8>(p), O::set32(0xFF));
    const V g2 = O::andV(O::template srli32<7>(p), O::set32(0x1FE));
    luma = O::template srai32<12>(O::add32(O::add32(O::madd(br, O::set32(pairOf(6405, 16840))),
                                                    O::madd(g2, O::set32(pairOf(16529, 0)))),
                                           O::set32(kYOffset)));
    const V cr =
        O::template srai32<12>(O::add32(O::add32(O::madd(br, O::set32(pairOf(-4671, 28781))),
                                                 O::madd(g, O::set32(pairOf(-24110, 0)))),
                                        O::set32(kCOffset)));
    const V cb =
        O::template srai32<12>(O::add32(O::add32(O::madd(br, O::set32(pairOf(28781, -9713))),
                                                 O::madd(g, O::set32(pairOf(-19068, 0)))),
                                        O::set32(kCOffset)));
    chroma = O::orV(O::andV(cr, O::set32(0xFFFF)), O::template slli32<16>(cb));
}

// Clamps 32-bit b, g, r lanes (already shifted to 8-bit scale) to 0..255 and interleaves
// them into B, G, R, 0 pixels, all inside each 128-bit block: the saturating packs clamp,
// the level's byte interleave puts the bytes in place.
template <class O>
inline typename O::V pixelsOfBytes(typename O::V b, typename O::V g, typename O::V r) {
    return O::interleaveBgr0(O::packus16(O::packs32(b, g), O::packs32(r, O::zero())));
}

// 32-bit luma and (Cr, Cb) pairs to pixels. 76283 = 65536 + 10747, 104595 = 131072 - 26477,
// -53281 = -65536 + 12255, 132253 = 131072 + 1181: the large parts are shifts.
template <class O>
inline typename O::V pixelsOfYcc(typename O::V luma, typename O::V chroma) {
    using V = typename O::V;
    const V l = O::add32(O::template slli32<16>(luma), O::madd(luma, O::set32(pairOf(10747, 0))));
    const V cr16 = O::template slli32<16>(chroma);
    const V cb16 = O::andV(chroma, O::set32(static_cast<std::int32_t>(0xFFFF0000u)));
    const V r =
        O::add32(O::add32(l, O::add32(cr16, cr16)),
                 O::add32(O::madd(chroma, O::set32(pairOf(-26477, 0))), O::set32(kROffset)));
    const V g =
        O::add32(O::sub32(l, cr16),
                 O::add32(O::madd(chroma, O::set32(pairOf(12255, -25625))), O::set32(kGOffset)));
    const V b = O::add32(O::add32(l, O::add32(cb16, cb16)),
                         O::add32(O::madd(chroma, O::set32(pairOf(0, 1181))), O::set32(kBOffset)));
    return pixelsOfBytes<O>(O::template srai32<20>(b), O::template srai32<20>(g),
                            O::template srai32<20>(r));
}

// Loads half a vector's worth of 16-bit lanes in pixels (kLanes / 2) from a row of w
// pixels, zero-filling past its end so no byte outside the row is read.
template <class O>
inline typename O::V loadPixels(const std::uint8_t* row, std::int32_t x, std::int32_t w) {
    constexpr std::int32_t kPixels = O::kLanes / 2;
    if (w - x >= kPixels) return O::load(row + 4 * x);
    alignas(64) std::uint8_t tail[4 * static_cast<std::size_t>(kPixels)] = {};
    if (w > x) std::memcpy(tail, row + 4 * x, static_cast<std::size_t>(w - x) * 4u);
    return O::load(tail);
}

// Stores one vector of pixels, only those before the row's end.
template <class O>
inline void storePixels(std::uint8_t* row, std::int32_t x, std::int32_t w, typename O::V v) {
    constexpr std::int32_t kPixels = O::kLanes / 2;
    if (w - x >= kPixels) {
        O::store(row + 4 * x, v);
        return;
    }
    if (w <= x) return;
    alignas(64) std::uint8_t tail[4 * static_cast<std::size_t>(kPixels)];
    O::store(tail, v);
    std::memcpy(row + 4 * x, tail, static_cast<std::size_t>(w - x) * 4u);
}

// A row of pixels to its luma row and (Cr, Cb) pair row, both padded to whole vectors.
template <class O>
LINTRA_STAGE void rgbToYccRowT(const std::uint8_t* source, std::int16_t* luma, std::int16_t* chroma,
                               std::int32_t w) {
    using V = typename O::V;
    constexpr std::int32_t kL = O::kLanes;
    for (std::int32_t x = 0; x < w; x += kL) {
        V y0, y1, c0, c1;
        yccOfPixels<O>(loadPixels<O>(source, x, w), y0, c0);
        yccOfPixels<O>(loadPixels<O>(source, x + kL / 2, w), y1, c1);
        O::store(luma + x, O::packs32Ordered(y0, y1));
        O::store(chroma + 2 * x, c0);
        O::store(chroma + 2 * x + kL, c1);
    }
}

template <class O>
inline void storeYccPixels(typename O::V luma, typename O::V c0, typename O::V c1,
                           std::uint8_t* row, std::int32_t x, std::int32_t w) {
    storePixels<O>(row, x, w, pixelsOfYcc<O>(O::widenLo(luma), c0));
    storePixels<O>(row, x + O::kLanes / 2, w, pixelsOfYcc<O>(O::widenHi(luma), c1));
}

template <class O>
LINTRA_STAGE void yccToRgbRowT(const std::int16_t* luma, const std::int16_t* chroma,
                               std::uint8_t* destination, std::int32_t w) {
    constexpr std::int32_t kL = O::kLanes;
    for (std::int32_t x = 0; x < w; x += kL) {
        storeYccPixels<O>(O::load(luma + x), O::load(chroma + 2 * x), O::load(chroma + 2 * x + kL),
                          destination, x, w);
    }
}

}  // namespace
}  // namespace lintra::x86
