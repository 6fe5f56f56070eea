// Which clips the filter takes: RGB24 packed for the engine, integer Y'CbCr, grey and deeper
// RGB through their RGB view; floating point and clips that vary refused with how to convert.

#include "vapoursynth/clip_format.h"

#include <gtest/gtest.h>

#include <string>

namespace lintra::vs {
namespace {

VSVideoInfo clipOf(int family, int sampleType, int bits, int subW = 0, int subH = 0, int w = 720,
                   int h = 576) {
    VSVideoInfo info{};
    info.format = VSVideoFormat{family, sampleType, bits, bits > 8 ? 2 : 1, subW, subH, 3};
    info.width = w;
    info.height = h;
    info.fpsNum = 25;
    info.fpsDen = 1;
    info.numFrames = 10;
    return info;
}

TEST(ClipFormat, Rgb24IsTakenAtAnySize) {
    for (const auto& [w, h] : {std::pair{1, 1}, std::pair{37, 23}, std::pair{1920, 1080}}) {
        std::string error;
        EXPECT_EQ(inputPathFor(clipOf(cfRGB, stInteger, 8, 0, 0, w, h), "RGB24", error),
                  InputPath::rgb24);
        EXPECT_EQ(error, "");
    }
}

struct PlanarClip {
    VSVideoInfo info;
    planar::Format format;
};

class ClipFormatPlanar : public ::testing::TestWithParam<PlanarClip> {};

TEST_P(ClipFormatPlanar, TakesIntegerYuvGreyAndDeeperRgbInTheirOwnFormat) {
    std::string error;
    EXPECT_EQ(inputPathFor(GetParam().info, "x", error), InputPath::planar);
    EXPECT_EQ(error, "");
    const planar::Format got = planarFormatOf(GetParam().info.format);
    const planar::Format& want = GetParam().format;
    EXPECT_EQ(got.family, want.family);
    EXPECT_EQ(got.bitDepth, want.bitDepth);
    EXPECT_EQ(got.subsamplingW, want.subsamplingW);
    EXPECT_EQ(got.subsamplingH, want.subsamplingH);
}

using planar::Family;
INSTANTIATE_TEST_SUITE_P(
    Clips, ClipFormatPlanar,
    ::testing::Values(PlanarClip{clipOf(cfYUV, stInteger, 8, 1, 1), {Family::yuv, 8, 1, 1}},
                      PlanarClip{clipOf(cfYUV, stInteger, 10, 1, 0), {Family::yuv, 10, 1, 0}},
                      PlanarClip{clipOf(cfYUV, stInteger, 16, 0, 0), {Family::yuv, 16, 0, 0}},
                      PlanarClip{clipOf(cfYUV, stInteger, 8, 2, 0), {Family::yuv, 8, 2, 0}},
                      PlanarClip{clipOf(cfYUV, stInteger, 9, 2, 2), {Family::yuv, 9, 2, 2}},
                      PlanarClip{clipOf(cfGray, stInteger, 8), {Family::grey, 8, 0, 0}},
                      PlanarClip{clipOf(cfGray, stInteger, 12), {Family::grey, 12, 0, 0}},
                      PlanarClip{clipOf(cfRGB, stInteger, 10), {Family::rgb, 10, 0, 0}},
                      PlanarClip{clipOf(cfRGB, stInteger, 16), {Family::rgb, 16, 0, 0}}));

struct RefusedClip {
    VSVideoInfo info;
    const char* name;
    std::string message;
};

class ClipFormatRefused : public ::testing::TestWithParam<RefusedClip> {};

TEST_P(ClipFormatRefused, SaysHowToConvert) {
    std::string error;
    EXPECT_EQ(inputPathFor(GetParam().info, GetParam().name, error), InputPath::refused);
    EXPECT_EQ(error, GetParam().message);
}

constexpr const char* kVariable =
    "the clip varies in format or size from frame to frame; give it one format and size first "
    "(e.g. core.resize.Bicubic(clip, width=W, height=H, format=vs.YUV422P10))";
constexpr const char* kTakes =
    ", but Lintra takes integer samples of 8 to 16 bits with chroma subsampled at most 4:1:0; "
    "convert it with core.resize.Bicubic(clip, format=vs.";

std::string refusal(const char* name, const char* advised) {
    return std::string("the clip is ") + name + kTakes + advised + ") before Lintra";
}

INSTANTIATE_TEST_SUITE_P(
    Clips, ClipFormatRefused,
    ::testing::Values(
        RefusedClip{clipOf(cfRGB, stFloat, 32), "RGBS", refusal("RGBS", "RGB48")},
        RefusedClip{clipOf(cfYUV, stFloat, 16, 1, 1), "YUV420PH", refusal("YUV420PH", "YUV420P16")},
        RefusedClip{clipOf(cfGray, stFloat, 32), "GrayS", refusal("GrayS", "Gray16")},
        RefusedClip{clipOf(cfYUV, stInteger, 8, 3, 0), "YUV?", refusal("YUV?", "YUV422P16")},
        RefusedClip{clipOf(cfYUV, stInteger, 32, 0, 0), "YUV444P32",
                    refusal("YUV444P32", "YUV444P16")},
        RefusedClip{clipOf(cfUndefined, 0, 0), "unknown", kVariable},
        RefusedClip{clipOf(cfRGB, stInteger, 8, 0, 0, 0, 0), "RGB24", kVariable}));

}  // namespace
}  // namespace lintra::vs
