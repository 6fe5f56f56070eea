#pragma once
// 256-bit operations at the AVX2 level. Included only by band_kernels_avx2.cpp.

#include <immintrin.h>

#include <cstddef>
#include <cstdint>

namespace lintra::x86 {
namespace {

struct Avx2Ops {
    using V = __m256i;
    using M16 = __m256i;
    using M32 = __m256i;
    static constexpr int kLanes = 16;  // 16-bit lanes; two 128-bit blocks

    static V load(const void* p) { return _mm256_loadu_si256(static_cast<const __m256i*>(p)); }
    static void store(void* p, V v) { _mm256_storeu_si256(static_cast<__m256i*>(p), v); }
    static void stream(void* p, V v) { _mm256_stream_si256(static_cast<__m256i*>(p), v); }
    static void fence() { _mm_sfence(); }
    // Block j of the vector from p + j * blockStride (elements).
    static V loadBlocks(const std::int16_t* p, std::ptrdiff_t blockStride) {
        const __m128i lo = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
        const __m128i hi = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + blockStride));
        return _mm256_inserti128_si256(_mm256_castsi128_si256(lo), hi, 1);
    }
    static void storeBlocks(std::int16_t* p, std::ptrdiff_t blockStride, V v) {
        _mm_storeu_si128(reinterpret_cast<__m128i*>(p), _mm256_castsi256_si128(v));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(p + blockStride),
                         _mm256_extracti128_si256(v, 1));
    }

    static V zero() { return _mm256_setzero_si256(); }
    static V set16(std::int32_t v) { return _mm256_set1_epi16(static_cast<short>(v)); }
    static V set32(std::int32_t v) { return _mm256_set1_epi32(v); }

    static V add16(V a, V b) { return _mm256_add_epi16(a, b); }
    static V sub16(V a, V b) { return _mm256_sub_epi16(a, b); }
    static V add32(V a, V b) { return _mm256_add_epi32(a, b); }
    static V sub32(V a, V b) { return _mm256_sub_epi32(a, b); }
    static V andV(V a, V b) { return _mm256_and_si256(a, b); }
    static V orV(V a, V b) { return _mm256_or_si256(a, b); }
    static V xorV(V a, V b) { return _mm256_xor_si256(a, b); }
    template <int S>
    static V srai16(V v) {
        return _mm256_srai_epi16(v, S);
    }
    template <int S>
    static V srli16(V v) {
        return _mm256_srli_epi16(v, S);
    }
    template <int S>
    static V slli16(V v) {
        return _mm256_slli_epi16(v, S);
    }
    template <int S>
    static V srai32(V v) {
        return _mm256_srai_epi32(v, S);
    }
    template <int S>
    static V srli32(V v) {
        return _mm256_srli_epi32(v, S);
    }
    template <int S>
    static V slli32(V v) {
        return _mm256_slli_epi32(v, S);
    }
    static V max16(V a, V b) { return _mm256_max_epi16(a, b); }
    static V min16(V a, V b) { return _mm256_min_epi16(a, b); }
    static V abs16(V v) { return _mm256_abs_epi16(v); }
    static V madd(V a, V b) { return _mm256_madd_epi16(a, b); }
    static V maddAdd(V acc, V a, V b) { return _mm256_add_epi32(acc, madd(a, b)); }
    static V mulhiU16(V a, V b) { return _mm256_mulhi_epu16(a, b); }
    static V mulhi16(V a, V b) { return _mm256_mulhi_epi16(a, b); }
    static V mullo16(V a, V b) { return _mm256_mullo_epi16(a, b); }

    static M16 gt16(V a, V b) { return _mm256_cmpgt_epi16(a, b); }
    static M32 gt32(V a, V b) { return _mm256_cmpgt_epi32(a, b); }
    static V select16(M16 m, V a, V b) { return _mm256_blendv_epi8(b, a, m); }
    static V select32(M32 m, V a, V b) { return _mm256_blendv_epi8(b, a, m); }
    // 16-bit select: the low words by `even`'s 32-bit lanes, the high words by `odd`'s.
    static V selectEvenOdd(M32 even, M32 odd, V a, V b) {
        return _mm256_blendv_epi8(b, a, _mm256_blend_epi16(even, odd, 0xAA));
    }
    static V zeroIf16(M16 m, V v) { return _mm256_andnot_si256(m, v); }
    static V zeroIf32(M32 m, V v) { return _mm256_andnot_si256(m, v); }
    static V incrementIf16(M16 m, V v) { return _mm256_sub_epi16(v, m); }

    // floor((k * d + 2^(shift-1)) / 2^shift) = (d * (k << (15 - shift)) + 2^14) >> 15, the
    // rounding multiply-high; k = 256 at shift 8 becomes 32767, which is exact for |d| < 2^14.
    struct MulK {
        V factor;
    };
    static MulK mulK(std::int32_t k, int shift) {
        const std::int32_t f = k << (15 - shift);
        return MulK{_mm256_set1_epi16(static_cast<short>(f > 32767 ? 32767 : f))};
    }
    static V mulRound(V d, const MulK& k) { return _mm256_mulhrs_epi16(d, k.factor); }

    static V packs32Ordered(V a, V b) {
        return _mm256_permute4x64_epi64(_mm256_packs_epi32(a, b), 0xD8);
    }
    static V widenLo(V v) { return _mm256_cvtepi16_epi32(_mm256_castsi256_si128(v)); }
    static V widenHi(V v) { return _mm256_cvtepi16_epi32(_mm256_extracti128_si256(v, 1)); }

    // Bytes b0-3 g0-3 r0-3 0000 of each block to pixels b g r 0.
    static V interleaveBgr0(V bytes) {
        const V order = _mm256_setr_epi8(0, 4, 8, 12, 1, 5, 9, 13, 2, 6, 10, 14, 3, 7, 11, 15, 0, 4,
                                         8, 12, 1, 5, 9, 13, 2, 6, 10, 14, 3, 7, 11, 15);
        return _mm256_shuffle_epi8(bytes, order);
    }
    static constexpr bool kByteShuffle = true;
    static constexpr bool kWordPermutes = false;
    // The same four 32-bit values in every 128-bit block.
    static V setBlock32(std::int32_t a, std::int32_t b, std::int32_t c, std::int32_t d) {
        return _mm256_setr_epi32(a, b, c, d, a, b, c, d);
    }
    static V shuffleBytes(V v, V order) { return _mm256_shuffle_epi8(v, order); }
    static V packs32(V a, V b) { return _mm256_packs_epi32(a, b); }
    static V packus16(V a, V b) { return _mm256_packus_epi16(a, b); }
    static V shiftBlock8Bytes(V v) { return _mm256_srli_si256(v, 8); }
    static V unpackLo8(V a, V b) { return _mm256_unpacklo_epi8(a, b); }
    static V unpackLo16(V a, V b) { return _mm256_unpacklo_epi16(a, b); }
    static V unpackHi16(V a, V b) { return _mm256_unpackhi_epi16(a, b); }
    static V unpackLo32(V a, V b) { return _mm256_unpacklo_epi32(a, b); }
    static V unpackHi32(V a, V b) { return _mm256_unpackhi_epi32(a, b); }
    static V unpackLo64(V a, V b) { return _mm256_unpacklo_epi64(a, b); }
    static V unpackHi64(V a, V b) { return _mm256_unpackhi_epi64(a, b); }
};

}  // namespace
}  // namespace lintra::x86
