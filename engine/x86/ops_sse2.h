#pragma once
// 128-bit operations at the SSE2 level (the 32-bit module's baseline). Included only by
// band_kernels_sse2.cpp.

#include <emmintrin.h>

#include <cstddef>
#include <cstdint>

namespace lintra::x86 {
namespace {

struct Sse2Ops {
    using V = __m128i;
    using M16 = __m128i;
    using M32 = __m128i;
    static constexpr int kLanes = 8;  // 16-bit lanes; one 128-bit block

    static V load(const void* p) { return _mm_loadu_si128(static_cast<const __m128i*>(p)); }
    static void store(void* p, V v) { _mm_storeu_si128(static_cast<__m128i*>(p), v); }
    static void stream(void* p, V v) { _mm_stream_si128(static_cast<__m128i*>(p), v); }
    static void fence() { _mm_sfence(); }
    static V loadBlocks(const std::int16_t* p, std::ptrdiff_t) { return load(p); }
    static void storeBlocks(std::int16_t* p, std::ptrdiff_t, V v) { store(p, v); }

    static V zero() { return _mm_setzero_si128(); }
    static V set16(std::int32_t v) { return _mm_set1_epi16(static_cast<short>(v)); }
    static V set32(std::int32_t v) { return _mm_set1_epi32(v); }

    static V add16(V a, V b) { return _mm_add_epi16(a, b); }
    static V sub16(V a, V b) { return _mm_sub_epi16(a, b); }
    static V add32(V a, V b) { return _mm_add_epi32(a, b); }
    static V sub32(V a, V b) { return _mm_sub_epi32(a, b); }
    static V andV(V a, V b) { return _mm_and_si128(a, b); }
    static V orV(V a, V b) { return _mm_or_si128(a, b); }
    static V xorV(V a, V b) { return _mm_xor_si128(a, b); }
    template <int S>
    static V srai16(V v) {
        return _mm_srai_epi16(v, S);
    }
    template <int S>
    static V srli16(V v) {
        return _mm_srli_epi16(v, S);
    }
    template <int S>
    static V slli16(V v) {
        return _mm_slli_epi16(v, S);
    }
    template <int S>
    static V srai32(V v) {
        return _mm_srai_epi32(v, S);
    }
    template <int S>
    static V srli32(V v) {
        return _mm_srli_epi32(v, S);
    }
    template <int S>
    static V slli32(V v) {
        return _mm_slli_epi32(v, S);
    }
    static V max16(V a, V b) { return _mm_max_epi16(a, b); }
    static V min16(V a, V b) { return _mm_min_epi16(a, b); }
    static V abs16(V v) { return _mm_max_epi16(v, _mm_sub_epi16(_mm_setzero_si128(), v)); }
    static V madd(V a, V b) { return _mm_madd_epi16(a, b); }
    static V maddAdd(V acc, V a, V b) { return _mm_add_epi32(acc, madd(a, b)); }
    static V mulhiU16(V a, V b) { return _mm_mulhi_epu16(a, b); }
    static V mulhi16(V a, V b) { return _mm_mulhi_epi16(a, b); }
    static V mullo16(V a, V b) { return _mm_mullo_epi16(a, b); }

    static M16 gt16(V a, V b) { return _mm_cmpgt_epi16(a, b); }
    static M32 gt32(V a, V b) { return _mm_cmpgt_epi32(a, b); }
    static V select(V m, V a, V b) {
        return _mm_or_si128(_mm_and_si128(m, a), _mm_andnot_si128(m, b));
    }
    static V select16(M16 m, V a, V b) { return select(m, a, b); }
    static V select32(M32 m, V a, V b) { return select(m, a, b); }
    // 16-bit select: the low words by `even`'s 32-bit lanes, the high words by `odd`'s.
    static V selectEvenOdd(M32 even, M32 odd, V a, V b) {
        const V low = _mm_set1_epi32(0xFFFF);
        return select(_mm_or_si128(_mm_and_si128(even, low), _mm_andnot_si128(low, odd)), a, b);
    }
    static V zeroIf16(M16 m, V v) { return _mm_andnot_si128(m, v); }
    static V zeroIf32(M32 m, V v) { return _mm_andnot_si128(m, v); }
    static V incrementIf16(M16 m, V v) { return _mm_sub_epi16(v, m); }

    // floor((k * d + 2^(shift-1)) / 2^shift) per 16-bit lane, exact for |d| < 2^14, k <= 256:
    // pairs (d, 1) times (k, rounding) give the 32-bit sum directly.
    struct MulK {
        V pair;
        int shift;
    };
    static MulK mulK(std::int32_t k, int shift) {
        const std::int32_t rounding = 1 << (shift - 1);
        return MulK{_mm_set1_epi32((k & 0xFFFF) | (rounding << 16)), shift};
    }
    static V mulRound(V d, const MulK& k) {
        const V one = _mm_set1_epi16(1);
        const __m128i count = _mm_cvtsi32_si128(k.shift);
        const V lo = _mm_sra_epi32(_mm_madd_epi16(_mm_unpacklo_epi16(d, one), k.pair), count);
        const V hi = _mm_sra_epi32(_mm_madd_epi16(_mm_unpackhi_epi16(d, one), k.pair), count);
        return _mm_packs_epi32(lo, hi);
    }

    // 16-bit lanes of two 32-bit vectors, kept in order.
    static V packs32Ordered(V a, V b) { return _mm_packs_epi32(a, b); }
    static V widenLo(V v) { return _mm_srai_epi32(_mm_unpacklo_epi16(v, v), 16); }
    static V widenHi(V v) { return _mm_srai_epi32(_mm_unpackhi_epi16(v, v), 16); }

    // Within each 128-bit block (all the operations below stay inside their block).
    // Bytes b0-3 g0-3 r0-3 0000 of each block to pixels b g r 0 (SSE2 has no byte shuffle).
    static V interleaveBgr0(V bytes) {
        const V bg = _mm_unpacklo_epi8(bytes, _mm_srli_si128(bytes, 4));  // b0 g0 b1 g1 ..
        const V r0 = _mm_unpacklo_epi8(_mm_srli_si128(bytes, 8), _mm_setzero_si128());  // r0 0 ..
        return _mm_unpacklo_epi16(bg, r0);
    }
    // SSE2 has no byte shuffle (see interleaveBgr0).
    static constexpr bool kByteShuffle = false;
    static constexpr bool kWordPermutes = false;
    static V setBlock32(std::int32_t a, std::int32_t b, std::int32_t c, std::int32_t d) {
        return _mm_setr_epi32(a, b, c, d);
    }
    static V shuffleBytes(V v, V) { return v; }
    static V packs32(V a, V b) { return _mm_packs_epi32(a, b); }
    static V packus16(V a, V b) { return _mm_packus_epi16(a, b); }
    static V shiftBlock8Bytes(V v) { return _mm_srli_si128(v, 8); }
    static V unpackLo8(V a, V b) { return _mm_unpacklo_epi8(a, b); }
    static V unpackLo16(V a, V b) { return _mm_unpacklo_epi16(a, b); }
    static V unpackHi16(V a, V b) { return _mm_unpackhi_epi16(a, b); }
    static V unpackLo32(V a, V b) { return _mm_unpacklo_epi32(a, b); }
    static V unpackHi32(V a, V b) { return _mm_unpackhi_epi32(a, b); }
    static V unpackLo64(V a, V b) { return _mm_unpacklo_epi64(a, b); }
    static V unpackHi64(V a, V b) { return _mm_unpackhi_epi64(a, b); }
};

}  // namespace
}  // namespace lintra::x86
