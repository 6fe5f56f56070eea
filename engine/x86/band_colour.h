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

// The constants of the forward conversion, built once per frame and read from memory by the
// loops: left to the loop, compilers tend to rebuild each broadcast on every pass, on the
// shuffle port the loop needs. Built per row instead, their stores to the stack would wait
// behind the previous row's destination stores, and the loads behind them (a 512-bit store
// does not forward to a load on every core).
template <class O>
struct ToYcc {
    using V = typename O::V;
    V blueRed = O::set32(0x00FF00FF);
    V byte = O::set32(0xFF);
    V doubledByte = O::set32(0x1FE);
    V lowHalf = O::set32(0xFFFF);
    V highHalf = O::set32(static_cast<std::int32_t>(0xFFFF0000u));
    V yBlueRed = O::set32(pairOf(6405, 16840));
    // With a byte shuffle green fills both halves of its lane; without, the lane holds 2G.
    V yGreen = O::set32(O::kByteShuffle ? pairOf(16529, 16529) : pairOf(16529, 0));
    V crBlueRed = O::set32(pairOf(-4671, 28781));
    V crGreen = O::set32(pairOf(-24110, 0));
    V cbBlueRed = O::set32(pairOf(28781, -9713));
    V cbGreen = O::set32(pairOf(-19068, 0));
    V yOffset = O::set32(kYOffset);
    V cOffset = O::set32(kCOffset);
    // Byte orders (0x80 clears a byte): each pixel's G as the pair (G, G) in its lane, and
    // the 16-bit Cr and Cb of a pack interleaved into (Cr, Cb) pairs; see yccOfPixels.
    V greenPair = O::setBlock32(
        static_cast<std::int32_t>(0x80018001u), static_cast<std::int32_t>(0x80058005u),
        static_cast<std::int32_t>(0x80098009u), static_cast<std::int32_t>(0x800D800Du));
    V crCbPairs = O::setBlock32(0x09080100, 0x0B0A0302, 0x0D0C0504, 0x0F0E0706);
};

// Where pixel k (0 .. 3) of every block finds its blue, green and red bytes (first + step * k),
// as a byte shuffle order to pixels b g r 0 (0x80 clears a byte).
struct BytePlace {
    int first;
    int step;
};
template <class O>
typename O::V pixelBytes(BytePlace b, BytePlace g, BytePlace r) {
    auto pixel = [&](int k) {
        return static_cast<std::int32_t>(static_cast<std::uint32_t>(b.first + b.step * k) |
                                         static_cast<std::uint32_t>(g.first + g.step * k) << 8 |
                                         static_cast<std::uint32_t>(r.first + r.step * k) << 16 |
                                         0x80000000u);
    };
    return O::setBlock32(pixel(0), pixel(1), pixel(2), pixel(3));
}

// A word order for the levels whose words permute freely (zero elsewhere, where it is unused):
// word i of the result is word order(i) of the sources.
template <class O, class Order>
typename O::V wordOrder(Order order) {
    if constexpr (O::kWordPermutes) {
        std::int16_t words[O::kLanes];
        for (int i = 0; i < O::kLanes; ++i) words[i] = static_cast<std::int16_t>(order(i));
        return O::setWords(words);
    } else {
        return O::zero();
    }
}

// One vector of pixels (B, G, R, X bytes) to 32-bit luma and (Cr, Cb) pairs.
// 33058 * G does not fit a 16-bit factor, so it is taken as 16529 * (G + G): from the pair
// (G, G) where the level has a byte shuffle, from 2G beside 0 otherwise. kLumaHigh: luma in
// the high word of its lane instead (the low word left as it falls), to be paired with
// another vector's luma without a word permute (see pairedLuma).
template <class O, bool kLumaHigh = false>
LINTRA_PIECE void yccOfPixels(typename O::V p, typename O::V& luma, typename O::V& chroma,
                              const ToYcc<O>& k) {
    using V = typename O::V;
    // Where the level has a byte shuffle, green and the (Cr, Cb) pairs are formed on the
    // shuffle port rather than with shifts, which share a port with the multiply-adds. Cr and
    // Cb lie in 240 .. 3824, so the saturating pack keeps them as they are. The (G, G) pair
    // gives -24110 * G and -19068 * G against (factor, 0) pairs as well.
    const V br = O::andV(p, k.blueRed);
    V g, g2;
    if constexpr (O::kByteShuffle) {
        g = O::shuffleBytes(p, k.greenPair);
        g2 = g;
    } else {
        g = O::andV(O::template srli32<8>(p), k.byte);
        g2 = O::andV(O::template srli32<7>(p), k.doubledByte);
    }
    const V lumaSum = O::maddAdd(O::maddAdd(k.yOffset, br, k.yBlueRed), g2, k.yGreen);
    luma = kLumaHigh ? O::template slli32<4>(lumaSum) : O::template srai32<12>(lumaSum);
    const V crSum = O::maddAdd(O::maddAdd(k.cOffset, br, k.crBlueRed), g, k.crGreen);
    const V cbSum = O::maddAdd(O::maddAdd(k.cOffset, br, k.cbBlueRed), g, k.cbGreen);
    if constexpr (O::kWordPermutes) {
        // Cr (bits 12 .. 27 of its sum) into the low word, Cb's into the high word.
        chroma = O::blendOddWords(O::template srai32<12>(crSum), O::template slli32<4>(cbSum));
    } else if constexpr (O::kByteShuffle) {
        chroma = O::shuffleBytes(
            O::packs32(O::template srai32<12>(crSum), O::template srai32<12>(cbSum)), k.crCbPairs);
    } else {
        chroma = O::orV(O::andV(O::template srai32<12>(crSum), k.lowHalf),
                        O::andV(O::template slli32<4>(cbSum), k.highHalf));
    }
}

