// The planar picture code against the plain double-precision reference, on random pictures of
// every family, depth and chroma subsampling, with guard bytes around every plane and frame.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>
#include <string>
#include <vector>

#include "frontend/planar_correction.h"
#include "frontend/planar_levels.h"
#include "frontend/planar_rgb_view.h"
#include "tests/frontend/guarded_picture.h"
#include "tests/frontend/planar_reference.h"
#include "tests/frontend/planar_straight.h"
#include "tests/support/guarded_frame.h"

namespace lintra::planar {
namespace {

using lintra::test::GuardedFrame;
using test::GuardedPicture;
using test::randomPlanes;

struct Case {
    Format format;
    const char* name;
};

std::vector<Case> allFormats() {
    std::vector<Case> cases;
    static std::vector<std::string> names;
    names.clear();
    names.reserve(100);
    for (const int depth : {8, 9, 10, 12, 16}) {
        for (int w = 0; w <= 2; ++w) {
            for (int h = 0; h <= 2; ++h) {
                names.push_back("yuv" + std::to_string(w) + std::to_string(h) + "_" +
                                std::to_string(depth));
                cases.push_back({{Family::yuv, depth, w, h}, nullptr});
            }
        }
        names.push_back("grey" + std::to_string(depth));
        cases.push_back({{Family::grey, depth, 0, 0}, nullptr});
        names.push_back("rgb" + std::to_string(depth));
        cases.push_back({{Family::rgb, depth, 0, 0}, nullptr});
    }
    for (std::size_t i = 0; i < cases.size(); ++i) cases[i].name = names[i].c_str();
    return cases;
}

Colours randomColours(std::mt19937& rng) {
    Colours c{};
    c.matrix = static_cast<Matrix>(rng() % 5);
    c.range = static_cast<Range>(rng() % 2);
    c.chromaLocation = static_cast<ChromaLocation>(rng() % 6);
    c.fieldBased = rng() % 2 == 0;
    return c;
}

std::string describe(const Colours& c, std::int32_t w, std::int32_t h, unsigned seed) {
    return "matrix " + std::to_string(int(c.matrix)) + " range " + std::to_string(int(c.range)) +
           " location " + std::to_string(int(c.chromaLocation)) + " fields " +
           std::to_string(c.fieldBased) + " size " + std::to_string(w) + "x" + std::to_string(h) +
           " seed " + std::to_string(seed);
}

// True when the exact value is within `tolerance` of a rounding boundary, so that fixed point
// may fall on either side of it.
bool onBoundary(double exact, double tolerance) {
    return std::fabs(exact - std::floor(exact) - 0.5) < tolerance;
}

// How far the view may be from the exact value, in 8-bit steps: 20 fraction bits on samples of
// 14 bits (three terms), and deeper samples or chroma interpolated finer than 14 bits cut to 14.
double viewTolerance(const Format& f) {
    const bool cut = f.bitDepth + f.subsamplingW + f.subsamplingH + 2 > 14 || f.bitDepth > 14;
    return cut ? 0.12 : 0.03;
}

// How far a correction may be from the exact value, in codes: luma in 32 bits with 30 - depth
// fraction bits (three terms of at most 255), chroma with 24 in 64 bits.
double correctionTolerance(const Format& f) {
    return std::max(1e-4, 3 * 255 * 0.5 / std::ldexp(1.0, 30 - f.bitDepth));
}

std::int64_t roundAway(double v) {
    return v >= 0 ? static_cast<std::int64_t>(std::floor(v + 0.5))
                  : -static_cast<std::int64_t>(std::floor(-v + 0.5));
}

struct Scratchpad {
    std::vector<std::int32_t> values;
    explicit Scratchpad(std::int32_t width) : values(planarScratchCount(width), -1) {}
    Scratch scratch() { return {values.data(), values.size()}; }
};

std::vector<std::uint8_t> packed(const GuardedFrame& frame) {
    std::vector<std::uint8_t> out;
    for (const std::uint32_t px : frame.pixels()) {
        for (int b = 0; b < 4; ++b) out.push_back(static_cast<std::uint8_t>(px >> (8 * b)));
    }
    return out;
}

// After: the view with random changes in random rectangles, elsewhere untouched.
void changeSome(GuardedFrame& frame, std::mt19937& rng) {
    const FrameView v = frame.view();
    for (int patch = 0; patch < 3; ++patch) {
        const std::int32_t x0 = std::int32_t(rng() % std::uint32_t(v.width));
        const std::int32_t y0 = std::int32_t(rng() % std::uint32_t(v.height));
        const std::int32_t x1 = std::min(v.width, x0 + 1 + std::int32_t(rng() % 9));
        const std::int32_t y1 = std::min(v.height, y0 + 1 + std::int32_t(rng() % 9));
        for (std::int32_t y = y0; y < y1; ++y) {
            for (std::int32_t x = x0; x < x1; ++x) {
                std::uint8_t* px = frame.pixel(x, y);
                for (int c = 0; c < 3; ++c) {
                    const int changed = px[c] + int(rng() % 61) - 30;
                    px[c] = static_cast<std::uint8_t>(std::clamp(changed, 0, 255));
                }
            }
        }
    }
}

// A random picture of a format: its size (up to maxW x maxH), colours and samples.
struct RandomPicture {
    std::int32_t w, h;
    Colours colours;
    reference::Planes planes;
};

RandomPicture randomPicture(const Format& format, std::mt19937& rng, std::uint32_t maxW,
                            std::uint32_t maxH) {
    RandomPicture r{};
    r.w = 1 + std::int32_t(rng() % maxW);
    r.h = 1 + std::int32_t(rng() % maxH);
    r.colours = randomColours(rng);
    r.planes = randomPlanes(format, r.w, r.h, rng);
    return r;
}

class PlanarFormats : public ::testing::TestWithParam<Case> {};

TEST_P(PlanarFormats, ViewMatchesTheReference) {
    const Format format = GetParam().format;
    for (unsigned seed = 1; seed <= 6; ++seed) {
        std::mt19937 rng(seed * 7919u + unsigned(format.bitDepth));
        const auto [w, h, colours, planes] = randomPicture(format, rng, 23, 19);
        GuardedPicture picture(format, w, h, std::int32_t(rng() % 5));
        picture.setSamples(planes);
        // Rows with gaps, and bottom-up.
        const std::int32_t gaps[3] = {0, 8, -8 * w};
        GuardedFrame rgb(w, h, gaps[rng() % 3]);
        Scratchpad scratch(w);
        ASSERT_EQ(makeRgbView(picture.view(), colours, rgb.view(), scratch.scratch()), kPlanarOk);
        ASSERT_TRUE(rgb.guardsIntact());
        const auto exact = reference::exactView(planes, colours);
        for (std::int32_t y = 0; y < h; ++y) {
            for (std::int32_t x = 0; x < w; ++x) {
                const std::uint8_t* px = rgb.pixel(x, y);
                ASSERT_EQ(px[3], 0);
                for (int ch = 0; ch < 3; ++ch) {
                    const double e = exact.channel[ch][std::size_t(y * w + x)];
                    const std::int64_t want = std::clamp<std::int64_t>(roundAway(e), 0, 255);
                    const int got = px[2 - ch];
                    if (got != want && !onBoundary(e, viewTolerance(format))) {
                        FAIL() << "pixel " << x << "," << y << " channel " << ch << ": " << got
                               << ", reference " << e << "; " << describe(colours, w, h, seed);
                    }
                }
            }
        }
    }
}

TEST_P(PlanarFormats, CorrectionMatchesTheReference) {
    const Format format = GetParam().format;
    for (unsigned seed = 1; seed <= 6; ++seed) {
        std::mt19937 rng(seed * 104729u + unsigned(format.bitDepth));
        const auto [w, h, colours, planes] = randomPicture(format, rng, 23, 19);
        GuardedPicture input(format, w, h, 3);
        input.setSamples(planes);
        GuardedPicture output(format, w, h, 1);
        GuardedFrame before(w, h), after(w, h, 8);
        Scratchpad scratch(w);
        ASSERT_EQ(makeRgbView(input.view(), colours, before.view(), scratch.scratch()), kPlanarOk);
        ASSERT_EQ(makeRgbView(input.view(), colours, after.view(), scratch.scratch()), kPlanarOk);
        changeSome(after, rng);
        ASSERT_EQ(applyCorrection(input.view(), colours, before.view(), after.view(),
                                  output.target(), scratch.scratch()),
                  kPlanarOk);
        ASSERT_TRUE(output.guardsIntact());
        ASSERT_EQ(input.samples().plane[0], planes.plane[0]) << "the input was written";
        const auto got = output.samples();
        const auto change =
            reference::exactCorrection(planes, colours, packed(before), packed(after));
        const std::int32_t maximum = (1 << format.bitDepth) - 1;
        for (int p = 0; p < (format.family == Family::grey ? 1 : 3); ++p) {
            for (std::size_t i = 0; i < planes.plane[p].size(); ++i) {
                const double e = change.plane[p][i];
                const std::int64_t want =
                    std::clamp<std::int64_t>(planes.plane[p][i] + roundAway(e), 0, maximum);
                if (got.plane[p][i] != want && !onBoundary(e, correctionTolerance(format))) {
                    FAIL() << "plane " << p << " sample " << i << ": " << got.plane[p][i]
                           << ", input " << planes.plane[p][i] << " + reference change " << e
                           << "; " << describe(colours, w, h, seed);
                }
            }
        }
    }
}

TEST_P(PlanarFormats, NothingChangedGivesTheInputBackInPlaceOrNot) {
    const Format format = GetParam().format;
    std::mt19937 rng(31u + unsigned(format.bitDepth));
    for (int round = 0; round < 4; ++round) {
        const auto [w, h, colours, planes] = randomPicture(format, rng, 40, 30);
        GuardedPicture input(format, w, h, 2), output(format, w, h, 0);
        input.setSamples(planes);
        GuardedFrame view(w, h);
        Scratchpad scratch(w);
        ASSERT_EQ(makeRgbView(input.view(), colours, view.view(), scratch.scratch()), kPlanarOk);
        ASSERT_EQ(applyCorrection(input.view(), colours, view.view(), view.view(), output.target(),
                                  scratch.scratch()),
                  kPlanarOk);
        EXPECT_EQ(output.samples().plane[0], planes.plane[0]);
        EXPECT_EQ(output.samples().plane[1], planes.plane[1]);
        EXPECT_EQ(output.samples().plane[2], planes.plane[2]);
        ASSERT_EQ(applyCorrection(input.view(), colours, view.view(), view.view(), input.target(),
                                  scratch.scratch()),
                  kPlanarOk);
        EXPECT_EQ(input.samples().plane[1], planes.plane[1]);
        EXPECT_EQ(input.samples().plane[0], planes.plane[0]);
        EXPECT_TRUE(input.guardsIntact() && output.guardsIntact());
    }
}

TEST_P(PlanarFormats, InPlaceEqualsSeparateOutput) {
    const Format format = GetParam().format;
    std::mt19937 rng(77u + unsigned(format.bitDepth));
    const std::int32_t w = 17, h = 13;
    const Colours colours = randomColours(rng);
    const auto planes = randomPlanes(format, w, h, rng);
    GuardedPicture input(format, w, h, 1), output(format, w, h, 3);
    input.setSamples(planes);
    GuardedFrame before(w, h), after(w, h);
    Scratchpad scratch(w);
    ASSERT_EQ(makeRgbView(input.view(), colours, before.view(), scratch.scratch()), kPlanarOk);
    ASSERT_EQ(makeRgbView(input.view(), colours, after.view(), scratch.scratch()), kPlanarOk);
    changeSome(after, rng);
    ASSERT_EQ(applyCorrection(input.view(), colours, before.view(), after.view(), output.target(),
                              scratch.scratch()),
              kPlanarOk);
    ASSERT_EQ(applyCorrection(input.view(), colours, before.view(), after.view(), input.target(),
                              scratch.scratch()),
              kPlanarOk);
    const auto a = input.samples(), b = output.samples();
    for (int p = 0; p < 3; ++p) EXPECT_EQ(a.plane[p], b.plane[p]) << "plane " << p;
}

// The view and the correction at every instruction-set level this build and machine have.
struct Level {
    const char* name;
    int (*view)(const PictureView&, const Colours&, const FrameView&, Scratch);
    int (*correction)(const PictureView&, const Colours&, const FrameView&, const FrameView&,
                      const PictureTarget&, Scratch);
};

std::vector<Level> levels() {
    std::vector<Level> out = {{"portable", portable::makeRgbView, portable::applyCorrection}};
    if (avx2Available()) out.push_back({"avx2", avx2::makeRgbView, avx2::applyCorrection});
    return out;
}

TEST_P(PlanarFormats, MatchTheStraightFormsByteForByteAtEveryLevel) {
    // Wide enough for the fast paths (rows left alone, whole chroma rows unchanged) to mix with
    // changed ones, every colour setting in turn.
    const Format format = GetParam().format;
    for (const Level& level : levels()) {
        std::mt19937 rng(4242u + unsigned(format.bitDepth) * 7u +
                         unsigned(format.subsamplingW) * 3u + unsigned(format.subsamplingH));
        for (int round = 0; round < 12; ++round) {
            const auto [w, h, colours, planes] = randomPicture(format, rng, 70, 40);
            GuardedPicture input(format, w, h, 1), fast(format, w, h, 0), plain(format, w, h, 2);
            input.setSamples(planes);
            GuardedFrame before(w, h), straightView(w, h), after(w, h);
            Scratchpad scratch(w);
            const std::string where =
                std::string(level.name) + "; " + describe(colours, w, h, unsigned(round));
            ASSERT_EQ(level.view(input.view(), colours, before.view(), scratch.scratch()),
                      kPlanarOk);
            ASSERT_EQ(straight::rgbView(input.view(), colours, straightView.view()), kPlanarOk);
            ASSERT_EQ(before.pixels(), straightView.pixels()) << where;
            ASSERT_EQ(level.view(input.view(), colours, after.view(), scratch.scratch()),
                      kPlanarOk);
            changeSome(after, rng);
            ASSERT_EQ(level.correction(input.view(), colours, before.view(), after.view(),
                                       fast.target(), scratch.scratch()),
                      kPlanarOk);
            ASSERT_EQ(straight::correction(input.view(), colours, before.view(), after.view(),
                                           plain.target()),
                      kPlanarOk);
            const auto a = fast.samples(), b = plain.samples();
            for (int p = 0; p < 3; ++p)
                ASSERT_EQ(a.plane[p], b.plane[p]) << "plane " << p << "; " << where;
            ASSERT_TRUE(fast.guardsIntact()) << where;
        }
    }
}

TEST_P(PlanarFormats, SamplesBeyondTheDepthAreTakenAsItsLargest) {
    // Pictures should not hold them, but may: every 16-bit value in a 10-bit picture.
    const Format format = GetParam().format;
    if (format.bitDepth == 8 || format.bitDepth == 16) return;
    std::mt19937 rng(5u + unsigned(format.bitDepth));
    const std::int32_t w = 21, h = 9;
    reference::Planes planes =
        randomPlanes({format.family, 16, format.subsamplingW, format.subsamplingH}, w, h, rng);
    planes.format = format;
    GuardedPicture input(format, w, h, 0);
    input.setSamples(planes);
    reference::Planes held = planes;
    for (auto& plane : held.plane) {
        for (auto& v : plane) v = std::min(v, (1 << format.bitDepth) - 1);
    }
    GuardedPicture clamped(format, w, h, 0);
    clamped.setSamples(held);
    const Colours colours = randomColours(rng);
    GuardedFrame view(w, h), heldView(w, h), straightView(w, h);
    Scratchpad scratch(w);
    ASSERT_EQ(makeRgbView(input.view(), colours, view.view(), scratch.scratch()), kPlanarOk);
    ASSERT_EQ(makeRgbView(clamped.view(), colours, heldView.view(), scratch.scratch()), kPlanarOk);
    ASSERT_EQ(straight::rgbView(input.view(), colours, straightView.view()), kPlanarOk);
    EXPECT_EQ(view.pixels(), heldView.pixels());
    EXPECT_EQ(view.pixels(), straightView.pixels());
}

INSTANTIATE_TEST_SUITE_P(EveryFormat, PlanarFormats, ::testing::ValuesIn(allFormats()),
                         [](const auto& param) { return std::string(param.param.name); });

}  // namespace
}  // namespace lintra::planar
