// Compiled with the AVX-512 level's flags (see CMakeLists.txt); reached only on processors
// that have it. Plain types only (see column_probes.h).

#include <climits>
#include <cstddef>
#include <cstdint>

#include "engine/x86/band_frame.h"
#include "engine/x86/column_frame.h"
#include "engine/x86/column_rgb.h"
#include "engine/x86/ops_avx512.h"
#include "tests/kernels/column_probes.h"

namespace lintra::testing {
namespace {

using O = x86::Avx512Ops;
using V = O::V;
constexpr std::int32_t kL = O::kLanes;

std::uintptr_t addressOf(const void* p) {
    return reinterpret_cast<std::uintptr_t>(p);
}

// The probes' random numbers: a plain linear congruential generator (no library template is
// instantiated here, see column_probes.h), the same sequence for the same seed.
struct Lcg {
    std::uint32_t state;
    std::uint32_t operator()() {
        state = state * 1664525u + 1013904223u;
        return state;
    }
};

// Row `row` of the band (0 .. kL - 1), or of an edge (1000 + its offset from the band's start).
std::int32_t sampleOf(std::int32_t row) {
    return row < 0 || row >= kL ? 1000 + row : row;
}
// A pair: the row in the low word, the row + 100 in the high word.
std::int32_t pairOf(std::int32_t row) {
    return row | (row + 100) << 16;
}

}  // namespace

std::int32_t columnLayoutProblem(std::int32_t width) {
    x86::ColumnLayout lay;
    const std::size_t bytes = x86::columnLayout(nullptr, width, kL, lay);
    auto* base = reinterpret_cast<std::int16_t*>(std::uintptr_t{1} << 20);  // never touched
    x86::columnLayout(base, width, kL, lay);
    const std::size_t plane = static_cast<std::size_t>(lay.paddedWidth * lay.colPitch) * 2;
    const std::size_t pw = static_cast<std::size_t>(lay.paddedWidth);
    const std::uintptr_t begins[] = {
        addressOf(lay.converted), addressOf(lay.comb),     addressOf(lay.forward),
        addressOf(lay.edgeRows),  addressOf(lay.edgeLuma), addressOf(lay.edgeChroma),
        addressOf(lay.tile),      addressOf(lay.tileRows), addressOf(lay.staging)};
    const std::size_t sizes[] = {
        plane,
        plane,
        plane,
        static_cast<std::size_t>(2 * x86::kMaxLineDistance * lay.edgePitch) * 2,
        2 * pw * 4,
        2 * pw * 8,
        static_cast<std::size_t>(x86::kTileColumns * kL) * 4,
        static_cast<std::size_t>(x86::kTileColumns * kL) * 4,
        static_cast<std::size_t>(kL * lay.stagingPitch)};
    constexpr std::int32_t kRegions = 9;
    const std::uintptr_t begin = addressOf(base), end = begin + bytes;
    for (std::int32_t i = 0; i < kRegions; ++i) {
        const std::uintptr_t b = begins[i], e = b + sizes[i];
        if (b < begin || e > end || b % 64 != 0) return 1 + i;
        for (std::int32_t j = 0; j < kRegions; ++j) {
            if (j != i && b < begins[j] + sizes[j] && begins[j] < e) return 1 + i;
        }
    }
    // Staged rows hold a whole row each, an odd number of cache lines apart.
    if (lay.stagingPitch < 4 * static_cast<std::ptrdiff_t>(width) || lay.stagingPitch % 128 != 64) {
        return 300;
    }
    if (lay.edgePitch < 3 * ((width + kL - 1) / kL * kL)) return 100;
    if (x86::columnScratchBytesT<O>(width) < bytes) return 200;
    return 0;
}

bool rowsCrowdCacheSets(std::ptrdiff_t stride) {
    return x86::rowsCrowdCacheSets(stride, kL);
}

std::int32_t columnShiftProblem(std::int32_t n) {
    const x86::ColumnShifts<O> shift(n);
    alignas(64) std::int16_t luma[kL];
    alignas(64) std::int32_t first[kL / 2], second[kL / 2];
    // Luma words pair rows j and 16 + j.
    auto lumaWord = [](std::int32_t r) { return r < kL / 2 ? 2 * r : 2 * (r - kL / 2) + 1; };
    for (std::int32_t r = 0; r < kL; ++r) luma[lumaWord(r)] = static_cast<std::int16_t>(r);
    for (std::int32_t r = 0; r < kL / 2; ++r) {
        first[r] = pairOf(r);
        second[r] = pairOf(kL / 2 + r);
    }
    // The edges: words (or pairs) of rows -n, -n + 1 above and kL, kL + 1 below.
    const std::int32_t aboveLuma = (sampleOf(-n) & 0xFFFF) | sampleOf(-n + 1) << 16;
    const std::int32_t belowLuma = (sampleOf(kL) & 0xFFFF) | sampleOf(kL + 1) << 16;
    auto twoPairs = [](std::int32_t a, std::int32_t b) {
        return static_cast<std::int64_t>(
            static_cast<std::uint32_t>(pairOf(a)) |
            static_cast<std::uint64_t>(static_cast<std::uint32_t>(pairOf(b))) << 32);
    };
    const std::int64_t abovePairs = twoPairs(sampleOf(-n), sampleOf(-n + 1));
    const std::int64_t belowPairs = twoPairs(sampleOf(kL), sampleOf(kL + 1));
    const V l = O::load(luma), f = O::load(first), s = O::load(second);
    alignas(64) std::int16_t up[kL], down[kL];
    O::store(up, O::permuteWords(l, O::broadcast32(&aboveLuma), shift.lumaAbove));
    O::store(down, O::permuteWords(l, O::broadcast32(&belowLuma), shift.lumaBelow));
    alignas(64) std::int32_t pairs[4][kL / 2];
    O::store(pairs[0], O::permuteDwords(f, O::broadcast64(&abovePairs), shift.firstAbove));
    O::store(pairs[1], O::permuteDwords(f, s, shift.firstBelow));
    O::store(pairs[2], O::permuteDwords(s, f, shift.secondAbove));
    O::store(pairs[3], O::permuteDwords(s, O::broadcast64(&belowPairs), shift.secondBelow));
    for (std::int32_t r = 0; r < kL; ++r) {
        if (up[lumaWord(r)] != sampleOf(r - n)) return 1 + r;
        if (down[lumaWord(r)] != sampleOf(r + n)) return 101 + r;
    }
    for (std::int32_t r = 0; r < kL / 2; ++r) {
        const std::int32_t rows[4] = {r - n, r + n, kL / 2 + r - n, kL / 2 + r + n};
        for (std::int32_t k = 0; k < 4; ++k) {
            if (pairs[k][r] != pairOf(sampleOf(rows[k]))) return 201 + 100 * k + r;
        }
    }
    return 0;
}

std::int32_t tileTransposeProblem(std::uint32_t seed) {
    alignas(64) std::uint32_t columns[16][16];
    std::uint32_t x = seed * 2654435761u + 1u;
    for (auto& column : columns) {
        for (auto& value : column) {
            x ^= x << 13;
            x ^= x >> 17;
            x ^= x << 5;
            value = x;
        }
    }
    V v[16];
    for (int c = 0; c < 16; ++c) v[c] = O::load(columns[c]);
    x86::transpose16x16<O>(v);
    for (int q = 0; q < 16; ++q) {
        alignas(64) std::uint32_t row[16];
        O::store(row, v[q]);
        for (int c = 0; c < 16; ++c) {
            if (row[c] != columns[c][q]) return 1 + 16 * q + c;
        }
    }
    return 0;
}

std::int32_t combRowsProblem(std::int32_t y0, std::int32_t h, std::int32_t n) {
    const x86::CombRows<O> rows = x86::combRows<O>(y0, h, n);
    for (std::int32_t r = 0; r < kL; ++r) {
        const std::int32_t y = y0 + r;
        const bool expected = y >= n && y < h - n;
        // Luma words pair rows j and 16 + j.
        const std::int32_t word = r < kL / 2 ? 2 * r : 2 * (r - kL / 2) + 1;
        const bool luma = ((rows.luma >> word) & 1u) != 0;
        const bool pairs =
            r < kL / 2 ? ((rows.first >> r) & 1u) != 0 : ((rows.second >> (r - kL / 2)) & 1u) != 0;
        if (luma != expected || pairs != expected) return 1 + r;
    }
    return 0;
}

std::int32_t limitTestProblem(std::uint32_t seed) {
    Lcg next{seed};
    // Mostly small values around the limit, now and then an extreme of the lane's range.
    auto sample16 = [&](std::int32_t around) {
        const std::uint32_t r = next();
        if (r % 16 == 0) return static_cast<std::int16_t>(r % 32 == 0 ? -32768 : 32767);
        return static_cast<std::int16_t>(around + static_cast<std::int32_t>(r >> 8 & 7) - 3);
    };
    for (int round = 0; round < 200; ++round) {
        const std::int16_t limit16 = sample16(static_cast<std::int32_t>(next() >> 20) - 2048);
        const std::int32_t limit32 = static_cast<std::int32_t>(next() >> 1) - (1 << 30);
        const std::uint32_t rows = next();
        alignas(64) std::int16_t v[kL], test[kL], out[kL];
        alignas(64) std::int32_t test32[kL / 2];
        for (std::int32_t i = 0; i < kL; ++i) {
            v[i] = static_cast<std::int16_t>(next() >> 16);
            test[i] = sample16(limit16);
        }
        for (std::int32_t i = 0; i < kL / 2; ++i) {
            const std::uint32_t r = next() % 8;
            test32[i] = r == 0 ? INT32_MIN
                               : (r == 1 ? INT32_MAX : limit32 + static_cast<std::int32_t>(r) - 4);
        }
        O::store(out, O::keepAtMost16(static_cast<O::M16>(rows), O::load(v), O::load(test),
                                      O::set16(limit16)));
        for (std::int32_t i = 0; i < kL; ++i) {
            const bool kept = (rows >> i & 1u) != 0 && test[i] <= limit16;
            if (out[i] != (kept ? v[i] : 0)) return 1 + i;
        }
        O::store(out, O::keepAtMost32(static_cast<O::M32>(rows & 0xFFFFu), O::load(v),
                                      O::load(test32), O::set32(limit32)));
        for (std::int32_t i = 0; i < kL / 2; ++i) {
            const bool kept = (rows >> i & 1u) != 0 && test32[i] <= limit32;
            for (std::int32_t h = 0; h < 2; ++h) {
                if (out[2 * i + h] != (kept ? v[2 * i + h] : 0)) return 100 + i;
            }
        }
    }
    return 0;
}

std::int32_t rgbCombProblem(std::uint32_t seed) {
    Lcg next{seed};
    // Bytes at 0 or 255 half of the time, so that every channel reaches both ends of its comb.
    auto byte = [&] {
        const std::uint32_t r = next() >> 8;
        return static_cast<std::uint8_t>(r % 4 == 0 ? 0 : (r % 4 == 1 ? 255 : r >> 4));
    };
    const x86::RgbCombWeights<O> weights;
    for (int round = 0; round < 200; ++round) {
        alignas(64) std::uint8_t pixels[3][4 * kL / 2];
        for (auto& vector : pixels) {
            for (auto& b : vector) b = byte();
        }
        const std::int32_t limit = static_cast<std::int32_t>(next() % (3 * 4080 * 4080));
        const std::uint32_t rows = next() & 0xFFFFu;
        V blueRed, green;
        const O::M32 kept = x86::rgbCombHalf<O>(O::load(pixels[0]), O::load(pixels[1]),
                                                O::load(pixels[2]), O::set32(limit),
                                                static_cast<O::M32>(rows), weights, blueRed, green);
        alignas(64) std::int16_t br[kL], g[kL];
        O::store(br, blueRed);
        O::store(g, green);
        for (std::int32_t i = 0; i < kL / 2; ++i) {
            // Bytes B G R X; X takes no part.
            std::int32_t comb[3], distance = 0;
            for (std::int32_t c = 0; c < 3; ++c) {
                comb[c] =
                    8 * pixels[0][4 * i + c] + 8 * pixels[2][4 * i + c] - 16 * pixels[1][4 * i + c];
                distance += comb[c] * comb[c];
            }
            if (br[2 * i] != comb[0] || br[2 * i + 1] != comb[2]) return 1 + i;
            if (g[2 * i] != comb[1] || g[2 * i + 1] != 0) return 100 + i;
            const bool keep = (rows >> i & 1u) != 0 && distance <= limit;
            if (((kept >> i & 1u) != 0) != keep) return 200 + i;
        }
        // Green of a second half moves up into the high words where kept; the first half's
        // low words join in where it is kept.
        const V up = O::keepShiftedUp32(kept, green);
        const V both = O::orIf32(static_cast<O::M32>(~kept), up, green);
        alignas(64) std::int16_t u[kL], b2[kL];
        O::store(u, up);
        O::store(b2, both);
        for (std::int32_t i = 0; i < kL / 2; ++i) {
            const bool k = (kept >> i & 1u) != 0;
            if (u[2 * i] != 0 || u[2 * i + 1] != (k ? g[2 * i] : 0)) return 300 + i;
            if (b2[2 * i] != (k ? 0 : g[2 * i]) || b2[2 * i + 1] != u[2 * i + 1]) return 400 + i;
        }
    }
    return 0;
}

std::int32_t tileRowsProblem(std::uint32_t seed, std::int32_t width, std::int32_t rowCount,
                             std::int32_t phase) {
    constexpr std::int32_t kPad = 16;  // guard pixels on each side of a row
    constexpr std::uint32_t kGuard = 0xA5A5A5A5u;
    const std::int32_t pitch = width + 2 * kPad + 16;
    alignas(64) static std::uint32_t destination[kL * 600];
    alignas(64) static std::uint32_t expected[kL * 600];
    alignas(64) std::uint32_t tile[x86::kTileColumns * kL];
    alignas(64) std::uint32_t rowsOfTile[x86::kTileColumns * kL];
    if (kL * pitch > 600 * kL) return -1;
    for (std::int32_t i = 0; i < kL * pitch; ++i) destination[i] = expected[i] = kGuard;
    std::uint8_t* rows[kL];
    for (std::int32_t r = 0; r < kL; ++r) {
        rows[r] = reinterpret_cast<std::uint8_t*>(destination + r * pitch + kPad);
    }
    Lcg next{seed};
    x86::TileRows<O, false> out(rowsOfTile, rows, rowCount);
    for (std::int32_t end = width; end > 0;) {
        const std::int32_t x0 = x86::tileStart(end, phase);
        for (std::int32_t x = end - 1; x >= x0; --x) {
            for (std::int32_t r = 0; r < kL; ++r) {
                const std::uint32_t pixel = next();
                tile[(x - x0) * kL + r] = pixel;
                if (r < rowCount) expected[r * pitch + kPad + x] = pixel;
            }
            out.send(x86::kRowsPerColumn);
        }
        out.take(tile, x0, end - x0);
        end = x0;
    }
    out.send(kL);
    for (std::int32_t r = 0; r < kL; ++r) {
        for (std::int32_t i = 0; i < pitch; ++i) {
            const std::int32_t x = i - kPad;
            if (destination[r * pitch + i] == expected[r * pitch + i]) continue;
            return x >= 0 && x < width ? 1 + r * 1000 + x : 100000 + r;
        }
    }
    return 0;
}

std::int32_t pairedLumaProblem(std::uint32_t seed) {
    const x86::ToYcc<O> toYcc;
    const x86::ToRgb<O> toRgb;
    Lcg next{seed};
    for (int round = 0; round < 100; ++round) {
        alignas(64) std::uint32_t pixels[kL];
        for (auto& p : pixels) p = next();
        V luma0, luma1, high1, c0, c1;
        x86::yccOfPixels<O>(O::load(pixels), luma0, c0, toYcc);
        x86::yccOfPixels<O>(O::load(pixels + kL / 2), luma1, c1, toYcc);
        x86::yccOfPixels<O, true>(O::load(pixels + kL / 2), high1, c1, toYcc);
        alignas(64) std::int16_t natural[kL], paired[kL];
        O::store(natural, O::packs32Ordered(luma0, luma1));
        O::store(paired, x86::pairedLuma<O>(luma0, high1));
        for (std::int32_t j = 0; j < kL / 2; ++j) {
            if (paired[2 * j] != natural[j]) return 1 + 2 * j;
            if (paired[2 * j + 1] != natural[kL / 2 + j]) return 2 + 2 * j;
        }
        // The way back, with samples anywhere in 0 .. 4095.
        alignas(64) std::int16_t luma[kL], lumaPaired[kL], chroma[2 * kL];
        for (std::int32_t i = 0; i < kL; ++i) luma[i] = static_cast<std::int16_t>(next() >> 20);
        for (std::int32_t j = 0; j < kL / 2; ++j) {
            lumaPaired[2 * j] = luma[j];
            lumaPaired[2 * j + 1] = luma[kL / 2 + j];
        }
        for (auto& c : chroma) c = static_cast<std::int16_t>(next() >> 20);
        V first, second, pairedFirst, pairedSecond;
        x86::pixelsOfYccByWords<O, true>(O::load(luma), O::load(chroma), O::load(chroma + kL),
                                         toRgb, first, second);
        x86::pixelsOfYccByWords<O, true, true>(O::load(lumaPaired), O::load(chroma),
                                               O::load(chroma + kL), toRgb, pairedFirst,
                                               pairedSecond);
        alignas(64) std::uint32_t a[kL], b[kL];
        O::store(a, first);
        O::store(a + kL / 2, second);
        O::store(b, pairedFirst);
        O::store(b + kL / 2, pairedSecond);
        for (std::int32_t i = 0; i < kL; ++i) {
            if (a[i] != b[i]) return 100 + i;
        }
    }
    return 0;
}

}  // namespace lintra::testing