// The luma of two vectors of pixels (the second's in its high words, see yccOfPixels) as
// one vector of words, paired: word 2j is pixel j of the first, word 2j + 1 pixel j of the
// second. The word operations on luma treat every word alike, so only the way in and out
// (pixelsOfYccByWords) know the order; a blend costs less than the permute to natural order.
template <class O>
LINTRA_PIECE typename O::V pairedLuma(typename O::V first, typename O::V secondHigh) {
    return O::blendOddWords(first, secondHigh);
}

// Clamps 32-bit b, g, r lanes (already shifted to 8-bit scale) to 0..255 and interleaves
// them into B, G, R, 0 pixels, all inside each 128-bit block: the saturating packs clamp,
// the level's byte interleave puts the bytes in place.
template <class O>
LINTRA_PIECE typename O::V pixelsOfBytes(typename O::V b, typename O::V g, typename O::V r) {
    return O::interleaveBgr0(O::packus16(O::packs32(b, g), O::packs32(r, O::zero())));
}

// The constants of the conversion back, built once per frame (see ToYcc). With a `shift`,
// every component counts as that much larger (test mode shows the comb signal plus 2048): the
// sums are linear in the components, so the shift's share goes into the constant terms.
template <class O>
struct ToRgb {
    using V = typename O::V;
    explicit ToRgb(std::int32_t shift = 0)
        : redOffset(O::set32(kROffset + shift * (76283 + 104595))),
          greenOffset(O::set32(kGOffset + shift * (76283 - 53281 - 25625))),
          blueOffset(O::set32(kBOffset + shift * (76283 + 132253))) {}
    V luma = O::set32(pairOf(10747, 0));
    V upperHalf = O::set32(static_cast<std::int32_t>(0xFFFF0000u));
    V red = O::set32(pairOf(-26477, 0));
    V green = O::set32(pairOf(12255, -25625));
    V blue = O::set32(pairOf(0, 1181));
    V blueOfDoubled = O::set32(pairOf(-2, 1181));
    V redOffset;
    V greenOffset;
    V blueOffset;
    // Byte orders taking blocks b0-3 g0-3 r0-3 r'0-3 to pixels b g r 0 and b g r' 0; see
    // pixelPairOfBytes.
    V firstPixels = pixelBytes<O>({0, 1}, {4, 1}, {8, 1});
    V secondPixels = pixelBytes<O>({0, 1}, {4, 1}, {12, 1});
    // Where words permute freely (see pixelsOfYccByWords): the luma words of the first and of
    // the second half of the pixels into the high words; per block j, blue and green of pixels
    // 4j .. 4j + 3 of a half, and the reds of pixels 4j .. 4j + 3 of both halves (high words
    // of the sums; words of the second source count from kLanes); bytes of the packed words
    // to pixels b g r 0 of the first and of the second half.
    V lumaOfHigh = O::set32(pairOf(0, 10747));
    V lumaFirst = wordOrder<O>([](int i) { return i / 2; });
    V lumaSecond = wordOrder<O>([](int i) { return O::kLanes / 2 + i / 2; });
    V blueGreenWords =
        wordOrder<O>([](int i) { return 2 * (i / 8 * 4 + i % 8 / 2) + 1 + i % 2 * O::kLanes; });
    V redWords =
        wordOrder<O>([](int i) { return 2 * (i / 8 * 4 + i % 4) + 1 + i % 8 / 4 * O::kLanes; });
    V firstOfWords = pixelBytes<O>({0, 2}, {1, 2}, {8, 1});
    V secondOfWords = pixelBytes<O>({0, 2}, {1, 2}, {12, 1});
};

