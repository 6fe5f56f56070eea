// runFrame over arbitrary geometry and settings, at every CPU level. Source and destination sit
// inside buffers with guard bytes on both sides; the whole destination buffer (pixels, row gaps,
// guards) must equal what the literal reference writes into a copy, the source must stay as it was,
// and a refused frame must leave everything untouched.

#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "engine/cpu_level.h"
#include "engine/filter_instance.h"
#include "engine/frame_driver.h"
#include "tests/reference/reference_filter.h"
#include "tests/reliability/guarded_frame.h"

namespace {

using lintra::FilterInstance;
using lintra::FilterSettings;
using lintra::FrameView;
using lintra::testing::GuardedFrame;
using lintra::testing::guardedFrame;

constexpr std::int32_t kMaxSide = 48;  // keeps the reference fast
constexpr std::int32_t kMaxGap = 32;

// Mostly the usual size, sometimes any from -1 up.
std::int32_t pickSide(FuzzedDataProvider& in, std::int32_t usual) {
    return in.ConsumeIntegralInRange(0, 3) != 0 ? usual : in.ConsumeIntegralInRange(-1, kMaxSide);
}

// Row gaps: none, positive, bottom-up rows, and for a source anything, overlapping rows too.
std::int32_t pickGap(FuzzedDataProvider& in, std::int32_t width, bool mayOverlap) {
    const std::int32_t rowBytes = std::max(width, 0) * 4;
    switch (in.ConsumeIntegralInRange(0, mayOverlap ? 3 : 2)) {
        case 0:
            return 0;
        case 1:
            return in.ConsumeIntegralInRange(1, kMaxGap);
        case 2:
            return -2 * rowBytes - in.ConsumeIntegralInRange(0, kMaxGap);
        default:
            return in.ConsumeIntegralInRange(-2 * rowBytes - kMaxGap, kMaxGap);
    }
}

// Mostly values a writer of settings can store, sometimes any 32-bit value.
std::int32_t pickField(FuzzedDataProvider& in, std::int32_t usualMax) {
    return in.ConsumeIntegralInRange(0, 7) != 0 ? in.ConsumeIntegralInRange(0, usualMax)
                                                : in.ConsumeIntegral<std::int32_t>();
}

FilterSettings pickSettings(FuzzedDataProvider& in) {
    FilterSettings s{};
    s.yAverage = pickField(in, 1023);
    s.uvAverage = pickField(in, 1023);
    s.yCoefficient = pickField(in, 255);
    s.uvCoefficient = pickField(in, 255);
    s.yHorizontalThreshold = pickField(in, 600);
    s.uvHorizontalThreshold = pickField(in, 600);
    s.yVerticalThreshold = pickField(in, 600);
    s.uvVerticalThreshold = pickField(in, 600);
    s.interlaced = pickField(in, 1);
    s.testMode = pickField(in, 1);
    s.rgbProcessing = pickField(in, 1);
    return s;
}

// Source pixels: the fuzzer's own bytes, or a line-alternating pattern the filter acts on.
void fillSource(FuzzedDataProvider& in, GuardedFrame& src) {
    const bool pattern = in.ConsumeBool();
    const auto amplitude = in.ConsumeIntegralInRange<int>(0, 40);
    const std::vector<std::uint8_t> seed = in.ConsumeBytes<std::uint8_t>(64);
    std::uint32_t state = 0x9E3779B9u;
    for (std::size_t i = 0; i < src.bytes.size(); ++i) {
        state = state * 1664525u + 1013904223u;
        const std::uint8_t noise = static_cast<std::uint8_t>(state >> 24);
        std::uint8_t v = seed.empty() ? noise : seed[i % seed.size()];
        if (pattern) {
            const int line = static_cast<int>((i / 16) & 1);
            v = static_cast<std::uint8_t>(128 + (line ? amplitude : -amplitude) + (noise & 3));
        }
        src.bytes[i] = v;
    }
}

[[noreturn]] void fail(const char* what, std::int32_t w, std::int32_t h, const FrameView& dst,
                       std::ptrdiff_t offset) {
    std::fprintf(stderr, "runFrame: %s (source %dx%d, destination %dx%d gap %d, byte %td)\n", what,
                 w, h, dst.width, dst.height, dst.rowGap, offset);
    std::abort();
}

void compare(const GuardedFrame& actual, const GuardedFrame& expected, const char* what,
             std::int32_t w, std::int32_t h, const FrameView& dst) {
    const auto diff =
        std::mismatch(actual.bytes.begin(), actual.bytes.end(), expected.bytes.begin());
    if (diff.first != actual.bytes.end()) {
        fail(what, w, h, dst, (diff.first - actual.bytes.begin()) - actual.origin);
    }
}

struct Planes {
    bool present;
    std::int64_t pixels;
};

// Planes of the frame's size, of some other size, of an unusable size, or none at all.
Planes prepare(FuzzedDataProvider& in, FilterInstance& instance, std::int32_t w, std::int32_t h) {
    const int choice = in.ConsumeIntegralInRange(0, 7);
    if (choice == 7) return {false, 0};
    const std::int32_t pw = choice < 5 ? w : in.ConsumeIntegralInRange(-1, kMaxSide);
    const std::int32_t ph = choice < 5 ? h : in.ConsumeIntegralInRange(-1, kMaxSide);
    const int expected = pw > 0 && ph > 0 ? 0 : 1;
    // Every CPU level this machine has: a cap above it runs at the best one there is.
    const auto cap = static_cast<lintra::CpuLevel>(in.ConsumeIntegralInRange(0, 3));
    if (lintra::startRun(instance, FrameView{nullptr, pw, ph, 0}, cap) != expected) {
        std::fprintf(stderr, "startRun %dx%d: wrong result\n", pw, ph);
        std::abort();
    }
    if (expected != 0) return {false, 0};
    if (choice == 6) {
        lintra::endRun(instance);
        return {false, 0};
    }
    return {true, std::int64_t{pw} * ph};
}

void runOneFrame(FuzzedDataProvider& in, FilterInstance& instance, const Planes& planes,
                 std::int32_t w, std::int32_t h, const FrameView& source) {
    const std::int32_t dw = pickSide(in, w);
    const std::int32_t dh = pickSide(in, h);
    const std::int32_t dgap = pickGap(in, dw, false);
    GuardedFrame actual = guardedFrame(dw, dh, dgap);
    GuardedFrame expected = actual;
    const FrameView dst = actual.view();

    const bool accepted = planes.present && w > 0 && h > 0 &&
                          std::int64_t{w} * h <= planes.pixels && dw >= w && dh >= h;
    if (accepted) {
        lintra::reference::filterFrame(instance.settings, source, expected.view());
    }
    const int result = lintra::runFrame(instance, source, dst);
    if (result != (accepted ? 0 : 1)) fail("wrong result", w, h, dst, 0);
    compare(actual, expected, accepted ? "differs from the reference" : "wrote a refused frame", w,
            h, dst);
}

// The same frame as source and destination (rows apart): filtered as if they were separate.
void runInPlace(FilterInstance& instance, const Planes& planes, GuardedFrame& frame) {
    const std::int32_t w = frame.width;
    const std::int32_t h = frame.height;
    const bool accepted = planes.present && w > 0 && h > 0 && std::int64_t{w} * h <= planes.pixels;
    GuardedFrame expected = frame;
    if (accepted) lintra::reference::filterFrame(instance.settings, frame.view(), expected.view());
    const FrameView view = frame.view();
    if (lintra::runFrame(instance, view, view) != (accepted ? 0 : 1)) {
        fail("wrong result in place", w, h, view, 0);
    }
    compare(frame, expected, "in place differs from the reference", w, h, view);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider in(data, size);
    const std::int32_t w = in.ConsumeIntegralInRange(-1, kMaxSide);
    const std::int32_t h = in.ConsumeIntegralInRange(-1, kMaxSide);
    const std::int32_t sgap = pickGap(in, w, true);

    FilterInstance instance{};
    instance.settings = pickSettings(in);
    const Planes planes = prepare(in, instance, w, h);

    GuardedFrame src = guardedFrame(w, h, sgap);
    fillSource(in, src);
    const GuardedFrame original = src;
    const FrameView source = src.view();

    const int frames = in.ConsumeIntegralInRange(1, 2);
    for (int i = 0; i < frames; ++i) {
        if (i > 0) instance.settings = pickSettings(in);
        runOneFrame(in, instance, planes, w, h, source);
        compare(src, original, "wrote into the source", w, h, source);
    }
    const bool rowsApart = sgap >= 0 || sgap <= -2 * std::max(w, 0) * 4;
    if (rowsApart && in.ConsumeIntegralInRange(0, 3) == 0) runInPlace(instance, planes, src);

    lintra::endRun(instance);
    lintra::endRun(instance);
    return 0;
}
