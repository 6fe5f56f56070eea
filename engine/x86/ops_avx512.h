#pragma once
// 512-bit operations at the AVX-512 (F, BW, VNNI) level. Included only by
// band_kernels_avx512.cpp.

#include <immintrin.h>

#include <cstddef>
#include <cstdint>

namespace lintra::x86 {
namespace {

struct Avx512Ops {
    using V = __m512i;
    using M16 = __mmask32;
    using M32 = __mmask16;
    static constexpr int kLanes = 32;  // 16-bit lanes; four 128-bit blocks

    static V load(const void* p) { return _mm512_loadu_si512(p); }
    static void store(void* p, V v) { _mm512_storeu_si512(p, v); }
    // Streaming store (p aligned to 64 bytes), and the fence that orders such stores.
    static void stream(void* p, V v) { _mm512_stream_si512(static_cast<__m512i*>(p), v); }
    static void fence() { _mm_sfence(); }
    static __m128i load128(const std::int16_t* p) {
        return _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
    }
    static V loadBlocks(const std::int16_t* p, std::ptrdiff_t s) {
        V v = _mm512_castsi128_si512(load128(p));
        v = _mm512_inserti32x4(v, load128(p + s), 1);
        v = _mm512_inserti32x4(v, load128(p + 2 * s), 2);
        return _mm512_inserti32x4(v, load128(p + 3 * s), 3);
    }
    // One 128-bit block from each of four places, in order.
    static V loadBlocksAt(const void* p0, const void* p1, const void* p2, const void* p3) {
        V v = _mm512_castsi128_si512(_mm_loadu_si128(static_cast<const __m128i*>(p0)));
        v = _mm512_inserti32x4(v, _mm_loadu_si128(static_cast<const __m128i*>(p1)), 1);
        v = _mm512_inserti32x4(v, _mm_loadu_si128(static_cast<const __m128i*>(p2)), 2);
        return _mm512_inserti32x4(v, _mm_loadu_si128(static_cast<const __m128i*>(p3)), 3);
    }
    // The 32-bit or 64-bit value at p in every lane (a load, no shuffle).
    static V broadcast32(const std::int32_t* p) { return _mm512_set1_epi32(*p); }
    static V broadcast64(const std::int64_t* p) { return _mm512_set1_epi64(*p); }
    static void storeBlocks(std::int16_t* p, std::ptrdiff_t s, V v) {
        _mm_storeu_si128(reinterpret_cast<__m128i*>(p), _mm512_castsi512_si128(v));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(p + s), _mm512_extracti32x4_epi32(v, 1));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(p + 2 * s), _mm512_extracti32x4_epi32(v, 2));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(p + 3 * s), _mm512_extracti32x4_epi32(v, 3));
    }

    static V zero() { return _mm512_setzero_si512(); }
    static V set16(std::int32_t v) { return _mm512_set1_epi16(static_cast<short>(v)); }
    static V set32(std::int32_t v) { return _mm512_set1_epi32(v); }

    static V add16(V a, V b) { return _mm512_add_epi16(a, b); }
    static V sub16(V a, V b) { return _mm512_sub_epi16(a, b); }
    static V add32(V a, V b) { return _mm512_add_epi32(a, b); }
    static V sub32(V a, V b) { return _mm512_sub_epi32(a, b); }
    static V andV(V a, V b) { return _mm512_and_si512(a, b); }
    static V orV(V a, V b) { return _mm512_or_si512(a, b); }
    static V xorV(V a, V b) { return _mm512_xor_si512(a, b); }
    template <int S>
    static V srai16(V v) {
        return _mm512_srai_epi16(v, S);
    }
    template <int S>
    static V srli16(V v) {
        return _mm512_srli_epi16(v, S);
    }
    template <int S>
    static V slli16(V v) {
        return _mm512_slli_epi16(v, S);
    }
    template <int S>
    static V srai32(V v) {
        return _mm512_srai_epi32(v, S);
    }
    template <int S>
    static V srli32(V v) {
        return _mm512_srli_epi32(v, S);
    }
    template <int S>
    static V slli32(V v) {
        return _mm512_slli_epi32(v, S);
    }
    static V max16(V a, V b) { return _mm512_max_epi16(a, b); }
    static V min16(V a, V b) { return _mm512_min_epi16(a, b); }
    static V abs16(V v) { return _mm512_abs_epi16(v); }
    static V madd(V a, V b) { return _mm512_madd_epi16(a, b); }
    // Unsigned bytes of a times signed bytes of b, adjacent products summed into 16-bit lanes
    // (saturating; the weights used keep every sum far from it).
    static V maddubs(V a, V b) { return _mm512_maddubs_epi16(a, b); }
    // acc + madd(a, b) in one operation (VNNI); both wrap modulo 2^32 alike.
    static V maddAdd(V acc, V a, V b) { return _mm512_dpwssd_epi32(acc, a, b); }
    static V mulhiU16(V a, V b) { return _mm512_mulhi_epu16(a, b); }
    static V mulhi16(V a, V b) { return _mm512_mulhi_epi16(a, b); }
    static V mullo16(V a, V b) { return _mm512_mullo_epi16(a, b); }

    static M16 gt16(V a, V b) { return _mm512_cmpgt_epi16_mask(a, b); }
    static M32 gt32(V a, V b) { return _mm512_cmpgt_epi32_mask(a, b); }
    static V select16(M16 m, V a, V b) { return _mm512_mask_mov_epi16(b, m, a); }
    static V select32(M32 m, V a, V b) { return _mm512_mask_mov_epi32(b, m, a); }
    // 16-bit select: the low words by `even`'s 32-bit lanes, the high words by `odd`'s.
    static V selectEvenOdd(M32 even, M32 odd, V a, V b) {
        return _mm512_mask_blend_epi16(0xAAAAAAAAu, _mm512_mask_mov_epi32(b, even, a),
                                       _mm512_mask_mov_epi32(b, odd, a));
    }
    static V zeroIf16(M16 m, V v) { return _mm512_maskz_mov_epi16(static_cast<M16>(~m), v); }
    static V zeroIf32(M32 m, V v) { return _mm512_maskz_mov_epi32(static_cast<M32>(~m), v); }
    // The lanes of `rows` where a <= b.
    static M16 atMost16(M16 rows, V a, V b) { return _mm512_mask_cmple_epi16_mask(rows, a, b); }
    static M32 atMost32(M32 rows, V a, V b) { return _mm512_mask_cmple_epi32_mask(rows, a, b); }
    // v in the lanes of m, zero elsewhere.
    static V keepIf16(M16 m, V v) { return _mm512_maskz_mov_epi16(m, v); }
    static V keepIf32(M32 m, V v) { return _mm512_maskz_mov_epi32(m, v); }
    // v where `test` is at most `limit` in the lanes of `rows`, zero elsewhere.
    static V keepAtMost16(M16 rows, V v, V test, V limit) {
        return keepIf16(atMost16(rows, test, limit), v);
    }
    static V keepAtMost32(M32 rows, V v, V test, V limit) {
        return keepIf32(atMost32(rows, test, limit), v);
    }
    // v << 16 in the lanes of m, zero elsewhere.
    static V keepShiftedUp32(M32 m, V v) { return _mm512_maskz_slli_epi32(m, v, 16); }
    // a | b in the lanes of m, a elsewhere.
    static V orIf32(M32 m, V a, V b) { return _mm512_mask_or_epi32(a, m, a, b); }
    static V incrementIf16(M16 m, V v) {
        return _mm512_mask_add_epi16(v, m, v, _mm512_set1_epi16(1));
    }

    // See Avx2Ops::mulK: the rounding multiply-high with k << (15 - shift).
    struct MulK {
        V factor;
    };
    static MulK mulK(std::int32_t k, int shift) {
        const std::int32_t f = k << (15 - shift);
        return MulK{_mm512_set1_epi16(static_cast<short>(f > 32767 ? 32767 : f))};
    }
    static V mulRound(V d, const MulK& k) { return _mm512_mulhrs_epi16(d, k.factor); }

    // The low halves of a's and then b's 32-bit lanes, in order: one word permute, which
    // truncates where packs32 saturates, alike for values within 16 bits (all it is given).
    static V packs32Ordered(V a, V b) {
        alignas(64) static constexpr std::int16_t kOrder[32] = {
            0,  2,  4,  6,  8,  10, 12, 14, 16, 18, 20, 22, 24, 26, 28, 30,
            32, 34, 36, 38, 40, 42, 44, 46, 48, 50, 52, 54, 56, 58, 60, 62};
        return _mm512_permutex2var_epi16(a, load(kOrder), b);
    }
    static V widenLo(V v) { return _mm512_cvtepi16_epi32(_mm512_castsi512_si256(v)); }
    static V widenHi(V v) { return _mm512_cvtepi16_epi32(_mm512_extracti64x4_epi64(v, 1)); }

    // Bytes b0-3 g0-3 r0-3 0000 of each block to pixels b g r 0.
    static V interleaveBgr0(V bytes) {
        const V order = _mm512_broadcast_i32x4(
            _mm_setr_epi8(0, 4, 8, 12, 1, 5, 9, 13, 2, 6, 10, 14, 3, 7, 11, 15));
        return _mm512_shuffle_epi8(bytes, order);
    }
    static constexpr bool kByteShuffle = true;
    // Word permutes across the whole vector, as fast here as shuffles inside blocks.
    static constexpr bool kWordPermutes = true;
    static V setWords(const std::int16_t (&w)[kLanes]) { return load(w); }
    // Words of a (0 .. 31) and b (32 .. 63) picked by `order`.
    static V permuteWords(V a, V b, V order) { return _mm512_permutex2var_epi16(a, order, b); }
    // Words of v picked by `order` into the odd words, the even words cleared.
    static V permuteWordsHigh(V v, V order) {
        return _mm512_maskz_permutexvar_epi16(0xAAAAAAAAu, order, v);
    }
    // 32-bit lanes of a (0 .. 15) and b (16 .. 31) picked by `order`.
    static V permuteDwords(V a, V b, V order) { return _mm512_permutex2var_epi32(a, order, b); }
    static V setDwords(const std::int32_t (&d)[kLanes / 2]) { return load(d); }
    // 128-bit blocks: blocks kA0, kA1 of a, then kB0, kB1 of b.
    template <int kA0, int kA1, int kB0, int kB1>
    static V shuffleBlocks(V a, V b) {
        return _mm512_shuffle_i32x4(a, b, kA0 | kA1 << 2 | kB0 << 4 | kB1 << 6);
    }
    // Even words of a, odd words of b.
    static V blendOddWords(V a, V b) { return _mm512_mask_blend_epi16(0xAAAAAAAAu, a, b); }
    // The same four 32-bit values in every 128-bit block.
    static V setBlock32(std::int32_t a, std::int32_t b, std::int32_t c, std::int32_t d) {
        return _mm512_setr_epi32(a, b, c, d, a, b, c, d, a, b, c, d, a, b, c, d);
    }
    static V shuffleBytes(V v, V order) { return _mm512_shuffle_epi8(v, order); }
    static V packs32(V a, V b) { return _mm512_packs_epi32(a, b); }
    static V packus16(V a, V b) { return _mm512_packus_epi16(a, b); }
    static V shiftBlock8Bytes(V v) { return _mm512_bsrli_epi128(v, 8); }
    static V unpackLo8(V a, V b) { return _mm512_unpacklo_epi8(a, b); }
    static V unpackLo16(V a, V b) { return _mm512_unpacklo_epi16(a, b); }
    static V unpackHi16(V a, V b) { return _mm512_unpackhi_epi16(a, b); }
    static V unpackLo32(V a, V b) { return _mm512_unpacklo_epi32(a, b); }
    static V unpackHi32(V a, V b) { return _mm512_unpackhi_epi32(a, b); }
    static V unpackLo64(V a, V b) { return _mm512_unpacklo_epi64(a, b); }
    static V unpackHi64(V a, V b) { return _mm512_unpackhi_epi64(a, b); }
};

}  // namespace
}  // namespace lintra::x86
