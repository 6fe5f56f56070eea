#pragma once
// The vector kernels of one instruction-set level, reached only through simd_dispatch.cpp.
// Plain types only: this header is compiled with every level's flags.

#include <cstddef>
#include <cstdint>

namespace lintra::x86 {

// Source and destination of one frame; strides are byte distances between row starts.
struct SimdFrame {
    const std::uint8_t* source;
    std::ptrdiff_t sourceStride;
    std::uint8_t* destination;
    std::ptrdiff_t destinationStride;
    std::int32_t width;
    std::int32_t height;
    // Nonzero: write the destination with streaming stores where its rows allow.
    std::int32_t streamDestination;
    // Nonzero: the frame is too large to stay in the caches between frames, so its source rows
    // are fetched ahead of the work that needs them.
    std::int32_t readAhead;
};

// Limits already brought into the kernels' lane widths (see simd_dispatch.cpp): luma limits
// fit 16-bit lanes, squared limits 32-bit lanes, without changing any decision. The short
// multipliers divide with a single multiply-high where the limits allow (see
// short_division.h); 0 asks for the division with a remainder check.
struct YccParams {
    std::int32_t lumaVertical;
    std::int32_t chromaVertical;
    std::int32_t lumaHorizontal;
    std::int32_t chromaHorizontal;
    std::int32_t lineDistance;
    std::int32_t testMode;
    std::int32_t gY;
    std::int32_t gC;
    std::int32_t lumaShortMagic;
    std::int32_t chromaShortMagic;
    // Non-zero: the recombined samples stay within 0 .. 4095 unclamped (see recombinedInRange).
    std::int32_t inRange;
};

struct RgbParams {
    std::int32_t vertical;
    std::int32_t horizontal;
    std::int32_t lineDistance;
    std::int32_t testMode;
    std::int32_t g;
    std::int32_t shortMagic;
};

struct SimdKernels {
    std::int32_t rowsPerBand;
    // Scratch bytes a run over frames `width` pixels wide needs.
    std::size_t (*scratchBytes)(std::int32_t width);
    // Whole frames; need h > 2n and w >= 2 (w >= 1 in test mode).
    void (*filterYcc)(const SimdFrame& frame, const YccParams& params, void* scratch);
    void (*filterRgb)(const SimdFrame& frame, const RgbParams& params, void* scratch);
    // One row of colour conversion, exposed for the kernel tests: luma row and Cr/Cb pairs,
    // both written (and read) for `width` rounded up to a multiple of rowsPerBand.
    void (*rgbToYccRow)(const std::uint8_t* source, std::int16_t* luma, std::int16_t* chroma,
                        std::int32_t width);
    void (*yccToRgbRow)(const std::int16_t* luma, const std::int16_t* chroma,
                        std::uint8_t* destination, std::int32_t width);
};

const SimdKernels& kernelsSse2();
const SimdKernels& kernelsAvx2();
const SimdKernels& kernelsAvx512();

}  // namespace lintra::x86
