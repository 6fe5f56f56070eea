// The vector colour-conversion row kernels of every level against the portable per-pixel
// conversion: every 24-bit colour forward, random and extreme Triplets back, with guards.

#include <gtest/gtest.h>

#if defined(__i386__) || defined(__x86_64__)

#include <cstdint>
#include <random>
#include <vector>

#include "engine/colour_constants.h"
#include "engine/x86/simd_kernels.h"
#include "tests/kernels/test_frames.h"

namespace lintra::testing {
namespace {

constexpr std::int16_t kGuard16 = 0x5A5A;

std::vector<const x86::SimdKernels*> vectorLevels() {
    std::vector<const x86::SimdKernels*> kernels;
    for (const CpuLevel level : availableLevels()) {
        if (level == CpuLevel::sse2) kernels.push_back(&x86::kernelsSse2());
        if (level == CpuLevel::avx2) kernels.push_back(&x86::kernelsAvx2());
        if (level == CpuLevel::avx512) kernels.push_back(&x86::kernelsAvx512());
    }
    return kernels;
}

std::int32_t padded(std::int32_t w, std::int32_t lanes) {
    return (w + lanes - 1) / lanes * lanes;
}

TEST(ColourKernels, EveryColourToYcc) {
    constexpr std::int32_t kRow = 4096;
    std::vector<std::uint32_t> pixels(kRow);
    for (const x86::SimdKernels* k : vectorLevels()) {
        std::vector<std::int16_t> luma(kRow + 64, kGuard16), chroma(2 * kRow + 128, kGuard16);
        for (std::uint32_t first = 0; first < (1u << 24); first += kRow) {
            for (std::uint32_t i = 0; i < kRow; ++i) pixels[i] = (first + i) | (i * 0x9Eu) << 24;
            k->rgbToYccRow(reinterpret_cast<const std::uint8_t*>(pixels.data()), luma.data(),
                           chroma.data(), kRow);
            for (std::uint32_t i = 0; i < kRow; ++i) {
                const std::uint32_t p = pixels[i];
                const Triplet t = yccFromBgr(p & 0xFF, p >> 8 & 0xFF, p >> 16 & 0xFF);
                if (luma[i] != t.c[0] || chroma[2 * i] != t.c[1] || chroma[2 * i + 1] != t.c[2]) {
                    FAIL() << "lanes " << k->rowsPerBand << ", colour " << std::hex
                           << (p & 0xFFFFFF);
                }
            }
        }
        EXPECT_EQ(luma[kRow], kGuard16);
        EXPECT_EQ(chroma[2 * kRow], kGuard16);
    }
}

// The band kernels pass a pixel through unconverted when all its corrections are zero; that
// relies on this round trip being exact for every colour.
TEST(ColourKernels, RoundTripReturnsEveryColour) {
    for (std::uint32_t c = 0; c < (1u << 24); ++c) {
        const Triplet t = yccFromBgr(c & 0xFF, c >> 8 & 0xFF, c >> 16 & 0xFF);
        if (pixelFromYcc(t) != c) FAIL() << std::hex << c;
    }
}

TEST(ColourKernels, ShortRowsToYccStayInside) {
    std::mt19937 rng(11);
    for (const x86::SimdKernels* k : vectorLevels()) {
        for (std::int32_t w = 1; w <= 100; ++w) {
            const std::int32_t pw = padded(w, k->rowsPerBand);
            std::vector<std::uint32_t> pixels(static_cast<std::size_t>(w));
            for (auto& p : pixels) p = static_cast<std::uint32_t>(rng());
            std::vector<std::int16_t> luma(static_cast<std::size_t>(pw) + 16, kGuard16);
            std::vector<std::int16_t> chroma(2 * static_cast<std::size_t>(pw) + 16, kGuard16);
            k->rgbToYccRow(reinterpret_cast<const std::uint8_t*>(pixels.data()), luma.data(),
                           chroma.data(), w);
            for (std::int32_t x = 0; x < w; ++x) {
                const std::uint32_t p = pixels[static_cast<std::size_t>(x)];
                const Triplet t = yccFromBgr(p & 0xFF, p >> 8 & 0xFF, p >> 16 & 0xFF);
                ASSERT_EQ(luma[static_cast<std::size_t>(x)], t.c[0]) << "width " << w;
                ASSERT_EQ(chroma[2 * static_cast<std::size_t>(x)], t.c[1]) << "width " << w;
                ASSERT_EQ(chroma[2 * static_cast<std::size_t>(x) + 1], t.c[2]) << "width " << w;
            }
            for (std::size_t i = static_cast<std::size_t>(pw); i < luma.size(); ++i)
                ASSERT_EQ(luma[i], kGuard16);
            for (std::size_t i = 2 * static_cast<std::size_t>(pw); i < chroma.size(); ++i)
                ASSERT_EQ(chroma[i], kGuard16);
        }
    }
}

// Rows too wide for 32-bit indices get no scratch, so such runs take the portable pipelines.
TEST(ColourKernels, ScratchOnlyForUsableWidths) {
    for (const x86::SimdKernels* k : vectorLevels()) {
        EXPECT_GT(k->scratchBytes(1), 0u);
        EXPECT_GT(k->scratchBytes(1920), k->scratchBytes(720));
        EXPECT_EQ(k->scratchBytes(0), 0u);
        EXPECT_EQ(k->scratchBytes(INT32_MAX), 0u);
    }
}

// Components from -2048 to 6143 (every plane the pipelines hand over), extremes included.
std::int16_t component(std::mt19937& rng) {
    static constexpr std::int16_t kEdges[] = {-2048, -1,   0,    240,  2032,
                                              2048,  3745, 3824, 4095, 6143};
    if (rng() % 4 == 0) return kEdges[rng() % std::size(kEdges)];
    return static_cast<std::int16_t>(static_cast<std::int32_t>(rng() % 8192) - 2048);
}

TEST(ColourKernels, YccToPixelsWithGuards) {
    std::mt19937 rng(12);
    for (const x86::SimdKernels* k : vectorLevels()) {
        for (int round = 0; round < 2000; ++round) {
            const std::int32_t w = 1 + static_cast<std::int32_t>(rng() % 200);
            const auto pw = static_cast<std::size_t>(padded(w, k->rowsPerBand));
            std::vector<std::int16_t> luma(pw), chroma(2 * pw);
            for (auto& v : luma) v = component(rng);
            for (auto& v : chroma) v = component(rng);
            std::vector<std::uint8_t> out(4 * static_cast<std::size_t>(w) + 64, kGuard);
            k->yccToRgbRow(luma.data(), chroma.data(), out.data(), w);
            for (std::size_t x = 0; x < static_cast<std::size_t>(w); ++x) {
                const Triplet t{{luma[x], chroma[2 * x], chroma[2 * x + 1]}};
                const std::uint32_t expected = pixelFromYcc(t);
                const std::uint32_t got = static_cast<std::uint32_t>(
                    out[4 * x] | out[4 * x + 1] << 8 | out[4 * x + 2] << 16 | out[4 * x + 3] << 24);
                ASSERT_EQ(got, expected)
                    << "lanes " << k->rowsPerBand << ", width " << w << ", x " << x;
            }
            for (std::size_t i = 4 * static_cast<std::size_t>(w); i < out.size(); ++i)
                ASSERT_EQ(out[i], kGuard);
        }
    }
}

}  // namespace
}  // namespace lintra::testing

#endif
