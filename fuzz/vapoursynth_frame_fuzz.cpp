// The VapourSynth plug-in's own work between VapourSynth and the engine: the function's
// arguments with any numbers and any settings text, then RGB24 frames of any small size, with
// any row padding, through a work entry at any CPU level. Accepted arguments give settings in
// the dialog's ranges (or what a settings line can carry), refused ones a one-line message;
// each frame equals what the literal reference makes of its packed pixels, and nothing outside
// the destination's pixels is written.

#include <fuzzer/FuzzedDataProvider.h>

#include <cstdint>
#include <string>
#include <vector>

#include "fuzz/settings_checks.h"
#include "tests/reference/reference_filter.h"
#include "vapoursynth/filter_args.h"
#include "vapoursynth/rgb24_frame.h"
#include "vapoursynth/work_pool.h"

namespace {

using namespace lintra;
using fuzzing::check;

constexpr std::int32_t kMaxSide = 24;
constexpr std::uint8_t kGuard = 0xA5;

vs::FilterArgs pickArgs(FuzzedDataProvider& in) {
    vs::FilterArgs args{};
    for (int i = 0; i < vs::kNumberArgCount; ++i) {
        args.given[i] = in.ConsumeBool();
        args.value[i] = in.ConsumeBool() ? in.ConsumeIntegralInRange<std::int64_t>(-3, 1100)
                                         : in.ConsumeIntegral<std::int64_t>();
    }
    args.settingsGiven = in.ConsumeBool();
    if (args.settingsGiven) args.settings = in.ConsumeRandomLengthString(80);
    return args;
}

// Planes of one frame in one buffer; each row followed by its padding of guard bytes.
struct Planes {
    std::vector<std::uint8_t> bytes;
    vs::PlanarRgb view;
};

Planes makePlanes(std::int32_t w, std::int32_t h, std::int32_t pad) {
    Planes p{std::vector<std::uint8_t>(std::size_t(3 * (w + pad) * h), kGuard), {}};
    p.view.width = w;
    p.view.height = h;
    for (int i = 0; i < 3; ++i) {
        p.view.strides[i] = w + pad;
        p.view.planes[i] = p.bytes.data() + i * (w + pad) * h;
    }
    return p;
}

void filterFrames(FuzzedDataProvider& in, const FilterSettings& settings) {
    const auto w = in.ConsumeIntegralInRange<std::int32_t>(1, kMaxSide);
    const auto h = in.ConsumeIntegralInRange<std::int32_t>(1, kMaxSide);
    const auto level = static_cast<CpuLevel>(in.ConsumeIntegralInRange(0, 3));
    vs::WorkPool pool;
    check(vs::startPool(pool, settings, level, w, h), "no work entry for a small frame");
    for (int frame = in.ConsumeIntegralInRange(1, 3); frame > 0; --frame) {
        Planes source = makePlanes(w, h, in.ConsumeIntegralInRange(0, 9));
        for (auto& b : source.bytes) b = in.ConsumeIntegral<std::uint8_t>();
        Planes result = makePlanes(w, h, in.ConsumeIntegralInRange(0, 9));
        std::vector<std::uint8_t> packed(std::size_t(w * h * 4)), want(packed.size());
        vs::packRgb24(source.view, packed.data());
        reference::filterFrame(settings, {packed.data(), w, h, 0}, {want.data(), w, h, 0});

        vs::WorkEntry* entry = vs::takeEntry(pool);
        check(entry != nullptr, "no work entry");
        check(vs::filterRgb24(*entry, source.view, result.view) == 0, "frame refused");
        vs::giveBack(pool, entry);
        std::vector<std::uint8_t> got(packed.size());
        vs::packRgb24(result.view, got.data());
        for (std::size_t i = 0; i < got.size(); ++i) {
            if (i % 4 != 3) check(got[i] == want[i], "frame differs from the reference");
        }
        const std::ptrdiff_t stride = result.view.strides[0];
        for (std::size_t i = 0; i < result.bytes.size(); ++i) {
            if (std::ptrdiff_t(i) % stride >= w)
                check(result.bytes[i] == kGuard, "padding written");
        }
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider in(data, size);
    const vs::FilterArgs args = pickArgs(in);
    FilterSettings settings{};
    std::string error;
    if (!vs::settingsFromArgs(args, settings, error)) {
        fuzzing::checkMessage(error);
        return 0;
    }
    const bool fromText =
        args.settingsGiven && args.settings.find_first_not_of(" \t\r\n") != std::string::npos;
    if (fromText) {
        fuzzing::checkRestorable(settings);
    } else {
        fuzzing::checkDialogRanges(settings);
    }
    // Settings lines may carry lengths of 65535: the literal reference is slow there.
    if (!fromText || (settings.yAverage <= 1023 && settings.uvAverage <= 1023)) {
        filterFrames(in, settings);
    }
    return 0;
}