// 32-bit b, g, r lanes (at 8-bit scale, not yet clamped) of one vector of pixels.
template <class O>
struct Channels {
    typename O::V b, g, r;
};

// 76283 * Y (l) and (Cr, Cb) pairs to the sums whose bits 20 and up are the channels.
// 76283 = 65536 + 10747, 104595 = 131072 - 26477, -53281 = -65536 + 12255, 132253 = 131072 +
// 1181: the large parts are shifts. With kInRange every sample lies in 0 .. 4095, so the pair
// lane is Cr + 65536 * Cb and its double gives 131072 * Cb beside 2 * Cr, which the
// multiply-add takes back: one operation less for blue. Every sum is the same integer modulo
// 2^32 and fits 32 bits, so the results are identical.
template <class O, bool kInRange>
LINTRA_PIECE Channels<O> sumsOfYcc(typename O::V l, typename O::V chroma, const ToRgb<O>& k) {
    using V = typename O::V;
    const V cr16 = O::template slli32<16>(chroma);
    const V r = O::maddAdd(O::add32(O::add32(l, k.redOffset), O::add32(cr16, cr16)), chroma, k.red);
    const V g = O::maddAdd(O::add32(O::sub32(l, cr16), k.greenOffset), chroma, k.green);
    V b;
    if constexpr (kInRange) {
        b = O::maddAdd(O::add32(O::add32(l, k.blueOffset), O::add32(chroma, chroma)), chroma,
                       k.blueOfDoubled);
    } else {
        const V cb16 = O::andV(chroma, k.upperHalf);
        b = O::maddAdd(O::add32(O::add32(l, k.blueOffset), O::add32(cb16, cb16)), chroma, k.blue);
    }
    return Channels<O>{b, g, r};
}

// 32-bit luma and (Cr, Cb) pairs to channels (at 8-bit scale, not yet clamped).
template <class O, bool kInRange>
LINTRA_PIECE Channels<O> channelsOfYcc(typename O::V luma, typename O::V chroma,
                                       const ToRgb<O>& k) {
    const Channels<O> s =
        sumsOfYcc<O, kInRange>(O::maddAdd(O::template slli32<16>(luma), luma, k.luma), chroma, k);
    return Channels<O>{O::template srai32<20>(s.b), O::template srai32<20>(s.g),
                       O::template srai32<20>(s.r)};
}

// Where words permute freely, the 16-bit luma goes straight into the high words (65536 * Y,
// to which the multiply-add adds 10747 * Y), and the channels leave their sums as high words
// (the sum >> 16, whose >> 4 is the channel), gathered so that two packs and two byte
// shuffles make the pixels: per block, blue and green of four pixels of each half, and the
// reds of four pixels of both. kPairedLuma: luma in the order of pairedLuma, whose words
// reach the high words by a shift and a mask.
template <class O, bool kInRange, bool kPairedLuma = false>
LINTRA_PIECE void pixelsOfYccByWords(typename O::V luma, typename O::V c0, typename O::V c1,
                                     const ToRgb<O>& k, typename O::V& first,
                                     typename O::V& second) {
    using V = typename O::V;
    V la, lb;
    if constexpr (kPairedLuma) {
        la = O::template slli32<16>(luma);
        lb = O::andV(luma, k.upperHalf);
    } else {
        la = O::permuteWordsHigh(luma, k.lumaFirst);
        lb = O::permuteWordsHigh(luma, k.lumaSecond);
    }
    const Channels<O> a = sumsOfYcc<O, kInRange>(O::maddAdd(la, la, k.lumaOfHigh), c0, k);
    const Channels<O> b = sumsOfYcc<O, kInRange>(O::maddAdd(lb, lb, k.lumaOfHigh), c1, k);
    const V reds = O::template srai16<4>(O::permuteWords(a.r, b.r, k.redWords));
    const V blueGreenA = O::template srai16<4>(O::permuteWords(a.b, a.g, k.blueGreenWords));
    const V blueGreenB = O::template srai16<4>(O::permuteWords(b.b, b.g, k.blueGreenWords));
    first = O::shuffleBytes(O::packus16(blueGreenA, reds), k.firstOfWords);
    second = O::shuffleBytes(O::packus16(blueGreenB, reds), k.secondOfWords);
}

