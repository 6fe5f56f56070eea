// Which clips the filter takes: constant RGB24 only, everything else refused with a message
// that says how to convert.

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

struct RefusedClip {
    VSVideoInfo info;
    const char* name;
    const char* message;
};

class ClipFormatRefused : public ::testing::TestWithParam<RefusedClip> {};

TEST_P(ClipFormatRefused, SaysHowToConvert) {
    std::string error;
    EXPECT_EQ(inputPathFor(GetParam().info, GetParam().name, error), InputPath::refused);
    EXPECT_EQ(error, GetParam().message);
}

constexpr const char* kVariable =
    "the clip varies in format or size from frame to frame; give it one format and size first "
    "(e.g. core.resize.Bicubic(clip, width=W, height=H, format=vs.RGB24))";

INSTANTIATE_TEST_SUITE_P(
    Clips, ClipFormatRefused,
    ::testing::Values(
        RefusedClip{clipOf(cfYUV, stInteger, 8, 1, 1), "YUV420P8",
                    "the clip is YUV420P8, but Lintra takes RGB24 clips; convert it with "
                    "core.resize.Bicubic(clip, format=vs.RGB24, matrix_in_s=\"709\") (\"170m\" "
                    "for BT.601 sources) before Lintra and back with core.resize.Bicubic(clip, "
                    "format=vs.YUV420P8, matrix_s=\"709\") after it"},
        RefusedClip{clipOf(cfYUV, stInteger, 10, 1, 0), "YUV422P10",
                    "the clip is YUV422P10, but Lintra takes RGB24 clips; convert it with "
                    "core.resize.Bicubic(clip, format=vs.RGB24, matrix_in_s=\"709\") (\"170m\" "
                    "for BT.601 sources) before Lintra and back with core.resize.Bicubic(clip, "
                    "format=vs.YUV422P10, matrix_s=\"709\") after it"},
        RefusedClip{clipOf(cfRGB, stInteger, 16), "RGB48",
                    "the clip is RGB48, but Lintra takes RGB24 clips; convert it with "
                    "core.resize.Bicubic(clip, format=vs.RGB24) before Lintra"},
        RefusedClip{clipOf(cfRGB, stFloat, 32), "RGBS",
                    "the clip is RGBS, but Lintra takes RGB24 clips; convert it with "
                    "core.resize.Bicubic(clip, format=vs.RGB24) before Lintra"},
        RefusedClip{clipOf(cfGray, stInteger, 8), "Gray8",
                    "the clip is Gray8, but Lintra takes RGB24 clips; convert it with "
                    "core.resize.Bicubic(clip, format=vs.RGB24) before Lintra"},
        RefusedClip{clipOf(cfUndefined, 0, 0), "unknown", kVariable},
        RefusedClip{clipOf(cfRGB, stInteger, 8, 0, 0, 0, 0), "RGB24", kVariable}));

}  // namespace
}  // namespace lintra::vs
