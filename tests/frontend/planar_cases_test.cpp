// Worked examples of the planar code, the matrix rule for untagged pictures, and the
// arguments it refuses without writing anything.

#include <gtest/gtest.h>

#include <vector>

#include "frontend/planar_correction.h"
#include "frontend/planar_rgb_view.h"
#include "tests/frontend/guarded_picture.h"
#include "tests/support/guarded_frame.h"

namespace lintra::planar {
namespace {

using lintra::test::GuardedFrame;
using test::GuardedPicture;

constexpr Format kYuv444 = {Family::yuv, 8, 0, 0};
constexpr Format kYuv420p10 = {Family::yuv, 10, 1, 1};
constexpr Colours kBt709Limited = {Matrix::bt709, Range::limited, ChromaLocation::left, false};

reference::Planes uniform(const Format& f, std::int32_t w, std::int32_t h, std::int32_t y,
                          std::int32_t cb, std::int32_t cr) {
    reference::Planes p;
    p.format = f;
    p.width = w;
    p.height = h;
    const std::int32_t values[3] = {y, cb, cr};
    for (int i = 0; i < (f.family == Family::grey ? 1 : 3); ++i) {
        p.plane[i].assign(std::size_t(p.planeWidth(i)) * std::size_t(p.planeHeight(i)), values[i]);
    }
    return p;
}

std::vector<std::int32_t> scratchFor(std::int32_t width) {
    return std::vector<std::int32_t>(planarScratchCount(width));
}

TEST(PlanarExamples, Bt709YellowIsSeenAsYellow) {
    // 75% yellow in BT.709 studio range; read with BT.601 the
    // same samples turn greenish (the error lintra video made before it took the matrix).
    GuardedPicture picture(kYuv444, 2, 2, 0);
    picture.setSamples(uniform(kYuv444, 2, 2, 168, 44, 136));
    GuardedFrame rgb(2, 2);
    auto scratch = scratchFor(2);
    ASSERT_EQ(
        makeRgbView(picture.view(), kBt709Limited, rgb.view(), {scratch.data(), scratch.size()}),
        kPlanarOk);
    EXPECT_EQ(rgb.get(1, 1), 0x00BFBF00u);  // R 191, G 191, B 0
    Colours bt601 = kBt709Limited;
    bt601.matrix = Matrix::bt601;
    ASSERT_EQ(makeRgbView(picture.view(), bt601, rgb.view(), {scratch.data(), scratch.size()}),
              kPlanarOk);
    EXPECT_EQ(rgb.get(1, 1), 0x00BECB08u);  // R 190, G 203, B 8
}

TEST(PlanarExamples, SuperWhiteAndSuperBlackStayWhereTheyAre) {
    // Beyond the nominal range the view clips, but the correction is added to the samples
    // themselves: luma 250 and 4 keep their distance from 235 and 16.
    GuardedPicture picture(kYuv444, 4, 1, 0);
    reference::Planes p = uniform(kYuv444, 4, 1, 250, 128, 128);
    p.at(0, 2, 0) = 4;
    p.at(0, 3, 0) = 4;
    picture.setSamples(p);
    GuardedFrame before(4, 1), after(4, 1);
    auto scratch = scratchFor(4);
    const Scratch s{scratch.data(), scratch.size()};
    ASSERT_EQ(makeRgbView(picture.view(), kBt709Limited, before.view(), s), kPlanarOk);
    EXPECT_EQ(before.get(0, 0), 0x00FFFFFFu);
    EXPECT_EQ(before.get(2, 0), 0x00000000u);
    ASSERT_EQ(makeRgbView(picture.view(), kBt709Limited, after.view(), s), kPlanarOk);
    after.set(1, 0, 0x00FDFDFDu);  // grey 2 steps down: luma 2 * 219 / 255 = 1.72 down
    after.set(3, 0, 0x00030303u);  // grey 3 steps up: 2.58
    ASSERT_EQ(applyCorrection(picture.view(), kBt709Limited, before.view(), after.view(),
                              picture.target(), s),
              kPlanarOk);
    const auto out = picture.samples();
    EXPECT_EQ(out.plane[0], (std::vector<std::int32_t>{250, 248, 4, 7}));
    EXPECT_EQ(out.plane[1], (std::vector<std::int32_t>{128, 128, 128, 128}));
    EXPECT_EQ(out.plane[2], (std::vector<std::int32_t>{128, 128, 128, 128}));
}

TEST(PlanarExamples, EightBitRgbIsItsOwnViewAndTakesTheFilteredFrame) {
    const Format rgb8 = {Family::rgb, 8, 0, 0};
    GuardedPicture picture(rgb8, 3, 2, 5);
    reference::Planes p = uniform(rgb8, 3, 2, 0, 0, 0);
    for (int i = 0; i < 6; ++i) {
        p.plane[0][std::size_t(i)] = 40 * i;
        p.plane[1][std::size_t(i)] = 255 - 30 * i;
        p.plane[2][std::size_t(i)] = 7 * i;
    }
    picture.setSamples(p);
    GuardedFrame before(3, 2), after(3, 2);
    auto scratch = scratchFor(3);
    const Scratch s{scratch.data(), scratch.size()};
    ASSERT_EQ(makeRgbView(picture.view(), kBt709Limited, before.view(), s), kPlanarOk);
    EXPECT_EQ(before.get(2, 1), (200u << 16) | (105u << 8) | 35u);
    ASSERT_EQ(makeRgbView(picture.view(), kBt709Limited, after.view(), s), kPlanarOk);
    after.set(0, 0, 0x00010203u);
    after.set(2, 1, 0x00FF0000u);
    ASSERT_EQ(applyCorrection(picture.view(), kBt709Limited, before.view(), after.view(),
                              picture.target(), s),
              kPlanarOk);
    const auto out = picture.samples();
    EXPECT_EQ(out.plane[0][0], 1);
    EXPECT_EQ(out.plane[1][0], 2);
    EXPECT_EQ(out.plane[2][0], 3);
    EXPECT_EQ(out.plane[0][5], 255);
    EXPECT_EQ(out.plane[1][5], 0);
    EXPECT_EQ(out.plane[2][5], 0);
    EXPECT_EQ(out.plane[0][3], 120);
}

TEST(PlanarExamples, SixteenBitRgbChangesInEightBitStepsScaled) {
    const Format rgb16 = {Family::rgb, 16, 0, 0};
    GuardedPicture picture(rgb16, 1, 1, 0);
    picture.setSamples(uniform(rgb16, 1, 1, 1000, 40000, 65535));
    GuardedFrame before(1, 1), after(1, 1);
    auto scratch = scratchFor(1);
    const Scratch s{scratch.data(), scratch.size()};
    ASSERT_EQ(makeRgbView(picture.view(), kBt709Limited, before.view(), s), kPlanarOk);
    EXPECT_EQ(before.get(0, 0), (4u << 16) | (156u << 8) | 255u);
    after.set(0, 0, (5u << 16) | (154u << 8) | 255u);  // +1, -2, 0 in 8-bit steps
    ASSERT_EQ(applyCorrection(picture.view(), kBt709Limited, before.view(), after.view(),
                              picture.target(), s),
              kPlanarOk);
    const auto out = picture.samples();
    EXPECT_EQ(out.plane[0][0], 1000 + 257);
    EXPECT_EQ(out.plane[1][0], 40000 - 514);
    EXPECT_EQ(out.plane[2][0], 65535);
}

TEST(PlanarExamples, InterlacedChromaKeepsEachFieldsChangesInItsOwnRows) {
    // 4:2:0 by field: chroma rows 0, 2, ... belong to the even luma rows, 1, 3, ... to the odd
    // ones. A change on even rows only must not reach the odd field's chroma.
    const std::int32_t w = 8, h = 16;
    GuardedPicture picture(kYuv420p10, w, h, 0);
    picture.setSamples(uniform(kYuv420p10, w, h, 500, 400, 600));
    Colours fields = kBt709Limited;
    fields.fieldBased = true;
    GuardedFrame before(w, h), after(w, h);
    auto scratch = scratchFor(w);
    const Scratch s{scratch.data(), scratch.size()};
    ASSERT_EQ(makeRgbView(picture.view(), fields, before.view(), s), kPlanarOk);
    ASSERT_EQ(makeRgbView(picture.view(), fields, after.view(), s), kPlanarOk);
    for (std::int32_t y = 0; y < h; y += 2) {
        for (std::int32_t x = 0; x < w; ++x) after.set(x, y, 0x00FF0000u);
    }
    ASSERT_EQ(
        applyCorrection(picture.view(), fields, before.view(), after.view(), picture.target(), s),
        kPlanarOk);
    const auto out = picture.samples();
    for (std::int32_t c = 0; c < h / 2; ++c) {
        const bool evenField = c % 2 == 0;
        EXPECT_EQ(out.at(2, 0, c) != 600, evenField) << "chroma row " << c;
        EXPECT_EQ(out.at(1, 3, c) != 400, evenField) << "chroma row " << c;
    }
    for (std::int32_t y = 0; y < h; ++y) EXPECT_EQ(out.at(0, 1, y) != 500, y % 2 == 0) << y;
}

TEST(PlanarExamples, SamplesBeyondTheDepthStayWhereNothingChanged) {
    // 10-bit samples above 1023 are not valid, but a picture may hold them: unchanged, they
    // come back as they are; changed, the result is held to the depth.
    GuardedPicture picture(kYuv420p10, 2, 2, 0);
    reference::Planes p = uniform(kYuv420p10, 2, 2, 2000, 512, 512);
    picture.setSamples(p);
    GuardedFrame before(2, 2), after(2, 2);
    auto scratch = scratchFor(2);
    const Scratch s{scratch.data(), scratch.size()};
    ASSERT_EQ(makeRgbView(picture.view(), kBt709Limited, before.view(), s), kPlanarOk);
    ASSERT_EQ(makeRgbView(picture.view(), kBt709Limited, after.view(), s), kPlanarOk);
    after.set(1, 1, 0x00F0F0F0u);
    ASSERT_EQ(applyCorrection(picture.view(), kBt709Limited, before.view(), after.view(),
                              picture.target(), s),
              kPlanarOk);
    EXPECT_EQ(picture.samples().plane[0], (std::vector<std::int32_t>{2000, 2000, 2000, 1023}));
}

TEST(PlanarMatrixRule, HdIsWiderThan1024OrTallerThan576) {
    EXPECT_EQ(defaultMatrix(720, 576), Matrix::bt601);
    EXPECT_EQ(defaultMatrix(720, 480), Matrix::bt601);
    EXPECT_EQ(defaultMatrix(1024, 576), Matrix::bt601);
    EXPECT_EQ(defaultMatrix(1025, 576), Matrix::bt709);
    EXPECT_EQ(defaultMatrix(960, 577), Matrix::bt709);
    EXPECT_EQ(defaultMatrix(1280, 720), Matrix::bt709);
    EXPECT_EQ(defaultMatrix(1920, 1080), Matrix::bt709);
}

// Each refused call returns its code and leaves the frame and the target as they were.
struct Refusal {
    const char* name;
    int code;
    void (*spoil)(PictureView& in, PictureTarget& out, FrameView& rgb, Scratch& scratch);
};

class PlanarRefusals : public ::testing::TestWithParam<Refusal> {};

TEST_P(PlanarRefusals, WriteNothing) {
    const std::int32_t w = 6, h = 4;
    GuardedPicture input(kYuv420p10, w, h, 2), output(kYuv420p10, w, h, 2);
    input.setSamples(uniform(kYuv420p10, w, h, 300, 500, 520));
    GuardedFrame before(w, h), after(w, h);
    auto scratch = scratchFor(w);
    Scratch s{scratch.data(), scratch.size()};
    ASSERT_EQ(makeRgbView(input.view(), kBt709Limited, before.view(), s), kPlanarOk);
    after.set(1, 1, 0x00FFFFFFu);
    const auto afterPixels = after.pixels();
    const auto untouched = output.samples();

    PictureView in = input.view();
    PictureTarget out = output.target();
    FrameView frame = after.view();
    GetParam().spoil(in, out, frame, s);
    EXPECT_EQ(makeRgbView(in, kBt709Limited, frame, s), GetParam().code);
    EXPECT_EQ(applyCorrection(in, kBt709Limited, before.view(), frame, out, s), GetParam().code);
    EXPECT_EQ(after.pixels(), afterPixels);
    EXPECT_EQ(output.samples().plane[0], untouched.plane[0]);
    EXPECT_EQ(output.samples().plane[1], untouched.plane[1]);
    EXPECT_TRUE(after.guardsIntact() && output.guardsIntact());
}

INSTANTIATE_TEST_SUITE_P(
    Arguments, PlanarRefusals,
    ::testing::Values(
        Refusal{
            "depth7", kPlanarBadFormat,
            [](PictureView& in, PictureTarget&, FrameView&, Scratch&) { in.format.bitDepth = 7; }},
        Refusal{
            "depth17", kPlanarBadFormat,
            [](PictureView& in, PictureTarget&, FrameView&, Scratch&) { in.format.bitDepth = 17; }},
        Refusal{"subsampling3", kPlanarBadFormat,
                [](PictureView& in, PictureTarget&, FrameView&, Scratch&) {
                    in.format.subsamplingW = 3;
                }},
        Refusal{"subsampledGrey", kPlanarBadFormat,
                [](PictureView& in, PictureTarget&, FrameView&, Scratch&) {
                    in.format.family = Family::grey;
                }},
        Refusal{
            "noChromaPlane", kPlanarBadGeometry,
            [](PictureView& in, PictureTarget&, FrameView&, Scratch&) { in.planes[2] = nullptr; }},
        Refusal{"strideShorterThanARow", kPlanarBadGeometry,
                [](PictureView& in, PictureTarget&, FrameView&, Scratch&) { in.strides[1] = 5; }},
        Refusal{"oddStrideAbove8Bits", kPlanarBadGeometry,
                [](PictureView& in, PictureTarget&, FrameView&, Scratch&) { in.strides[0] += 1; }},
        Refusal{"oddPlaneAbove8Bits", kPlanarBadGeometry,
                [](PictureView& in, PictureTarget&, FrameView&, Scratch&) { in.planes[1] += 1; }},
        Refusal{"noWidth", kPlanarBadGeometry,
                [](PictureView& in, PictureTarget&, FrameView&, Scratch&) { in.width = 0; }},
        Refusal{"frameOfAnotherSize", kPlanarBadGeometry,
                [](PictureView&, PictureTarget&, FrameView& f, Scratch&) { f.height = 3; }},
        Refusal{"overlappingFrameRows", kPlanarBadGeometry,
                [](PictureView&, PictureTarget&, FrameView& f, Scratch&) { f.rowGap = -4; }},
        Refusal{"noScratch", kPlanarNoScratch,
                [](PictureView&, PictureTarget&, FrameView&, Scratch& s) { s.count -= 1; }}),
    [](const auto& param) { return std::string(param.param.name); });

TEST(PlanarRefusals, TargetOfAnotherFormat) {
    const std::int32_t w = 6, h = 4;
    GuardedPicture input(kYuv420p10, w, h, 0);
    const Format other = {Family::yuv, 10, 1, 0};
    GuardedPicture output(other, w, h, 0);
    GuardedFrame frame(w, h);
    auto scratch = scratchFor(w);
    const Scratch s{scratch.data(), scratch.size()};
    ASSERT_EQ(makeRgbView(input.view(), kBt709Limited, frame.view(), s), kPlanarOk);
    EXPECT_EQ(applyCorrection(input.view(), kBt709Limited, frame.view(), frame.view(),
                              output.target(), s),
              kPlanarBadGeometry);
    EXPECT_TRUE(output.guardsIntact());
    for (const auto& plane : output.samples().plane) {
        for (const std::int32_t v : plane) ASSERT_EQ(v, 0x5A5A);
    }
}

}  // namespace
}  // namespace lintra::planar