// Two vectors of channels to pixels with one pack fewer than two pixelsOfBytes: the reds of
// both share a pack, and the byte shuffle both places and clears the bytes. The same
// saturating packs clamp every channel.
template <class O>
LINTRA_PIECE void pixelPairOfBytes(const Channels<O>& a, const Channels<O>& b, const ToRgb<O>& k,
                                   typename O::V& first, typename O::V& second) {
    const typename O::V reds = O::packs32(a.r, b.r);
    first = O::shuffleBytes(O::packus16(O::packs32(a.b, a.g), reds), k.firstPixels);
    second = O::shuffleBytes(O::packus16(O::packs32(b.b, b.g), reds), k.secondPixels);
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

// Stores one vector of pixels, only those before the row's end; with kStream, whole vectors
// bypass the caches (the row starts on a vector boundary).
template <class O, bool kStream = false>
LINTRA_PIECE void storePixels(std::uint8_t* row, std::int32_t x, std::int32_t w, typename O::V v) {
    constexpr std::int32_t kPixels = O::kLanes / 2;
    if (w - x >= kPixels) {
        if constexpr (kStream) {
            O::stream(row + 4 * x, v);
        } else {
            O::store(row + 4 * x, v);
        }
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
                               std::int32_t w, const ToYcc<O>& constants) {
    const auto& k = inRegisters<O>(constants);
    using V = typename O::V;
    constexpr std::int32_t kL = O::kLanes;
    for (std::int32_t x = 0; x < w; x += kL) {
        V y0, y1, c0, c1;
        yccOfPixels<O>(loadPixels<O>(source, x, w), y0, c0, k);
        yccOfPixels<O>(loadPixels<O>(source, x + kL / 2, w), y1, c1, k);
        O::store(luma + x, O::packs32Ordered(y0, y1));
        O::store(chroma + 2 * x, c0);
        O::store(chroma + 2 * x + kL, c1);
    }
}

// One vector of luma samples and its two vectors of (Cr, Cb) pairs to two vectors of pixels.
// kInRange: every sample lies in 0 .. 4095 (see channelsOfYcc). kPairedLuma: see pairedLuma
// (levels whose words permute freely).
template <class O, bool kInRange, bool kPairedLuma = false>
LINTRA_PIECE void pixelsOfYcc(typename O::V luma, typename O::V c0, typename O::V c1,
                              const ToRgb<O>& k, typename O::V& first, typename O::V& second) {
    static_assert(!kPairedLuma || O::kWordPermutes);
    if constexpr (O::kWordPermutes) {
        pixelsOfYccByWords<O, kInRange, kPairedLuma>(luma, c0, c1, k, first, second);
    } else {
        const Channels<O> a = channelsOfYcc<O, kInRange>(O::widenLo(luma), c0, k);
        const Channels<O> b = channelsOfYcc<O, kInRange>(O::widenHi(luma), c1, k);
        if constexpr (O::kByteShuffle) {
            pixelPairOfBytes<O>(a, b, k, first, second);
        } else {
            first = pixelsOfBytes<O>(a.b, a.g, a.r);
            second = pixelsOfBytes<O>(b.b, b.g, b.r);
        }
    }
}

// kStream: see storePixels.
template <class O, bool kInRange = false, bool kStream = false, bool kPairedLuma = false>
LINTRA_PIECE void storeYccPixels(typename O::V luma, typename O::V c0, typename O::V c1,
                                 const ToRgb<O>& k, std::uint8_t* row, std::int32_t x,
                                 std::int32_t w) {
    typename O::V first, second;
    pixelsOfYcc<O, kInRange, kPairedLuma>(luma, c0, c1, k, first, second);
    storePixels<O, kStream>(row, x, w, first);
    storePixels<O, kStream>(row, x + O::kLanes / 2, w, second);
}

template <class O>
LINTRA_STAGE void yccToRgbRowT(const std::int16_t* luma, const std::int16_t* chroma,
                               std::uint8_t* destination, std::int32_t w,
                               const ToRgb<O>& constants) {
    const auto& k = inRegisters<O>(constants);
    constexpr std::int32_t kL = O::kLanes;
    for (std::int32_t x = 0; x < w; x += kL) {
        storeYccPixels<O>(O::load(luma + x), O::load(chroma + 2 * x), O::load(chroma + 2 * x + kL),
                          k, destination, x, w);
    }
}

// Single rows with their own constants, for the kernel table.
template <class O>
void rgbToYccRowAlone(const std::uint8_t* source, std::int16_t* luma, std::int16_t* chroma,
                      std::int32_t w) {
    const ToYcc<O> k;
    rgbToYccRowT<O>(source, luma, chroma, w, k);
}
template <class O>
void yccToRgbRowAlone(const std::int16_t* luma, const std::int16_t* chroma,
                      std::uint8_t* destination, std::int32_t w) {
    const ToRgb<O> k;
    yccToRgbRowT<O>(luma, chroma, destination, w, k);
}

}  // namespace
}  // namespace lintra::x86
