#pragma once
// Whole YUV frames in normal mode with one vector lane per row from the source pixels on, for
// the levels whose words and 32-bit lanes permute across the whole vector (AVX-512).
//
// Work order: the frame is cut into bands of kLanes rows. For each band:
// 1. The source pixels are transposed as 32-bit values, four columns at a time, so that each
//    lane holds one row, and converted in that layout: per column the luma of the band's rows
//    (paired: row j in word 2j, row 16 + j in word 2j + 1, see pairedLuma) and their (Cr, Cb)
//    pairs in two vectors (rows 0 .. 15 and 16 .. 31).
// 2. The line distance's rows above and below the band are converted as rows, and each
//    column's two samples of them are put side by side, to be broadcast.
// 3. From left to right, each column's comb signal is detected (the rows above and below are
//    the column's own lanes moved by the line distance, the edge rows entering at the band's
//    ends) and goes straight into the forward pass; comb signal and forward results are kept.
// 4. From the right, the backward pass gives each column's corrections, which go straight into
//    the recombination and the conversion back; the pixels of 16 columns gather in a tile,
//    which is transposed back so that each row of it is one whole cache line of the
//    destination.
// Compared with the band kernels (band_frame.h), which convert, detect and finish in rows and
// transpose the comb signal and the corrections, this moves four times fewer values between
// layouts and stores each intermediate once. Every stage is still the same integer operation
// on the same operands for every pixel, so the output is identical.

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <type_traits>

#include "engine/x86/band_colour.h"
#include "engine/x86/band_frame.h"
#include "engine/x86/band_layout.h"
#include "engine/x86/band_passes.h"
#include "engine/x86/band_prefetch.h"
#include "engine/x86/band_rows.h"
#include "engine/x86/simd_kernels.h"

