// The run lifecycle and the per-frame choice of pipeline. A run at a vector CPU level
// takes whole frames through the band kernels of engine/x86 (band_frame.h explains their
// order of work); the portable pipelines take them stage by stage. Both give the same bytes.
#include "engine/frame_driver.h"

#include <cstdint>

#include "engine/colour_conversion.h"
#include "engine/plane_memory.h"
#include "engine/rgb_pipeline.h"
#include "engine/simd_dispatch.h"
#include "engine/ycc_pipeline.h"

namespace lintra {
namespace {

bool hasPlanes(const FilterInstance& instance) {
    return instance.planeA != nullptr && instance.planeB != nullptr && instance.planeC != nullptr;
}

bool fitsPlanes(const FilterInstance& instance, const FrameView& source) {
    const auto pixels =
        static_cast<std::uint64_t>(source.width) * static_cast<std::uint64_t>(source.height);
    return pixels <= planeCapacity(instance.planeA) && pixels <= planeCapacity(instance.planeB) &&
           pixels <= planeCapacity(instance.planeC);
}

// Every writer of settings stores coefficients in 0..255; anything else would let the
// recombination divide by zero, so it is held to that range here.
std::int32_t usableCoefficient(std::int32_t g) {
    return g < 0 ? 0 : (g > kMaxCoefficient ? kMaxCoefficient : g);
}

// Frames too small for the comb pipelines pass through unchanged, byte 3 cleared.
void copyClearingByte3(const FrameView& source, const FrameView& destination) {
    const std::uint8_t* in = source.pixels;
    std::uint8_t* out = destination.pixels;
    for (std::int32_t y = 0; y < source.height; ++y) {
        // Pointers step per pixel: width * 4 would overflow for rows of 2^29 pixels or more.
        const std::uint8_t* p = in;
        std::uint8_t* q = out;
        for (std::int32_t x = 0; x < source.width; ++x, p += 4, q += 4) {
            q[0] = p[0];
            q[1] = p[1];
            q[2] = p[2];
            q[3] = 0;
        }
        in += rowStride(source);
        out += rowStride(destination);
    }
}

// Scratch is optional: without it the run stays exact on the portable pipelines.
void chooseKernels(WorkPlane* planeA, std::int32_t width, CpuLevel cap) {
    RunState& run = runStateOf(planeA);
    const CpuLevel level = lowerLevel(cap, detectCpuLevel());
    const std::size_t bytes = simdScratchBytes(level, width);
    run.scratch = bytes > 0 ? allocateScratch(bytes) : nullptr;
    run.level = run.scratch != nullptr ? level : CpuLevel::scalar;
    run.scratchWidth = run.scratch != nullptr ? width : 0;
}

}  // namespace

int startRun(FilterInstance& instance, const FrameView& source) {
    return startRun(instance, source, CpuLevel::avx512);
}

CpuLevel runLevel(const FilterInstance& instance) {
    return instance.planeA != nullptr ? runStateOf(instance.planeA).level : CpuLevel::scalar;
}

int startRun(FilterInstance& instance, const FrameView& source, CpuLevel cap) {
    endRun(instance);
    if (source.width <= 0 || source.height <= 0) return 1;
    const auto pixels =
        static_cast<std::uint64_t>(source.width) * static_cast<std::uint64_t>(source.height);
    if (pixels > maxPlaneTriplets()) return 1;
    const auto triplets = static_cast<std::size_t>(pixels);
    instance.planeA = allocatePlane(triplets);
    if (instance.planeA == nullptr) return 1;
    instance.planeB = allocatePlane(triplets);
    if (instance.planeB == nullptr) return 1;
    instance.planeC = allocatePlane(triplets);
    if (instance.planeC == nullptr) return 1;
    chooseKernels(instance.planeA, source.width, cap);
    return 0;
}

int runFrame(FilterInstance& instance, const FrameView& source, const FrameView& destination) {
    const FilterSettings& s = instance.settings;
    if (!hasPlanes(instance) || source.width <= 0 || source.height <= 0) return 1;
    if (!fitsPlanes(instance, source)) return 1;
    if (destination.width < source.width || destination.height < source.height) return 1;

    const std::int32_t w = source.width;
    const std::int32_t h = source.height;
    // The destination is written with the source's size at its own row distance: a wider
    // destination has the difference in width added to the gap after each written row.
    const std::int64_t gapAtSourceWidth =
        (static_cast<std::int64_t>(destination.width) - w) * 4 + destination.rowGap;
    if (gapAtSourceWidth > INT32_MAX) return 1;
    const FrameView out{destination.pixels, w, h, static_cast<std::int32_t>(gapAtSourceWidth)};
    const std::int32_t n = s.interlaced != 0 ? 2 : 1;
    if (h <= 2 * n || (w < 2 && s.testMode == 0)) {
        copyClearingByte3(source, out);
        return 0;
    }

    const std::int32_t gY = usableCoefficient(s.yCoefficient);
    const std::int32_t gC = usableCoefficient(s.uvCoefficient);
    if (runSimdFrame(runStateOf(instance.planeA), s, gY, gC, source, out)) return 0;

    if (s.rgbProcessing != 0) {
        filterRgb(source.pixels, out.pixels, instance.planeA, instance.planeB, w, h, source.rowGap,
                  out.rowGap, s.yVerticalThreshold, s.yHorizontalThreshold, s.interlaced,
                  s.testMode, gY);
        return 0;
    }
    rgbToYcc(source, instance.planeA);
    filterYcc(instance.planeA, instance.planeB, instance.planeC, w, h, s.yVerticalThreshold,
              s.uvVerticalThreshold, s.yHorizontalThreshold, s.uvHorizontalThreshold, s.interlaced,
              s.testMode, gY, gC);
    yccToRgb(instance.planeB, out);
    return 0;
}

int endRun(FilterInstance& instance) {
    if (instance.planeA != nullptr) {
        RunState& run = runStateOf(instance.planeA);
        releaseScratch(run.scratch);
        run = RunState{CpuLevel::scalar, 0, nullptr};
    }
    releasePlane(instance.planeA);
    releasePlane(instance.planeB);
    releasePlane(instance.planeC);
    instance.planeA = nullptr;
    instance.planeB = nullptr;
    instance.planeC = nullptr;
    return 0;
}

}  // namespace lintra
