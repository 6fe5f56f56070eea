#pragma once
// The recursive passes over a transposed band: one vector lane per row, columns taken in
// order, so each lane runs exactly the per-row recurrence of the portable pipeline. Then the
// division of the recombination, exact in 16-bit lanes.

#include <cstddef>
#include <cstdint>

#include "engine/x86/band_layout.h"

namespace lintra::x86 {
namespace {

inline constexpr std::int32_t kWeightOne = 256;
inline constexpr int kSmoothShift = 8;  // ((256 - g) * d + 128) >> 8
inline constexpr int kHalfShift = 9;    // ((256 - g) * c + 256) >> 9

// Constants of one smoothing group: limit, the two rounded products with 256 - g, and the
// word masks of RGB's green.
template <class O>
struct Smoothing {
    typename O::V limit;
    typename O::MulK smooth;
    typename O::MulK half;
    typename O::V lowWords;
    typename O::V highWords;
};

template <class O>
inline Smoothing<O> smoothingOf(std::int32_t limit, bool vector, std::int32_t g) {
    return Smoothing<O>{vector ? O::set32(limit) : O::set16(limit),
                        O::mulK(kWeightOne - g, kSmoothShift), O::mulK(kWeightOne - g, kHalfShift),
                        O::set32(0xFFFF), O::set32(static_cast<std::int32_t>(0xFFFF0000u))};
}

// ((256 - g) * c + g * s + 128) >> 8 = s + (((256 - g) * (c - s) + 128) >> 8): the 256 * s
// part is a whole multiple, so the rounding is unchanged.
template <class O>
inline typename O::V stepScalar(typename O::V c, typename O::V s, const Smoothing<O>& k) {
    const typename O::V d = O::sub16(c, s);
    return O::select16(O::gt16(O::abs16(d), k.limit), c, O::add16(s, O::mulRound(d, k.smooth)));
}

// (Cr, Cb) or (B, R) pairs: the squared distance of a pair is one multiply-add, and the
// 32-bit comparison masks both of its 16-bit lanes.
template <class O>
inline typename O::V stepPair(typename O::V c, typename O::V s, const Smoothing<O>& k) {
    const typename O::V d = O::sub16(c, s);
    return O::select32(O::gt32(O::madd(d, d), k.limit), c, O::add16(s, O::mulRound(d, k.smooth)));
}

// RGB: the (B, R) pairs of the even rows and of the odd rows, and green in 16-bit lanes, whose
// 32-bit lanes hold an even row in the low word and the next odd row in the high word (see
// transpose32): with the other word masked out, a multiply-add of green adds one row's square
// to that row's pair, so each row's squared distance is two multiply-adds.
template <class O>
inline void stepRgb(const typename O::V c[3], typename O::V s[3], const Smoothing<O>& k) {
    using V = typename O::V;
    const V dLo = O::sub16(c[0], s[0]);
    const V dHi = O::sub16(c[1], s[1]);
    const V dG = O::sub16(c[2], s[2]);
    const V gEven = O::andV(dG, k.lowWords);
    const V gOdd = O::andV(dG, k.highWords);
    const auto restartEven = O::gt32(O::maddAdd(O::madd(dLo, dLo), gEven, dG), k.limit);
    const auto restartOdd = O::gt32(O::maddAdd(O::madd(dHi, dHi), gOdd, dG), k.limit);
    s[0] = O::select32(restartEven, c[0], O::add16(s[0], O::mulRound(dLo, k.smooth)));
    s[1] = O::select32(restartOdd, c[1], O::add16(s[1], O::mulRound(dHi, k.smooth)));
    s[2] =
        O::selectEvenOdd(restartEven, restartOdd, c[2], O::add16(s[2], O::mulRound(dG, k.smooth)));
}

// The recombination sums forward - half + backward - half + rounding, both passes taking off
// the same half of the same comb value. The forward pass keeps value - 2 * half + rounding,
// so that the backward pass only adds its own value.
template <class O>
inline typename O::V forwardKept(typename O::V value, typename O::V c, const Smoothing<O>& k,
                                 typename O::V rounding) {
    const typename O::V half = O::mulRound(c, k.half);
    return O::sub16(O::sub16(O::add16(value, rounding), half), half);
}

// Both passes start from the column itself, keeping its comb value whole: the first column's
// half goes back in.
template <class O>
inline typename O::V withOwnHalf(typename O::V kept, typename O::V c, const Smoothing<O>& k) {
    return O::add16(kept, O::mulRound(c, k.half));
}

// Truncating division of num * 2^kScaleShift by D = g + 256, for |num| < 2^14: on the
// magnitude, a multiply-high by floor(2^(16 + kScaleShift) / D) is low by at most one, and the
// remainder, exact modulo 2^16 because it lies in 0 .. 2D - 1, says when. Where the frame's
// dividends stay within the exact range of a single signed multiply-high (see
// short_division.h), `shortMagic` is that multiplier and the rest is left out.
template <class O>
struct Divisor {
    typename O::V magic;
    typename O::V divisor;
    typename O::V divisorLess1;
    typename O::V shortMagic;
};

template <class O, int kScaleShift>
inline Divisor<O> divisorOf(std::int32_t g, std::int32_t shortMagic) {
    const std::int32_t d = g + kWeightOne;
    return Divisor<O>{O::set16(((1 << (16 + kScaleShift)) / d)), O::set16(d), O::set16(d - 1),
                      O::set16(shortMagic)};
}

template <class O, int kScaleShift, bool kShort>
inline typename O::V divide(typename O::V num, const Divisor<O>& k) {
    using V = typename O::V;
    const V sign = O::template srai16<15>(num);
    if constexpr (kShort) {
        // Signed: rounded down, so negative quotients come out one low (see short_division.h).
        return O::sub16(O::mulhi16(num, k.shortMagic), sign);
    } else {
        const V a = O::abs16(num);
        const V low = O::mulhiU16(a, k.magic);
        const V r = O::sub16(O::template slli16<kScaleShift>(a), O::mullo16(low, k.divisor));
        const V q = O::incrementIf16(O::gt16(r, k.divisorLess1), low);
        return O::sub16(O::xorV(q, sign), sign);
    }
}

// YUV columns: [luma | Cr/Cb of the even rows | Cr/Cb of the odd rows] per column.
template <class O>
struct YccPasses {
    Smoothing<O> luma;
    Smoothing<O> chroma;
    Divisor<O> lumaDivisor;
    Divisor<O> chromaDivisor;
};

// The running values of the forward pass of a YUV band, carried from strip to strip.
template <class O>
struct YccState {
    typename O::V y, c0, c1;
};

// One column of either pass: the running values advance by column c (luma, then the two
// chroma vectors), whose comb values are returned.
template <class O>
inline YccState<O> stepColumn(const std::int16_t* c, typename O::V& sY, typename O::V& sC0,
                              typename O::V& sC1, const YccPasses<O>& k) {
    constexpr std::int32_t kL = O::kLanes;
    const typename O::V cY = O::load(c), cC0 = O::load(c + kL), cC1 = O::load(c + 2 * kL);
    sY = stepScalar<O>(cY, sY, k.luma);
    sC0 = stepPair<O>(cC0, sC0, k.chroma);
    sC1 = stepPair<O>(cC1, sC1, k.chroma);
    return YccState<O>{cY, cC0, cC1};
}

// Forward over columns x0 .. x1 - 1, cols -> pass, continuing from `s` (which column 0
// starts afresh). Taken strip by strip right after each strip is transposed, while its
// columns are still in cache; each lane still sees its row's columns in order.
template <class O>
LINTRA_STAGE void forwardYcc(const std::int16_t* cols, std::int16_t* pass, std::ptrdiff_t colPitch,
                             std::int32_t x0, std::int32_t x1, YccState<O>& s,
                             const YccPasses<O>& passes) {
    const auto& k = inRegisters<O>(passes);
    using V = typename O::V;
    constexpr std::int32_t kL = O::kLanes;
    const V one = O::set16(1);
    V sY = s.y, sC0 = s.c0, sC1 = s.c1;
    if (x0 == 0) {
        sY = O::load(cols);
        sC0 = O::load(cols + kL);
        sC1 = O::load(cols + 2 * kL);
        O::store(pass, withOwnHalf<O>(forwardKept<O>(sY, sY, k.luma, one), sY, k.luma));
        O::store(pass + kL, withOwnHalf<O>(forwardKept<O>(sC0, sC0, k.chroma, one), sC0, k.chroma));
        O::store(pass + 2 * kL,
                 withOwnHalf<O>(forwardKept<O>(sC1, sC1, k.chroma, one), sC1, k.chroma));
        x0 = 1;
    }
    for (std::int32_t x = x0; x < x1; ++x) {
        std::int16_t* out = pass + x * colPitch;
        const YccState<O> c = stepColumn<O>(cols + x * colPitch, sY, sC0, sC1, k);
        O::store(out, forwardKept<O>(sY, c.y, k.luma, one));
        O::store(out + kL, forwardKept<O>(sC0, c.c0, k.chroma, one));
        O::store(out + 2 * kL, forwardKept<O>(sC1, c.c1, k.chroma, one));
    }
    s = YccState<O>{sY, sC0, sC1};
}

// Backward over columns x1 - 1 down to x0, continuing from `s` (which column w - 1 starts
// afresh), combined at once with the forward result into the correction
// ((forward + backward + 1) * 128) / (g + 256), left in pass. Taken strip by strip from the
// right, each strip's corrections leave for the rows while they are still in cache.
template <class O, bool kShortDivision>
LINTRA_STAGE void backwardYcc(const std::int16_t* cols, std::int16_t* pass, std::ptrdiff_t colPitch,
                              std::int32_t x0, std::int32_t x1, std::int32_t w, YccState<O>& s,
                              const YccPasses<O>& passes) {
    const auto& k = inRegisters<O>(passes);
    using V = typename O::V;
    constexpr std::int32_t kL = O::kLanes;
    // The forward pass kept what the sum needs besides the backward value (see forwardKept).
    auto correct = [&](std::int16_t* out, V backward, const Divisor<O>& d) {
        O::store(out, divide<O, 7, kShortDivision>(O::add16(O::load(out), backward), d));
    };
    V sY = s.y, sC0 = s.c0, sC1 = s.c1;
    if (x1 == w) {
        const std::int16_t* last = cols + (w - 1) * colPitch;
        sY = O::load(last);
        sC0 = O::load(last + kL);
        sC1 = O::load(last + 2 * kL);
        std::int16_t* out = pass + (w - 1) * colPitch;
        correct(out, withOwnHalf<O>(sY, sY, k.luma), k.lumaDivisor);
        correct(out + kL, withOwnHalf<O>(sC0, sC0, k.chroma), k.chromaDivisor);
        correct(out + 2 * kL, withOwnHalf<O>(sC1, sC1, k.chroma), k.chromaDivisor);
        --x1;
    }
    for (std::int32_t x = x1 - 1; x >= x0; --x) {
        std::int16_t* out = pass + x * colPitch;
        stepColumn<O>(cols + x * colPitch, sY, sC0, sC1, k);
        correct(out, sY, k.lumaDivisor);
        correct(out + kL, sC0, k.chromaDivisor);
        correct(out + 2 * kL, sC1, k.chromaDivisor);
    }
    s = YccState<O>{sY, sC0, sC1};
}

// RGB sums are taken at an eighth of the scale: the rounding 128 becomes 16.
inline constexpr std::int32_t kRgbRounding = 16;

// RGB columns: [(B, R) even rows | (B, R) odd rows | G, all rows] (see transpose32).
template <class O>
struct RgbPasses {
    Smoothing<O> smoothing;
    Divisor<O> divisor;
};

// Forward over columns x0 .. x1 - 1, continuing from s (see forwardYcc).
template <class O>
LINTRA_STAGE void forwardRgb(const std::int16_t* cols, std::int16_t* pass, std::ptrdiff_t colPitch,
                             std::int32_t x0, std::int32_t x1, typename O::V s[3],
                             const RgbPasses<O>& passes) {
    const auto& k = inRegisters<O>(passes);
    using V = typename O::V;
    constexpr std::int32_t kL = O::kLanes;
    const V rounding = O::set16(kRgbRounding);
    if (x0 == 0) {
        for (int i = 0; i < 3; ++i) {
            s[i] = O::load(cols + i * kL);
            O::store(pass + i * kL,
                     withOwnHalf<O>(forwardKept<O>(s[i], s[i], k.smoothing, rounding), s[i],
                                    k.smoothing));
        }
        x0 = 1;
    }
    V state[3] = {s[0], s[1], s[2]};
    for (std::int32_t x = x0; x < x1; ++x) {
        const std::int16_t* c = cols + x * colPitch;
        std::int16_t* out = pass + x * colPitch;
        const V cv[3] = {O::load(c), O::load(c + kL), O::load(c + 2 * kL)};
        stepRgb<O>(cv, state, k.smoothing);
        for (int i = 0; i < 3; ++i)
            O::store(out + i * kL, forwardKept<O>(state[i], cv[i], k.smoothing, rounding));
    }
    for (int i = 0; i < 3; ++i) s[i] = state[i];
}

// Backward over columns x1 - 1 down to x0, continuing from s (see backwardYcc), combined
// with the forward result into ((forward + backward) * 8 + 128) / (g + 256).
template <class O, bool kShortDivision>
LINTRA_STAGE void backwardRgb(const std::int16_t* cols, std::int16_t* pass, std::ptrdiff_t colPitch,
                              std::int32_t x0, std::int32_t x1, std::int32_t w, typename O::V s[3],
                              const RgbPasses<O>& passes) {
    const auto& k = inRegisters<O>(passes);
    using V = typename O::V;
    constexpr std::int32_t kL = O::kLanes;
    // The forward pass kept what the sum needs besides the backward value (see forwardKept).
    auto correct = [&](std::int16_t* out, V backward) {
        O::store(out, divide<O, 3, kShortDivision>(O::add16(O::load(out), backward), k.divisor));
    };
    if (x1 == w) {
        const std::int16_t* last = cols + (w - 1) * colPitch;
        for (int i = 0; i < 3; ++i) {
            s[i] = O::load(last + i * kL);
            correct(pass + (w - 1) * colPitch + i * kL, withOwnHalf<O>(s[i], s[i], k.smoothing));
        }
        --x1;
    }
    V state[3] = {s[0], s[1], s[2]};
    for (std::int32_t x = x1 - 1; x >= x0; --x) {
        const std::int16_t* c = cols + x * colPitch;
        std::int16_t* out = pass + x * colPitch;
        const V cv[3] = {O::load(c), O::load(c + kL), O::load(c + 2 * kL)};
        stepRgb<O>(cv, state, k.smoothing);
        for (int i = 0; i < 3; ++i) correct(out + i * kL, state[i]);
    }
    for (int i = 0; i < 3; ++i) s[i] = state[i];
}

}  // namespace
}  // namespace lintra::x86