namespace lintra::x86 {
namespace {

// Columns of the tile the backward pass fills before the transposition back: 16 pixels of
// 4 bytes make one cache line per row.
inline constexpr std::int32_t kTileColumns = 16;

// Scratch of the column kernels, allocated once per run.
// converted : per column, luma of the band's rows | pairs of rows 0 .. 15 | of rows 16 .. 31.
// comb      : the comb signal in the same layout, kept for the backward pass.
// forward   : the forward pass's results, in the same layout.
// edgeRows  : the rows above and below the band, converted as rows (luma | pairs).
// edgeLuma  : per column, the luma of the two rows above as one 32-bit value; then below.
// edgeChroma: per column, the pairs of the two rows above as one 64-bit value; then below.
// tile      : the pixels of kTileColumns columns, one column of kLanes rows after another.
// tileRows  : the previous tile transposed, one row of kTileColumns pixels after another.
// staging   : the band's source rows, copied stagingPitch bytes apart where the frame's own
//             rows would crowd the cache's sets (see SourceStaging).
struct ColumnLayout {
    std::int32_t paddedWidth;  // a multiple of the lane count
    std::ptrdiff_t colPitch;   // int16 elements per column
    std::ptrdiff_t edgePitch;  // int16 elements per edge row
    std::int16_t* converted;
    std::int16_t* comb;
    std::int16_t* forward;
    std::int16_t* edgeRows;
    std::int32_t* edgeLuma;
    std::int64_t* edgeChroma;
    std::uint32_t* tile;
    std::uint32_t* tileRows;
    std::uint8_t* staging;
    std::ptrdiff_t stagingPitch;
};

// With base null only the sizes are filled in.
inline std::size_t columnLayout(std::int16_t* base, std::int32_t width, std::int32_t lanes,
                                ColumnLayout& out) {
    out.paddedWidth = static_cast<std::int32_t>(roundUp(width, lanes));
    out.colPitch = 3 * static_cast<std::ptrdiff_t>(lanes);
    out.edgePitch = 3 * static_cast<std::ptrdiff_t>(out.paddedWidth);
    const std::ptrdiff_t plane = out.paddedWidth * out.colPitch;
    const std::ptrdiff_t converted = roundUp(plane, kPage) + kSkew;
    const std::ptrdiff_t comb = roundUp(plane, kPage) + kSkew;
    const std::ptrdiff_t forward = roundUp(plane, kPage);
    const std::ptrdiff_t edgeRows = roundUp(2 * kMaxLineDistance * out.edgePitch, kPage);
    // 32-bit and 64-bit values per column, above and below: 2 * (2 + 4) int16 elements.
    const std::ptrdiff_t edgeLuma = roundUp(4 * static_cast<std::ptrdiff_t>(out.paddedWidth), 32);
    const std::ptrdiff_t edgeChroma = roundUp(8 * static_cast<std::ptrdiff_t>(out.paddedWidth), 32);
    const std::ptrdiff_t tile = 2 * kTileColumns * lanes;
    const std::ptrdiff_t stagingPitch = spreadPitch(2 * static_cast<std::ptrdiff_t>(width));
    const std::ptrdiff_t staging = lanes * stagingPitch;
    out.stagingPitch = stagingPitch * static_cast<std::ptrdiff_t>(sizeof(std::int16_t));
    std::int16_t* p = base;
    auto take = [&](std::ptrdiff_t elements) {
        std::int16_t* at = p;
        if (p != nullptr) p += elements;
        return at;
    };
    out.converted = take(converted);
    out.comb = take(comb);
    out.forward = take(forward);
    out.edgeRows = take(edgeRows);
    out.edgeLuma = reinterpret_cast<std::int32_t*>(take(edgeLuma));
    out.edgeChroma = reinterpret_cast<std::int64_t*>(take(edgeChroma));
    out.tile = reinterpret_cast<std::uint32_t*>(take(tile));
    out.tileRows = reinterpret_cast<std::uint32_t*>(take(tile));
    out.staging = reinterpret_cast<std::uint8_t*>(take(staging));
    return static_cast<std::size_t>(converted + comb + forward + edgeRows + edgeLuma + edgeChroma +
                                    2 * tile + staging) *
           sizeof(std::int16_t);
}

// Enough scratch for both the column kernel (normal mode) and the band kernel (test mode).
template <class O>
std::size_t columnScratchBytesT(std::int32_t width) {
    const std::size_t bands = scratchBytesT<O>(width);
    if (bands == 0) return 0;
    ColumnLayout layout;
    const std::size_t columns = columnLayout(nullptr, width, O::kLanes, layout);
    return columns > bands ? columns : bands;
}

// The rows of a band, as a first row and a distance between rows, or as a list.
struct StridedRows {
    const std::uint8_t* first;
    std::ptrdiff_t stride;
    const std::uint8_t* operator[](std::int32_t r) const { return first + r * stride; }
};
struct ListedRows {
    const std::uint8_t* const* rows;
    const std::uint8_t* operator[](std::int32_t r) const { return rows[r]; }
};

// Four columns of the band's pixels (kLanes rows, each read from byte `at` on), one row per
// lane: pixels[h][c] holds column c's rows 16h .. 16h + 15. Loaded as four vectors of each 16
// rows, a 128-bit block of four pixels per row, and transposed in 4 x 4 blocks.
template <class O, class Rows>
LINTRA_PIECE void loadFourColumns(const Rows& rows, std::ptrdiff_t at, typename O::V pixels[2][4]) {
    constexpr std::int32_t kHalf = O::kLanes / 2;  // rows per vector of pixels
    for (std::int32_t half = 0; half < 2; ++half) {
        for (std::int32_t i = 0; i < 4; ++i) {
            // Block j of vector i: row kHalf * half + 4j + i.
            const std::int32_t r = kHalf * half + i;
            pixels[half][i] = O::loadBlocksAt(rows[r] + at, rows[r + 4] + at, rows[r + 8] + at,
                                              rows[r + 12] + at);
        }
        transpose4x4<O>(pixels[half]);
    }
}

// `four(rows, at, x)` for the band's last one to three columns, if w is not a multiple of
// four, with the rows read from byte `at` on: from copies padded with zeros, so that nothing
// beyond a row is read.
template <class O, class Rows, class Four>
inline void forTailColumns(const Rows& rows, std::int32_t w, Four&& four) {
    const std::int32_t whole = w / 4 * 4;
    if (whole == w) return;
    alignas(16) std::uint8_t tails[O::kLanes][16] = {};
    const std::uint8_t* tailRows[O::kLanes];
    for (std::int32_t r = 0; r < O::kLanes; ++r) {
        std::memcpy(tails[r], rows[r] + 4 * static_cast<std::ptrdiff_t>(whole),
                    static_cast<std::size_t>(w - whole) * 4u);
        tailRows[r] = tails[r];
    }
    four(ListedRows{tailRows}, 0, whole);
}

// `four(rows, at, x)` for the band's columns x = 0, 4, 8, .. below w (see forTailColumns).
template <class O, class Rows, class Four>
inline void forFourColumns(const Rows& rows, std::int32_t w, Four&& four) {
    const std::int32_t whole = w / 4 * 4;
    for (std::int32_t x = 0; x < whole; x += 4) four(rows, 4 * static_cast<std::ptrdiff_t>(x), x);
    forTailColumns<O>(rows, w, four);
}

// The band's rows converted column by column into `converted`.
template <class O, class Rows>
LINTRA_STAGE void convertColumns(const Rows& rows, std::int32_t w, std::int16_t* converted,
                                 std::ptrdiff_t colPitch, const ToYcc<O>& constants) {
    using V = typename O::V;
    const auto& k = inRegisters<O>(constants);
    constexpr std::int32_t kL = O::kLanes;
    forFourColumns<O>(rows, w, [&](const auto& from, std::ptrdiff_t at, std::int32_t x) {
        V pixels[2][4];
        loadFourColumns<O>(from, at, pixels);
        for (int c = 0; c < 4; ++c) {
            V luma0, luma1, chroma0, chroma1;
            yccOfPixels<O>(pixels[0][c], luma0, chroma0, k);
            yccOfPixels<O, true>(pixels[1][c], luma1, chroma1, k);
            std::int16_t* out = converted + (x + c) * colPitch;
            O::store(out, pairedLuma<O>(luma0, luma1));
            O::store(out + kL, chroma0);
            O::store(out + 2 * kL, chroma1);
        }
    });
}

// The luma word of row r in the paired order of the columns (see pairedLuma), and the row
// of word i.
inline constexpr int lumaWordOf(int r, int lanes) {
    return r < lanes / 2 ? 2 * r : 2 * (r - lanes / 2) + 1;
}
inline constexpr int rowOfLumaWord(int i, int lanes) {
    return i % 2 == 0 ? i / 2 : lanes / 2 + i / 2;
}

// Word and 32-bit lane orders of the detection: the lane of row r of a column takes row
// r - n (above) or r + n (below) of the column, or, past the band's ends, sample r (or
// r + n - kLanes) of the broadcast edge value.
template <class O>
struct ColumnShifts {
    using V = typename O::V;
    explicit ColumnShifts(std::int32_t n)
        : lumaAbove(wordOrder<O>([n](int i) {
              const int r = rowOfLumaWord(i, kL);
              return r >= n ? lumaWordOf(r - n, kL) : kL + r;
          })),
          lumaBelow(wordOrder<O>([n](int i) {
              const int r = rowOfLumaWord(i, kL);
              return r + n < kL ? lumaWordOf(r + n, kL) : kL + (r + n - kL);
          })),
          firstAbove(dwordOrder([n](int r) { return r >= n ? r - n : kHalf + r; })),
          firstBelow(
              dwordOrder([n](int r) { return r + n < kHalf ? r + n : kHalf + (r + n - kHalf); })),
          secondAbove(dwordOrder([n](int r) { return r >= n ? r - n : kHalf + (kHalf - n + r); })),
          secondBelow(
              dwordOrder([n](int r) { return r + n < kHalf ? r + n : kHalf + (r + n - kHalf); })),
          wordsLow(wordOrder<O>([](int i) { return i / 2 + i % 2 * kL; })),
          wordsHigh(wordOrder<O>([](int i) { return kHalf + i / 2 + i % 2 * kL; })),
          dwordsLow(dwordOrder([](int i) { return i / 2 + i % 2 * kHalf; })),
          dwordsHigh(dwordOrder([](int i) { return kHalf / 2 + i / 2 + i % 2 * kHalf; })) {}
    static constexpr int kL = O::kLanes;
    static constexpr int kHalf = O::kLanes / 2;
    template <class Order>
    static V dwordOrder(Order order) {
        std::int32_t d[O::kLanes / 2];
        for (int i = 0; i < kHalf; ++i) d[i] = order(i);
        return O::setDwords(d);
    }
    V lumaAbove;    // luma with the edge above
    V lumaBelow;    // luma with the edge below
    V firstAbove;   // pairs of rows 0 .. 15 with the edge above
    V firstBelow;   // pairs of rows 0 .. 15 with rows 16 .. 31
    V secondAbove;  // pairs of rows 16 .. 31 with rows 0 .. 15
    V secondBelow;  // pairs of rows 16 .. 31 with the edge below
    // Two vectors' words, or 32-bit lanes, side by side: of the first halves, then the second.
    V wordsLow, wordsHigh, dwordsLow, dwordsHigh;
};

// The 32-bit values of two rows side by side as 64-bit values: out[i] = (a[i], b[i]).
template <class O>
LINTRA_PIECE void storeSideBySide(typename O::V a, typename O::V b, std::int64_t* out,
                                  const ColumnShifts<O>& shift) {
    O::store(out, O::permuteDwords(a, b, shift.dwordsLow));
    O::store(out + O::kLanes / 4, O::permuteDwords(a, b, shift.dwordsHigh));
}

// Where the band's source rows are read from for the transposition. It reads a few bytes of
// every row of the band in turn, and rows a whole number of 4 KiB pages apart (or half of
// one: widths of 1024, 1536, 2048 or 4096 pixels) fall in one or two sets of the first-level
// cache, more of them than it has ways: each read would evict a row that is read again soon
// after, and the band took half as long again. Such bands are first copied, row by row, to
// rows stagingPitch apart (an odd number of cache lines, so every row has a set of its own).
struct SourceStaging {
    std::uint8_t* rows;  // null: read the frame's rows where they are
    std::ptrdiff_t pitch;
};

// More than a quarter of `rows` (at most 64) rows `stride` bytes apart on distinct cache lines
// of one set of a cache whose ways are 4 KiB (64 sets of 64-byte lines, as in every x86
// first-level data cache): then they evict each other.
inline bool rowsCrowdCacheSets(std::ptrdiff_t stride, std::int32_t rows) {
    constexpr std::int64_t kLine = 64, kSets = 64;
    std::int64_t lines[64];
    std::int32_t distinct = 0;
    std::int32_t inSet[kSets] = {};
    std::int32_t most = 0;
    rows = rows < 64 ? rows : 64;
    for (std::int32_t r = 0; r < rows; ++r) {
        const std::int64_t at = r * static_cast<std::int64_t>(stride);
        const std::int64_t line = at >= 0 ? at / kLine : -((-at + kLine - 1) / kLine);
        bool seen = false;
        for (std::int32_t i = 0; i < distinct; ++i) seen = seen || lines[i] == line;
        if (seen) continue;
        lines[distinct++] = line;
        const std::int32_t count = ++inSet[(line % kSets + kSets) % kSets];
        most = count > most ? count : most;
    }
    return most > rows / 4;
}

template <class O>
inline SourceStaging sourceStaging(const SimdFrame& f, const ColumnLayout& lay) {
    if (!rowsCrowdCacheSets(f.sourceStride, O::kLanes)) return SourceStaging{nullptr, 0};
    return SourceStaging{lay.staging, lay.stagingPitch};
}

// The rows of the band from y0 on: source rows clamped into the frame (rows past its end
// only feed lanes whose comb signal is dropped), destination rows that exist (rowCount), and
// the next band's source rows read ahead over the band's two passes, for frames that come
// from memory (smaller ones are better left to the caches).
template <class O>
struct ColumnBand {
    ColumnBand(const SimdFrame& f, std::int32_t y0, std::int32_t n)
        : rowCount(lesser(O::kLanes, f.height - y0)),
          ahead(f.source, f.sourceStride, f.width, f.height, f.readAhead != 0 ? y0 + O::kLanes : 0,
                f.readAhead != 0 ? y0 + 2 * O::kLanes + n : 0,
                2 * static_cast<std::int64_t>(f.width)) {
        for (std::int32_t r = 0; r < O::kLanes; ++r) {
            source[r] = rowIn(f, y0 + r);
            destination[r] = f.destination + (r < rowCount ? y0 + r : y0) * f.destinationStride;
        }
    }
    static const std::uint8_t* rowIn(const SimdFrame& f, std::int32_t y) {
        return f.source + (y < 0 ? 0 : (y >= f.height ? f.height - 1 : y)) * f.sourceStride;
    }
    // `pass(rows)` with the source rows as a first row and a stride where the band is whole
    // (copied first where `staging` says so).
    template <class Pass>
    void withSourceRows(const SimdFrame& f, const SourceStaging& staging, Pass&& pass) const {
        if (rowCount != O::kLanes) {
            pass(ListedRows{source});
        } else if (staging.rows != nullptr) {
            const std::size_t bytes = 4 * static_cast<std::size_t>(f.width);
            for (std::int32_t r = 0; r < O::kLanes; ++r) {
                std::memcpy(staging.rows + r * staging.pitch, source[r], bytes);
            }
            pass(StridedRows{staging.rows, staging.pitch});
        } else {
            pass(StridedRows{source[0], f.sourceStride});
        }
    }
    const std::uint8_t* source[O::kLanes];
    std::uint8_t* destination[O::kLanes];
    std::int32_t rowCount;
    ReadAhead ahead;
};

// `band(b, y0)` for each band of the frame, then the fence that streaming stores need.
template <class O, class Band>
inline void forEachColumnBand(const SimdFrame& f, std::int32_t n, bool stream, Band&& band) {
    for (std::int32_t y0 = 0; y0 < f.height; y0 += O::kLanes) {
        ColumnBand<O> b(f, y0, n);
        band(b, y0);
    }
    if (stream) O::fence();
}

// The rows above (y0 - n .. y0 - 1) and below (y0 + kLanes .. y0 + kLanes + n - 1) the band,
// converted, and per column their two luma samples, halved, as one 32-bit value and their two
// pairs, halved, as one 64-bit value (with n = 1 the one row twice). Rows outside the frame
// are clamped into it: the comb signal of the rows that would need them is dropped.
template <class O>
LINTRA_STAGE void convertEdges(const SimdFrame& f, std::int32_t y0, std::int32_t n,
                               const ColumnLayout& lay, const ColumnShifts<O>& shift,
                               const ToYcc<O>& k) {
    using V = typename O::V;
    constexpr std::int32_t kL = O::kLanes;
    const std::int32_t w = f.width, pw = lay.paddedWidth;
    const std::int32_t first[2] = {y0 - n, y0 + kL};
    for (int side = 0; side < 2; ++side) {
        std::int16_t* rows[2] = {lay.edgeRows + (2 * side) * lay.edgePitch,
                                 lay.edgeRows + (2 * side + 1) * lay.edgePitch};
        for (std::int32_t e = 0; e < n; ++e) {
            rgbToYccRowT<O>(ColumnBand<O>::rowIn(f, first[side] + e), rows[e], rows[e] + pw, w, k);
        }
        if (n == 1) rows[1] = rows[0];
        std::int32_t* luma = lay.edgeLuma + side * pw;
        std::int64_t* chroma = lay.edgeChroma + side * pw;
        for (std::int32_t x = 0; x < w; x += kL) {
            const V a = O::template srai16<1>(O::load(rows[0] + x));
            const V b = O::template srai16<1>(O::load(rows[1] + x));
            O::store(luma + x, O::permuteWords(a, b, shift.wordsLow));
            O::store(luma + x + kL / 2, O::permuteWords(a, b, shift.wordsHigh));
            for (std::int32_t h = 0; h < 2; ++h) {
                const std::int32_t at = x + h * kL / 2;
                storeSideBySide<O>(O::template srai16<1>(O::load(rows[0] + pw + 2 * at)),
                                   O::template srai16<1>(O::load(rows[1] + pw + 2 * at)),
                                   chroma + at, shift);
            }
        }
    }
}

// Lanes whose rows have comb signal (all but the first and last n rows of the frame and rows
// past its end) as masks of the luma words (in their paired order) and of the two pair
// vectors.
template <class O>
struct CombRows {
    typename O::M16 luma;
    typename O::M32 first;
    typename O::M32 second;
};

template <class O>
inline CombRows<O> combRows(std::int32_t y0, std::int32_t h, std::int32_t n) {
    std::uint32_t rows = 0;
    std::uint32_t lumaWords = 0;
    for (std::int32_t r = 0; r < O::kLanes; ++r) {
        const std::int32_t y = y0 + r;
        if (y >= n && y < h - n) {
            rows |= 1u << r;
            lumaWords |= 1u << lumaWordOf(r, O::kLanes);
        }
    }
    return CombRows<O>{static_cast<typename O::M16>(lumaWords),
                       static_cast<typename O::M32>(rows & 0xFFFFu),
                       static_cast<typename O::M32>(rows >> 16)};
}

// Columns 0 .. w - 1 from the left: each column's comb signal detected and the forward pass
// advanced by it; both kept for the backward pass.
template <class O>
LINTRA_STAGE void detectForwardColumns(const ColumnLayout& lay, std::int32_t w,
                                       const ColumnShifts<O>& shifts, const CombRows<O>& rows,
                                       typename O::V lumaLimit, typename O::V chromaLimit,
                                       const YccPasses<O>& passes, ReadAhead& ahead) {
    using V = typename O::V;
    const auto& shift = inRegisters<O>(shifts);
    const auto& k = inRegisters<O>(passes);
    constexpr std::int32_t kL = O::kLanes;
    const std::int32_t pw = lay.paddedWidth;
    const V one = O::set16(1);
    // Column x's comb signal, stored for the backward pass and returned.
    auto detect = [&](std::int32_t x) {
        const std::int16_t* a = lay.converted + x * lay.colPitch;
        const V luma = O::load(a), first = O::load(a + kL), second = O::load(a + 2 * kL);
        const V lumaAbove = O::broadcast32(lay.edgeLuma + x);
        const V lumaBelow = O::broadcast32(lay.edgeLuma + pw + x);
        const V pairsAbove = O::broadcast64(lay.edgeChroma + x);
        const V pairsBelow = O::broadcast64(lay.edgeChroma + pw + x);
        // Each neighbour halved on its own: halving before the lanes move is the same, once
        // per column instead of twice (the edge values are stored halved).
        const V lumaHalf = O::template srai16<1>(luma);
        const V firstHalf = O::template srai16<1>(first);
        const V secondHalf = O::template srai16<1>(second);
        V cY = O::sub16(O::add16(O::permuteWords(lumaHalf, lumaAbove, shift.lumaAbove),
                                 O::permuteWords(lumaHalf, lumaBelow, shift.lumaBelow)),
                        luma);
        V c0 = O::sub16(O::add16(O::permuteDwords(firstHalf, pairsAbove, shift.firstAbove),
                                 O::permuteDwords(firstHalf, secondHalf, shift.firstBelow)),
                        first);
        V c1 = O::sub16(O::add16(O::permuteDwords(secondHalf, firstHalf, shift.secondAbove),
                                 O::permuteDwords(secondHalf, pairsBelow, shift.secondBelow)),
                        second);
        cY = O::keepAtMost16(rows.luma, cY, O::abs16(cY), lumaLimit);
        c0 = O::keepAtMost32(rows.first, c0, O::madd(c0, c0), chromaLimit);
        c1 = O::keepAtMost32(rows.second, c1, O::madd(c1, c1), chromaLimit);
        std::int16_t* comb = lay.comb + x * lay.colPitch;
        O::store(comb, cY);
        O::store(comb + kL, c0);
        O::store(comb + 2 * kL, c1);
        return YccState<O>{cY, c0, c1};
    };
    // The pass starts from the first column itself, its half kept whole.
    YccState<O> c = detect(0);
    V sY = c.y, sC0 = c.c0, sC1 = c.c1;
    ahead.advance(kTileColumns);
    O::store(lay.forward, withOwnHalf<O>(forwardKept<O>(sY, sY, k.luma, one), sY, k.luma));
    O::store(lay.forward + kL,
             withOwnHalf<O>(forwardKept<O>(sC0, sC0, k.chroma, one), sC0, k.chroma));
    O::store(lay.forward + 2 * kL,
             withOwnHalf<O>(forwardKept<O>(sC1, sC1, k.chroma, one), sC1, k.chroma));
    // Each column is detected before the pass takes the column to its left (see
    // backwardFinishColumns): the pass's chain need not wait behind the detection.
    if (w > 1) c = detect(1);
    for (std::int32_t x = 1; x < w; ++x) {
        const YccState<O> current = c;
        if (x + 1 < w) c = detect(x + 1);
        if (x % kTileColumns == 0) ahead.advance(kTileColumns);
        sY = stepScalar<O>(current.y, sY, k.luma);
        sC0 = stepPair<O>(current.c0, sC0, k.chroma);
        sC1 = stepPair<O>(current.c1, sC1, k.chroma);
        std::int16_t* out = lay.forward + x * lay.colPitch;
        O::store(out, forwardKept<O>(sY, current.y, k.luma, one));
        O::store(out + kL, forwardKept<O>(sC0, current.c0, k.chroma, one));
        O::store(out + 2 * kL, forwardKept<O>(sC1, current.c1, k.chroma, one));
    }
}

// 16 x 16 32-bit values: column c (16 rows) in in[c] -> row q (16 columns) in in[q].
template <class O>
inline void transpose16x16(typename O::V v[16]) {
    using V = typename O::V;
    // In 4 x 4 blocks first: v[4i + j], block b: row 4b + j, columns 4i .. 4i + 3.
    for (int i = 0; i < 4; ++i) transpose4x4<O>(v + 4 * i);
    V t[16];
    // t[8i + j]: rows j, 8 + j of columns 8i .. 8i + 7; t[8i + 4 + j]: rows 4 + j, 12 + j.
    for (int i = 0; i < 2; ++i) {
        for (int j = 0; j < 4; ++j) {
            t[8 * i + j] = O::template shuffleBlocks<0, 2, 0, 2>(v[8 * i + j], v[8 * i + 4 + j]);
            t[8 * i + 4 + j] =
                O::template shuffleBlocks<1, 3, 1, 3>(v[8 * i + j], v[8 * i + 4 + j]);
        }
    }
    for (int j = 0; j < 8; ++j) {
        v[j] = O::template shuffleBlocks<0, 2, 0, 2>(t[j], t[8 + j]);
        v[8 + j] = O::template shuffleBlocks<1, 3, 1, 3>(t[j], t[8 + j]);
    }
}

// The tile (kLanes rows of kTileColumns pixels, column by column) into `out` row by row;
// each row of the tile is one vector.
template <class O>
LINTRA_STAGE void transposeTile(const std::uint32_t* tile, std::uint32_t* out) {
    using V = typename O::V;
    constexpr std::int32_t kL = O::kLanes;
    static_assert(kTileColumns == O::kLanes / 2, "one tile row is one vector of pixels");
    for (std::int32_t half = 0; half < 2; ++half) {
        V v[kTileColumns];
        for (int c = 0; c < kTileColumns; ++c) v[c] = O::load(tile + c * kL + half * kTileColumns);
        transpose16x16<O>(v);
        for (int q = 0; q < kTileColumns; ++q) {
            O::store(out + (half * kTileColumns + q) * kL / 2, v[q]);
        }
    }
}

// The tile's columns x0 .. x0 + count - 1 (count <= kTileColumns) to the destination rows of
// the band that exist (y0 + r < h); each row of the tile is one vector.
template <class O, bool kStream>
LINTRA_STAGE void tileToRows(const std::uint32_t* tile, std::uint8_t* const* rows,
                             std::int32_t rowCount, std::int32_t x0, std::int32_t count) {
    alignas(64) std::uint32_t rowsOfTile[kTileColumns * O::kLanes];
    transposeTile<O>(tile, rowsOfTile);
    for (std::int32_t r = 0; r < rowCount; ++r) {
        storePixels<O, kStream>(rows[r], x0, x0 + count, O::load(rowsOfTile + r * O::kLanes / 2));
    }
}

// The band's destination rows that exist (y0 + r < h), written from the tiles: a whole tile
// is transposed into rows at once, and the rows go out a few at a time while the next tile
// is filled. Written all at once, a tile's 32 streamed cache lines would fill the processor's
// write-combining buffers and wait for memory; spread out, memory takes them as they come.
// The narrower tiles at the ends of the rows go out at once, with only their own pixels.
template <class O, bool kStream>
class TileRows {
  public:
    TileRows(std::uint32_t* rowsOfTile, std::uint8_t* const* rows, std::int32_t rowCount)
        : rowsOfTile_(rowsOfTile), rows_(rows), rowCount_(rowCount), next_(rowCount) {}
    // The filled tile of columns x0 .. x0 + count - 1 (count <= kTileColumns). A whole tile
    // takes the place of the previous one, whose rows still pending go out first.
    void take(const std::uint32_t* tile, std::int32_t x0, std::int32_t count) {
        if (count < kTileColumns) {
            tileToRows<O, kStream>(tile, rows_, rowCount_, x0, count);
            return;
        }
        send(O::kLanes);
        transposeTile<O>(tile, rowsOfTile_);
        at_ = 4 * static_cast<std::ptrdiff_t>(x0);
        next_ = 0;
    }
    // Up to `count` more of the pending rows to the destination, each one whole vector (on a
    // vector boundary where streamed, see tileStart).
    LINTRA_PIECE void send(std::int32_t count) {
        const std::int32_t end = next_ + count < rowCount_ ? next_ + count : rowCount_;
        for (; next_ < end; ++next_) {
            const typename O::V v = O::load(rowsOfTile_ + next_ * O::kLanes / 2);
            if constexpr (kStream) {
                O::stream(rows_[next_] + at_, v);
            } else {
                O::store(rows_[next_] + at_, v);
            }
        }
    }

