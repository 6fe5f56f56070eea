#pragma once
// Transposition between a band's rows and its columns, so that the recursive passes (which
// run along a row) can take one vector lane per row. Only operations inside 128-bit blocks
// are used: block j of a column vector holds the rows that block j of the loads came from,
// so loading block j from row (i + 8j) yields columns with the rows in natural order.

#include <cstddef>
#include <cstdint>

#include "engine/x86/band_layout.h"

namespace lintra::x86 {
namespace {

// 8 x 8 transpose of 16-bit elements within each 128-bit block.
template <class O>
inline void transpose8x8(typename O::V r[8]) {
    using V = typename O::V;
    V a[8], b[8];
    for (int i = 0; i < 4; ++i) {
        a[2 * i] = O::unpackLo16(r[2 * i], r[2 * i + 1]);
        a[2 * i + 1] = O::unpackHi16(r[2 * i], r[2 * i + 1]);
    }
    for (int i = 0; i < 2; ++i) {
        b[4 * i] = O::unpackLo32(a[4 * i], a[4 * i + 2]);
        b[4 * i + 1] = O::unpackHi32(a[4 * i], a[4 * i + 2]);
        b[4 * i + 2] = O::unpackLo32(a[4 * i + 1], a[4 * i + 3]);
        b[4 * i + 3] = O::unpackHi32(a[4 * i + 1], a[4 * i + 3]);
    }
    for (int i = 0; i < 4; ++i) {
        r[2 * i] = O::unpackLo64(b[i], b[i + 4]);
        r[2 * i + 1] = O::unpackHi64(b[i], b[i + 4]);
    }
}

// 4 x 4 transpose of 32-bit elements within each 128-bit block.
template <class O>
inline void transpose4x4(typename O::V r[4]) {
    using V = typename O::V;
    const V t0 = O::unpackLo32(r[0], r[1]);
    const V t1 = O::unpackLo32(r[2], r[3]);
    const V t2 = O::unpackHi32(r[0], r[1]);
    const V t3 = O::unpackHi32(r[2], r[3]);
    r[0] = O::unpackLo64(t0, t1);
    r[1] = O::unpackHi64(t0, t1);
    r[2] = O::unpackLo64(t2, t3);
    r[3] = O::unpackHi64(t2, t3);
}

// 16-bit samples: kLanes rows of pw at rows + r * pitch  <->  one vector per column at
// cols + x * colPitch.
template <class O, bool kToColumns>
LINTRA_STAGE void transpose16(std::int16_t* rows, std::ptrdiff_t pitch, std::int16_t* cols,
                              std::ptrdiff_t colPitch, std::int32_t pw) {
    typename O::V r[8];
    for (std::int32_t x = 0; x < pw; x += 8) {
        if constexpr (kToColumns) {
            for (int i = 0; i < 8; ++i) r[i] = O::loadBlocks(rows + i * pitch + x, 8 * pitch);
        } else {
            for (int i = 0; i < 8; ++i) r[i] = O::load(cols + (x + i) * colPitch);
        }
        transpose8x8<O>(r);
        if constexpr (kToColumns) {
            for (int i = 0; i < 8; ++i) O::store(cols + (x + i) * colPitch, r[i]);
        } else {
            for (int i = 0; i < 8; ++i) O::storeBlocks(rows + i * pitch + x, 8 * pitch, r[i]);
        }
    }
}

// 32-bit pairs: kLanes rows of pw pairs  <->  two vectors per column. Block j of the first
// holds the even rows 8j, 8j+2, 8j+4, 8j+6 and of the second the odd rows 8j+1 .. 8j+7: the
// rows of the low and of the high words of the 32-bit lanes of a 16-bit column (block j:
// rows 8j .. 8j+7).
template <class O, bool kToColumns>
LINTRA_STAGE void transpose32(std::int16_t* rows, std::ptrdiff_t pitch, std::int16_t* cols,
                              std::ptrdiff_t colPitch, std::int32_t pw) {
    typename O::V r[4];
    for (std::int32_t x = 0; x < pw; x += 4) {
        for (std::int32_t h = 0; h < 2; ++h) {
            std::int16_t* rowBase = rows + h * pitch + 2 * x;
            std::int16_t* colBase = cols + x * colPitch + h * O::kLanes;
            if constexpr (kToColumns) {
                for (int i = 0; i < 4; ++i) {
                    r[i] = O::loadBlocks(rowBase + 2 * i * pitch, 8 * pitch);
                }
            } else {
                for (int i = 0; i < 4; ++i) r[i] = O::load(colBase + i * colPitch);
            }
            transpose4x4<O>(r);
            if constexpr (kToColumns) {
                for (int i = 0; i < 4; ++i) O::store(colBase + i * colPitch, r[i]);
            } else {
                for (int i = 0; i < 4; ++i) {
                    O::storeBlocks(rowBase + 2 * i * pitch, 8 * pitch, r[i]);
                }
            }
        }
    }
}

}  // namespace
}  // namespace lintra::x86
