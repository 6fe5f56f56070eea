// The planar picture functions as a front end calls them: any format, size, strides, colours
// and samples, and any change the filter might make. Refusals write nothing; accepted calls
// write only the samples, agree in place and apart, and give the input back where nothing
// changed.

#include <fuzzer/FuzzedDataProvider.h>

#include <cstdint>
#include <cstring>
#include <vector>

#include "frontend/planar_correction.h"
#include "frontend/planar_rgb_view.h"
#include "fuzz/settings_checks.h"

namespace {

using lintra::fuzzing::check;
namespace planar = lintra::planar;

constexpr std::uint8_t kGuard = 0xC3;
constexpr std::size_t kMargin = 32;

struct Planes {
    std::vector<std::uint8_t> bytes[3];
    planar::PictureTarget target{};
};

// Planes of the picture's geometry with room for each stride, inside guard bytes.
Planes makePlanes(const planar::PictureView& shape, FuzzedDataProvider& in, bool fill) {
    Planes p;
    p.target.width = shape.width;
    p.target.height = shape.height;
    p.target.format = shape.format;
    for (int i = 0; i < 3; ++i) {
        const std::size_t stride = static_cast<std::size_t>(shape.strides[i]);
        p.bytes[i].assign(stride * static_cast<std::size_t>(shape.height) + 2 * kMargin, kGuard);
        if (fill) {
            for (std::size_t b = kMargin; b < p.bytes[i].size() - kMargin; ++b) {
                p.bytes[i][b] = in.ConsumeIntegral<std::uint8_t>();
            }
        }
        p.target.planes[i] = p.bytes[i].data() + kMargin;
        p.target.strides[i] = shape.strides[i];
    }
    return p;
}

// The samples of two pictures of one geometry, row by row (row padding left out).
bool sameSamples(const planar::PictureView& a, const planar::PictureView& b) {
    const planar::Format& f = a.format;
    const int planes = f.family == planar::Family::grey ? 1 : 3;
    for (int i = 0; i < planes; ++i) {
        const bool chroma = i > 0 && f.family == planar::Family::yuv;
        const int rows =
            chroma ? (a.height + (1 << f.subsamplingH) - 1) >> f.subsamplingH : a.height;
        const int samples =
            chroma ? (a.width + (1 << f.subsamplingW) - 1) >> f.subsamplingW : a.width;
        const std::size_t rowBytes = std::size_t(samples) * (f.bitDepth > 8 ? 2 : 1);
        for (int y = 0; y < rows; ++y) {
            if (std::memcmp(a.planes[i] + y * a.strides[i], b.planes[i] + y * b.strides[i],
                            rowBytes) != 0) {
                return false;
            }
        }
    }
    return true;
}

bool guardsIntact(const Planes& p) {
    for (const auto& plane : p.bytes) {
        for (std::size_t b = 0; b < kMargin; ++b) {
            if (plane[b] != kGuard || plane[plane.size() - 1 - b] != kGuard) return false;
        }
    }
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider in(data, size);
    planar::PictureView shape{};
    shape.format.family = static_cast<planar::Family>(in.ConsumeIntegralInRange(0, 3));
    shape.format.bitDepth = in.ConsumeIntegralInRange(6, 17);
    shape.format.subsamplingW = in.ConsumeIntegralInRange(-1, 3);
    shape.format.subsamplingH = in.ConsumeIntegralInRange(-1, 3);
    shape.width = in.ConsumeIntegralInRange(0, 24);
    shape.height = in.ConsumeIntegralInRange(0, 20);
    for (auto& stride : shape.strides) stride = in.ConsumeIntegralInRange(0, 64);
    planar::Colours colours{};
    colours.matrix = static_cast<planar::Matrix>(in.ConsumeIntegralInRange(0, 4));
    colours.range = static_cast<planar::Range>(in.ConsumeIntegralInRange(0, 1));
    colours.chromaLocation = static_cast<planar::ChromaLocation>(in.ConsumeIntegralInRange(0, 5));
    colours.fieldBased = in.ConsumeBool();
    if (shape.format.family > planar::Family::rgb) shape.format.family = planar::Family::yuv;

    Planes input = makePlanes(shape, in, true);
    const planar::PictureView view = planar::viewOf(input.target);
    const int w = std::max(shape.width, 1), h = std::max(shape.height, 1);
    std::vector<std::uint8_t> before(std::size_t(w) * std::size_t(h) * 4, kGuard);
    std::vector<std::int32_t> scratch(planar::planarScratchCount(shape.width) + 1);
    const bool tooLittle = scratch.size() > 1 && in.ConsumeBool();
    const planar::Scratch s{scratch.data(), scratch.size() - 1 - (tooLittle ? 1 : 0)};
    const lintra::FrameView beforeFrame{before.data(), shape.width, shape.height, 0};
    const std::vector<std::uint8_t> untouched = before;
    const int rc = planar::makeRgbView(view, colours, beforeFrame, s);
    check(rc >= planar::kPlanarOk && rc <= planar::kPlanarNoScratch, "an unknown result");
    if (rc != planar::kPlanarOk) {
        check(before == untouched, "a refused view wrote the frame");
        return 0;
    }
    for (std::size_t px = 3; px < before.size(); px += 4) check(before[px] == 0, "byte 3 not 0");

    std::vector<std::uint8_t> after = before;
    for (std::size_t b = 0; b < after.size() && in.remaining_bytes() > 0;
         b += 1 + in.ConsumeIntegralInRange<std::size_t>(0, 40)) {
        if (b % 4 != 3) after[b] = in.ConsumeIntegral<std::uint8_t>();
    }
    const lintra::FrameView afterFrame{after.data(), shape.width, shape.height, 0};
    Planes apart = makePlanes(shape, in, false);
    check(planar::applyCorrection(view, colours, beforeFrame, afterFrame, apart.target, s) ==
              planar::kPlanarOk,
          "a correction of an accepted picture refused");
    check(guardsIntact(apart) && guardsIntact(input), "written outside the planes");
    Planes same = makePlanes(shape, in, false);
    check(planar::applyCorrection(view, colours, beforeFrame, beforeFrame, same.target, s) ==
              planar::kPlanarOk,
          "an unchanged frame refused");
    check(sameSamples(planar::viewOf(same.target), view), "an unchanged frame changed the picture");
    // In place: the same as apart.
    check(planar::applyCorrection(view, colours, beforeFrame, afterFrame, input.target, s) ==
              planar::kPlanarOk,
          "a correction in place refused");
    check(sameSamples(view, planar::viewOf(apart.target)), "in place differs from apart");
    return 0;
}