  private:
    std::uint32_t* rowsOfTile_;
    std::uint8_t* const* rows_;
    std::int32_t rowCount_;
    std::int32_t next_;  // the first row not yet sent
    std::ptrdiff_t at_ = 0;
};

// Rows of the previous tile sent per column finished: a tile's rows over a tile's columns.
inline constexpr std::int32_t kRowsPerColumn = 2;

// The tiles' first columns: every tile but the row's first and last begins on a vector
// boundary of the destination rows (at columns phase + kTileColumns * k, see
// destinationPhase), so that each of its rows is one aligned vector, which can be streamed
// wherever the frame itself starts; the first and last tiles may be narrower.
inline std::int32_t tileStart(std::int32_t end, std::int32_t phase) {
    return end - 1 < phase ? 0 : end - 1 - (end - 1 - phase) % kTileColumns;
}

// The backward pass's order over the columns w - 1 down to 0, tile by tile: `step(x)` advances
// the pass by column x and returns what finishing it needs, `finish(x, x0, state)` finishes
// column x into the tile whose first column is x0, and `toRows(x0, count)` sends a filled
// tile to the destination. Each column's step is taken before the column to its right is
// finished: the steps form the pass's chain of dependent operations, and issued first they
// need not wait behind the finishing, which the processor overlaps with the next steps.
template <class State, class Step, class Finish, class ToRows>
LINTRA_PIECE void backwardOverTiles(std::int32_t w, std::int32_t phase, Step&& step,
                                    Finish&& finish, ToRows&& toRows) {
    for (std::int32_t end = w; end > 0;) {
        const std::int32_t x0 = tileStart(end, phase);
        State pending{};
        for (std::int32_t x = end - 1; x >= x0; --x) {
            const State current = step(x);
            if (x < end - 1) finish(x + 1, x0, pending);
            pending = current;
        }
        finish(x0, x0, pending);
        toRows(x0, end - x0);
        end = x0;
    }
}

// Columns w - 1 down to 0: the backward pass with the recombination, each column's corrections
// added to its converted source, clamped (kClamp; without, the settings keep every sample in
// range, see recombinedInRange) and converted back, its pixels into the tile; each tile of
// columns goes to the destination rows once filled.
template <class O, bool kShortDivision, bool kClamp, bool kStream>
LINTRA_STAGE void backwardFinishColumns(const ColumnLayout& lay, std::int32_t w, std::int32_t phase,
                                        std::uint8_t* const* rows, std::int32_t rowCount,
                                        const YccPasses<O>& passes, const ToRgb<O>& constants,
                                        ReadAhead& ahead) {
    using V = typename O::V;
    const auto& k = inRegisters<O>(passes);
    const auto& toRgb = inRegisters<O>(constants);
    constexpr std::int32_t kL = O::kLanes;
    const V lo = O::zero();
    const V hi = O::set16(kMaxYcc);
    TileRows<O, kStream> out(lay.tileRows, rows, rowCount);
    // forward + backward (the forward pass kept the rest, see forwardKept) to the correction,
    // added to the converted source and clamped.
    auto recombine = [&](const std::int16_t* forward, const std::int16_t* source, V backward,
                         const Divisor<O>& d) {
        const V correction = divide<O, 7, kShortDivision>(O::add16(O::load(forward), backward), d);
        const V sample = O::add16(O::load(source), correction);
        return kClamp ? O::min16(O::max16(sample, lo), hi) : sample;
    };
    // Column x's corrections, finished into pixels in the tile (x0 its first column).
    auto finish = [&](std::int32_t x, std::int32_t x0, const YccState<O>& b) {
        const std::int16_t* forward = lay.forward + x * lay.colPitch;
        const std::int16_t* source = lay.converted + x * lay.colPitch;
        const V luma = recombine(forward, source, b.y, k.lumaDivisor);
        const V first = recombine(forward + kL, source + kL, b.c0, k.chromaDivisor);
        const V second = recombine(forward + 2 * kL, source + 2 * kL, b.c1, k.chromaDivisor);
        V pixelsFirst, pixelsSecond;
        pixelsOfYccByWords<O, true, true>(luma, first, second, toRgb, pixelsFirst, pixelsSecond);
        std::uint32_t* column = lay.tile + (x - x0) * kL;
        O::store(column, pixelsFirst);
        O::store(column + kL / 2, pixelsSecond);
        out.send(kRowsPerColumn);
    };
    V sY = O::zero(), sC0 = O::zero(), sC1 = O::zero();
    auto step = [&](std::int32_t x) {
        const std::int16_t* comb = lay.comb + x * lay.colPitch;
        if (x == w - 1) {
            // The pass starts from the last column itself, its half kept whole.
            sY = O::load(comb);
            sC0 = O::load(comb + kL);
            sC1 = O::load(comb + 2 * kL);
            return YccState<O>{withOwnHalf<O>(sY, sY, k.luma), withOwnHalf<O>(sC0, sC0, k.chroma),
                               withOwnHalf<O>(sC1, sC1, k.chroma)};
        }
        stepColumn<O>(comb, sY, sC0, sC1, k);
        return YccState<O>{sY, sC0, sC1};
    };
    backwardOverTiles<YccState<O>>(w, phase, step, finish,
                                   [&](std::int32_t x0, std::int32_t count) {
                                       out.take(lay.tile, x0, count);
                                       ahead.advance(kTileColumns);
                                   });
    out.send(kL);
}

// `pass(kShortDivision, kStream)` with both as std::bool_constant.
template <class Pass>
inline void withDivisionAndStreaming(bool shortDivision, bool stream, Pass&& pass) {
    withStreaming(stream, [&](auto s) { withFlag(shortDivision, [&](auto d) { pass(d, s); }); });
}

template <class O>
void filterYccColumnsT(const SimdFrame& f, const YccParams& p, void* scratch) {
    constexpr std::int32_t kL = O::kLanes;
    ColumnLayout lay;
    columnLayout(static_cast<std::int16_t*>(scratch), f.width, kL, lay);
    const std::int32_t w = f.width, h = f.height, n = p.lineDistance;
    const DestinationStores<O> to(f);
    // Built once per frame (see ToYcc).
    const ToYcc<O> toYccConstants;
    const ToRgb<O> toRgbConstants;
    const ColumnShifts<O> shiftConstants(n);
    const ToYcc<O>& toYcc = fromMemory(toYccConstants);
    const ToRgb<O>& toRgb = fromMemory(toRgbConstants);
    const ColumnShifts<O>& shift = fromMemory(shiftConstants);
    const SourceStaging staging = sourceStaging<O>(f, lay);
    const YccPasses<O> passes{smoothingOf<O>(p.lumaHorizontal, false, p.gY),
                              smoothingOf<O>(p.chromaHorizontal, true, p.gC),
                              divisorOf<O, 7>(p.gY, p.lumaShortMagic),
                              divisorOf<O, 7>(p.gC, p.chromaShortMagic)};
    const bool shortDivision = p.lumaShortMagic != 0 && p.chromaShortMagic != 0;
    const typename O::V lumaLimit = O::set16(p.lumaVertical);
    const typename O::V chromaLimit = O::set32(p.chromaVertical);
    forEachColumnBand<O>(f, n, to.stream, [&](ColumnBand<O>& band, std::int32_t y0) {
        band.withSourceRows(f, staging, [&](const auto& rows) {
            convertColumns<O>(rows, w, lay.converted, lay.colPitch, toYcc);
        });
        convertEdges<O>(f, y0, n, lay, shift, toYcc);
        detectForwardColumns<O>(lay, w, shift, combRows<O>(y0, h, n), lumaLimit, chromaLimit,
                                passes, band.ahead);
        withDivisionAndStreaming(shortDivision, to.stream, [&](auto kShort, auto kStream) {
            withFlag(p.inRange == 0, [&](auto kClamp) {
                backwardFinishColumns<O, kShort, kClamp, kStream>(
                    lay, w, to.phase, band.destination, band.rowCount, passes, toRgb, band.ahead);
            });
        });
    });
}

// Normal mode in columns, test mode (detection and conversion only) in bands.
template <class Params, void (*kColumns)(const SimdFrame&, const Params&, void*),
          void (*kBands)(const SimdFrame&, const Params&, void*)>
void normalModeInColumns(const SimdFrame& f, const Params& p, void* scratch) {
    if (p.testMode != 0) {
        kBands(f, p, scratch);
    } else {
        kColumns(f, p, scratch);
    }
}

}  // namespace
}  // namespace lintra::x86
