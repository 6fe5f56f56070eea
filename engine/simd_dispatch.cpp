#include "engine/simd_dispatch.h"

#if defined(LINTRA_HAVE_X86)
#include "engine/x86/short_division.h"
#include "engine/x86/simd_kernels.h"
#endif

namespace lintra {
namespace {

// With 8-bit input the planes are bounded: YUV comb values lie within +-3584 and RGB comb
// values within +-4080, and the running averages stay between comb values. So a linear
// distance never exceeds 8160 and a squared distance (two or three components) stays below
// 2^28. Limits are therefore brought into 16-bit (linear) and 32-bit (squared) lanes by
// clamping, which changes no comparison: a larger limit is never exceeded either way, and a
// negative linear limit (-1 after clamping) is exceeded by every distance.
constexpr std::int64_t kMaxLinearLimit = 32767;
constexpr std::int64_t kMaxSquaredLimit = INT32_MAX;
constexpr std::int64_t kThresholdCap = 1 << 20;  // (16 * cap)^2 is already past INT32_MAX

// Frames this large are written with streaming stores: they do not stay in the caches the
// filter's own working set needs anyway, and reading each line in first only to overwrite it
// all would cost as much again in memory traffic as writing it. For the same reason their
// source rows are fetched ahead where a kernel can.
constexpr std::int64_t kLargeFrameBytes = std::int64_t{4} << 20;

std::int32_t linearLimit16(std::int32_t threshold) {
    const std::int64_t limit = 16 * static_cast<std::int64_t>(threshold);
    return static_cast<std::int32_t>(
        limit < -1 ? -1 : (limit > kMaxLinearLimit ? kMaxLinearLimit : limit));
}

std::int32_t squaredLimit32(std::int32_t threshold) {
    std::int64_t t = threshold < 0 ? -static_cast<std::int64_t>(threshold) : threshold;
    if (t > kThresholdCap) t = kThresholdCap;
    const std::int64_t limit = (16 * t) * (16 * t);
    return static_cast<std::int32_t>(limit > kMaxSquaredLimit ? kMaxSquaredLimit : limit);
}

#if defined(LINTRA_HAVE_X86)
const x86::SimdKernels* kernelsFor(CpuLevel level) {
    switch (level) {
        case CpuLevel::sse2:
            return &x86::kernelsSse2();
        case CpuLevel::avx2:
            return &x86::kernelsAvx2();
        case CpuLevel::avx512:
            return &x86::kernelsAvx512();
        case CpuLevel::scalar:
            break;
    }
    return nullptr;
}

struct ByteSpan {
    std::intptr_t first;
    std::intptr_t end;
};

// The bytes a frame's rows cover, whichever way they run in memory.
ByteSpan spanOf(const FrameView& frame, std::int32_t w, std::int32_t h) {
    const auto start = reinterpret_cast<std::intptr_t>(frame.pixels);
    const std::intptr_t lastRow =
        start + (h - 1) * (static_cast<std::intptr_t>(w) * 4 + frame.rowGap);
    const std::intptr_t low = lastRow < start ? lastRow : start;
    const std::intptr_t high = lastRow < start ? start : lastRow;
    return ByteSpan{low, high + static_cast<std::intptr_t>(w) * 4};
}

// The bands read source rows below the ones they have written; the portable pipelines
// finish reading before writing, so overlapping frames go there.
bool overlap(const FrameView& source, const FrameView& destination, std::int32_t w,
             std::int32_t h) {
    const ByteSpan a = spanOf(source, w, h);
    const ByteSpan b = spanOf(destination, w, h);
    return a.first < b.end && b.first < a.end;
}

// Destination rows closer together than a row's bytes overlap: the bands write them in an
// order of their own, so only the portable pipelines (row by row, as the definition) may
// take them.
bool rowsOverlap(const FrameView& frame, std::int32_t w, std::int32_t h) {
    const std::intptr_t stride = rowStride(frame);
    return h > 1 && (stride < 0 ? -stride : stride) < static_cast<std::intptr_t>(w) * 4;
}
#endif

}  // namespace

std::size_t simdScratchBytes(CpuLevel level, std::int32_t width) {
#if defined(LINTRA_HAVE_X86)
    const x86::SimdKernels* kernels = kernelsFor(level);
    if (kernels != nullptr && width > 0) return kernels->scratchBytes(width);
#else
    (void)level;
    (void)width;
#endif
    return 0;
}

#if defined(LINTRA_HAVE_X86)
namespace {

// The short-division multiplier for coefficient g and dividends up to `largest`, found again
// only when either differs from the last frame's.
template <int kScaleShift>
std::int32_t rememberedMagic(DivisionMemo& memo, std::int32_t g, std::int32_t largest) {
    if (memo.g != g || memo.largest != largest) {
        memo = DivisionMemo{g, largest, x86::shortMagicFor<kScaleShift>(g, largest)};
    }
    return memo.magic;
}

}  // namespace
#endif

bool runSimdFrame(RunState& run, const FilterSettings& s, std::int32_t gY, std::int32_t gC,
                  const FrameView& source, const FrameView& destination) {
#if defined(LINTRA_HAVE_X86)
    const x86::SimdKernels* kernels = kernelsFor(run.level);
    const std::int32_t w = source.width;
    const std::int32_t h = source.height;
    void* scratch = run.scratch;
    if (kernels == nullptr || scratch == nullptr || w > run.scratchWidth) return false;
    if (overlap(source, destination, w, h) || rowsOverlap(destination, w, h)) return false;
    const std::int32_t large = static_cast<std::int64_t>(w) * h * 4 >= kLargeFrameBytes ? 1 : 0;
    const x86::SimdFrame frame{
        source.pixels, rowStride(source), destination.pixels, rowStride(destination), w, h, large,
        large};
    const std::int32_t n = s.interlaced != 0 ? 2 : 1;
    const std::int32_t testMode = s.testMode != 0 ? 1 : 0;
    // Whether the recombination's division may skip its remainder check follows from the
    // bound the vertical limits leave on comb values (see short_division.h).
    using x86::combBound, x86::largestDividend, x86::squareRootOf;
    if (s.rgbProcessing != 0) {
        const std::int32_t vertical = squaredLimit32(s.yVerticalThreshold);
        const std::int32_t magic = rememberedMagic<3>(
            run.rgbDivision, gY,
            largestDividend(combBound(squareRootOf(vertical), x86::kMaxRgbComb), 16));
        const x86::RgbParams params{
            vertical, squaredLimit32(s.yHorizontalThreshold), n, testMode, gY, magic};
        kernels->filterRgb(frame, params, scratch);
    } else {
        const std::int32_t lumaVertical = linearLimit16(s.yVerticalThreshold);
        const std::int32_t chromaVertical = squaredLimit32(s.uvVerticalThreshold);
        const std::int32_t lumaComb = combBound(lumaVertical, x86::kMaxYccComb);
        const std::int32_t chromaComb = combBound(squareRootOf(chromaVertical), x86::kMaxYccComb);
        const std::int32_t lumaMagic =
            rememberedMagic<7>(run.lumaDivision, gY, largestDividend(lumaComb, 1));
        const std::int32_t chromaMagic =
            rememberedMagic<7>(run.chromaDivision, gC, largestDividend(chromaComb, 1));
        const bool inRange =
            x86::recombinedInRange(lumaComb, gY) && x86::recombinedInRange(chromaComb, gC);
        const x86::YccParams params{lumaVertical,
                                    chromaVertical,
                                    linearLimit16(s.yHorizontalThreshold),
                                    squaredLimit32(s.uvHorizontalThreshold),
                                    n,
                                    testMode,
                                    gY,
                                    gC,
                                    lumaMagic,
                                    chromaMagic,
                                    inRange ? 1 : 0};
        kernels->filterYcc(frame, params, scratch);
    }
    return true;
#else
    (void)run, (void)s, (void)gY, (void)gC;
    (void)source, (void)destination;
    return false;
#endif
}

}  // namespace lintra
