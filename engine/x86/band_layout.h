#pragma once
// Scratch layout of the band kernels, shared by every level. Allocated once per run.
//
// ring  : converted rows (luma | Cr/Cb pairs), one slot per row of the current band plus the
//         line distance above and below; frame row y lives in slot y % slots.
// strip : the band's comb signal for a strip of columns, row by row (YUV: luma | Cr/Cb
//         pairs; RGB: B/R pairs | green); small enough for L1.
// cols  : the band's comb signal transposed, one group of vectors per column; once both
//         passes are done, the band's corrections in rows (3 * paddedWidth samples each).
// pass  : the forward pass, transposed; the backward pass turns it into the corrections.

#include <cstddef>
#include <cstdint>
#include <type_traits>

// Each stage stays one function (not inlined into the frame loop), so that profiles show the
// stages apart; a call per row or band costs nothing measurable.
#define LINTRA_STAGE [[gnu::noinline]] inline
// The pieces of a stage's loop: always inside it.
#define LINTRA_PIECE [[gnu::always_inline]] inline
// The same for a lambda, written after its parameters.
#define LINTRA_LAMBDA __attribute__((always_inline))

namespace lintra::x86 {
namespace {

// Vector constants the loops should read from memory: once their values are hidden from the
// compiler it cannot rebuild them with a broadcast (a shuffle-port operation) on every pass
// when registers run short, and uses them as memory operands instead.
template <class T>
inline const T& fromMemory(const T& constants) {
    asm volatile("" : : "r"(&constants) : "memory");
    return constants;
}

// The constants a loop uses, copied into the stage that runs it where the level has 32 vector
// registers (AVX-512 in 64-bit code): the copy can live in registers and its values stay as
// hidden as the original's. Read as memory operands, every 512-bit constant would cost a load
// on each pass, and loads, not arithmetic, are what bound the loops at that width. With 16
// registers or fewer the copy would only be spilled, so the stage reads the original.
template <class O>
inline constexpr bool kConstantsInRegisters = O::kLanes == 32 && sizeof(void*) == 8;

template <class O, class T>
inline std::conditional_t<kConstantsInRegisters<O>, T, const T&> inRegisters(const T& constants) {
    return constants;
}

struct BandLayout {
    std::int32_t paddedWidth;  // multiple of the band height
    std::int32_t ringSlots;
    std::int32_t stripWidth;    // columns per strip, a multiple of the band height
    std::ptrdiff_t ringPitch;   // int16 elements per ring row
    std::ptrdiff_t stripPitch;  // int16 elements per strip row
    std::ptrdiff_t colPitch;    // int16 elements per column of cols and pass
    std::ptrdiff_t rowPitch;    // int16 elements per row of cols, once transposed back to rows
    std::int16_t* ring;
    std::int16_t* strip;
    std::int16_t* cols;
    std::int16_t* pass;
};

inline constexpr std::int32_t kMaxLineDistance = 2;
// Widest row the band kernels take; keeps every index within 32 bits.
inline constexpr std::int32_t kMaxBandWidth = 1 << 24;
// A band's strip buffer: 24 KiB, half of a small L1 data cache.
inline constexpr std::int32_t kStripBytes = 24 * 1024;

inline std::ptrdiff_t roundUp(std::ptrdiff_t v, std::ptrdiff_t to) {
    return (v + to - 1) / to * to;
}

// Regions start at different offsets modulo 4 KiB: loads from one region and stores to
// another at the same index would otherwise alias and stall each other.
inline constexpr std::ptrdiff_t kPage = 2048;  // int16 elements: 4 KiB
inline constexpr std::ptrdiff_t kSkew = 512;   // int16 elements: 1 KiB

// A pitch of at least `elements` int16 elements that is an odd number of cache lines: rows
// that far apart fall in different sets of the cache. At a pitch of a whole number of 4 KiB
// pages (widths of 1024, 2048 or 4096 pixels) a band's rows would all share one set, more of
// them than it has ways, and evict each other while they are being read or written.
inline std::ptrdiff_t spreadPitch(std::ptrdiff_t elements) {
    constexpr std::ptrdiff_t kLine = 32;  // int16 elements: 64 bytes
    return roundUp(elements, 2 * kLine) + kLine;
}

// With base null only the sizes are filled in; `bandRows` is the level's lane count.
inline std::size_t bandLayout(std::int16_t* base, std::int32_t width, std::int32_t bandRows,
                              BandLayout& out) {
    out.paddedWidth = static_cast<std::int32_t>(roundUp(width, bandRows));
    out.ringSlots = bandRows + 2 * kMaxLineDistance;
    out.stripWidth = kStripBytes / (bandRows * 3 * 2) / bandRows * bandRows;
    out.ringPitch = 3 * static_cast<std::ptrdiff_t>(out.paddedWidth);
    out.stripPitch = 3 * static_cast<std::ptrdiff_t>(out.stripWidth);
    out.colPitch = 3 * static_cast<std::ptrdiff_t>(bandRows);
    out.rowPitch = spreadPitch(3 * static_cast<std::ptrdiff_t>(out.paddedWidth));
    const std::ptrdiff_t ring = roundUp(out.ringSlots * out.ringPitch, kPage) + kSkew;
    const std::ptrdiff_t rows = roundUp(bandRows * out.stripPitch, kPage) + kSkew;
    // As columns, cols holds paddedWidth * colPitch elements; as rows, bandRows * rowPitch.
    const std::ptrdiff_t cols = roundUp(bandRows * out.rowPitch, kPage) + kSkew;
    const std::ptrdiff_t pass = roundUp(out.paddedWidth * out.colPitch, kPage);
    out.ring = base;
    out.strip = base == nullptr ? nullptr : base + ring;
    out.cols = base == nullptr ? nullptr : base + ring + rows;
    out.pass = base == nullptr ? nullptr : base + ring + rows + cols;
    return static_cast<std::size_t>(ring + rows + cols + pass) * sizeof(std::int16_t);
}

}  // namespace
}  // namespace lintra::x86
