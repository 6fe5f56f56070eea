#pragma once
// Checks of the AVX-512 column kernels' building blocks, compiled with that level's flags in
// column_probes_avx512.cpp; call them only where detectCpuLevel() reaches avx512. Each returns
// 0 when the piece is right, else a number saying where it first went wrong (below). They
// use plain types only: no library template is instantiated with that level's flags, which
// could otherwise stand in for the ordinary build's copy everywhere.

#include <cstddef>
#include <cstdint>

namespace lintra::testing {

// The scratch regions lie inside the size the kernels ask for, apart from each other, each
// aligned for its vectors: 1 + the first region (converted, comb, forward, edge rows, edge
// luma, edge pairs, tile, tile rows, staging) that does not; 100 if the edge rows are too
// short; 200 if the scratch is smaller than the layout; 300 if a staged row does not fit its
// pitch or the pitch is not an odd number of cache lines.
std::int32_t columnLayoutProblem(std::int32_t width);

// Whether a band's source rows `stride` bytes apart are copied before the transposition.
bool rowsCrowdCacheSets(std::ptrdiff_t stride);

// The lane of row r of a column (luma words in their paired order), moved by the line
// distance n, holds row r - n (above) or r + n (below), taken from the edge values past the
// band's ends: 1 + the first wrong lane, plus 100 for luma below, 200 for the first pair
// vector above, 300 below, 400 and 500 for the second.
std::int32_t columnShiftProblem(std::int32_t n);

// 16 columns of 16 32-bit values become 16 rows: 1 + 16 * row + column of the first wrong one.
std::int32_t tileTransposeProblem(std::uint32_t seed);

// The lanes whose rows have comb signal (all but the first and last n rows of a frame of height
// h and rows past its end) for the band starting at y0: 1 + the first wrong lane.
std::int32_t combRowsProblem(std::int32_t y0, std::int32_t h, std::int32_t n);

// The limit tests of detection, for random samples, tests, limits and rows (the extremes of
// each included): a lane keeps its sample only if its row is one of `rows` and its test is at
// most the limit, equal included, and is zero otherwise. 1 + the first wrong 16-bit lane, or
// 100 + the first wrong 32-bit lane, of the first wrong round.
std::int32_t limitTestProblem(std::uint32_t seed);

// RGB detection of one half column, for random pixels (bytes often at 0 or 255, byte 3 too):
// 8 * (above + below) - 16 * own of each channel, (B, R) in pairs, green in the low words and
// zero above them, and the rows kept where the squared distance is at most the limit; then
// the green moved up and joined as the kernel does. 1 + the first wrong pair, 100 + the first
// wrong green, 200 + the first wrong row kept, 300 or 400 + the first wrong joined lane.
std::int32_t rgbCombProblem(std::uint32_t seed);

// Tiles of random pixels for the rows of a band (rowCount of 32) from the right, each filled
// tile taken while the rows of the one before are sent two per column, as the backward pass
// does: whole tiles from a vector boundary, the first and last narrower. Every destination
// pixel is its tile's, and nothing outside the row ends is written: 1 + row * 1000 + column of
// the first wrong pixel, 100000 + the row of a written guard.
std::int32_t tileRowsProblem(std::uint32_t seed, std::int32_t width, std::int32_t rowCount,
                             std::int32_t phase);

// Luma and pairs of random pixels (and samples in 0 .. 4095) converted with luma in paired
// order give the same words as in natural order, and the same pixels back: 1 + the first
// wrong word of the way in, 100 + the first wrong pixel of the way back.
std::int32_t pairedLumaProblem(std::uint32_t seed);

}  // namespace lintra::testing
