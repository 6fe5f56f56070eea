// ffmpeg's pixel formats as lintra video takes them, and the one the encoder gets.

#include "cli/video_pixel_format.h"

#include <gtest/gtest.h>

#include "cli/video_format_choice.h"

namespace {

using lintra::planar::Family;
using lintra::planar::Format;
using lintra::video::chooseOutputFormat;
using lintra::video::PixelLayout;
using lintra::video::pixelLayoutFor;

struct LayoutCase {
    const char* name;
    const char* pipe;
    Format format;
    bool packed;
    bool fullRange;
    bool loses;
};

class PixelLayouts : public ::testing::TestWithParam<LayoutCase> {};

TEST_P(PixelLayouts, DecodeToTheLosslessPlanarEquivalent) {
    const LayoutCase& c = GetParam();
    PixelLayout l;
    ASSERT_TRUE(pixelLayoutFor(c.name, l));
    EXPECT_EQ(l.pipeFormat, c.pipe);
    EXPECT_EQ(l.packedRgb, c.packed);
    EXPECT_EQ(l.fullRange, c.fullRange);
    EXPECT_EQ(!l.loss.empty(), c.loses) << l.loss;
    EXPECT_EQ(l.format.family, c.format.family);
    EXPECT_EQ(l.format.bitDepth, c.format.bitDepth);
    EXPECT_EQ(l.format.subsamplingW, c.format.subsamplingW);
    EXPECT_EQ(l.format.subsamplingH, c.format.subsamplingH);
}

constexpr Format yuv(int depth, int w, int h) {
    return {Family::yuv, depth, w, h};
}

INSTANTIATE_TEST_SUITE_P(
    Names, PixelLayouts,
    ::testing::Values(
        LayoutCase{"yuv420p", "yuv420p", yuv(8, 1, 1), false, false, false},
        LayoutCase{"yuv422p10le", "yuv422p10le", yuv(10, 1, 0), false, false, false},
        LayoutCase{"yuv422p10be", "yuv422p10le", yuv(10, 1, 0), false, false, false},
        LayoutCase{"yuv411p", "yuv411p", yuv(8, 2, 0), false, false, false},
        LayoutCase{"yuv410p", "yuv410p", yuv(8, 2, 1), false, false, false},
        LayoutCase{"yuv440p12le", "yuv440p12le", yuv(12, 0, 1), false, false, false},
        LayoutCase{"yuv444p16le", "yuv444p16le", yuv(16, 0, 0), false, false, false},
        LayoutCase{"yuvj420p", "yuvj420p", yuv(8, 1, 1), false, true, false},
        LayoutCase{"yuvj422p", "yuvj422p", yuv(8, 1, 0), false, true, false},
        LayoutCase{"nv12", "yuv420p", yuv(8, 1, 1), false, false, false},
        LayoutCase{"nv21", "yuv420p", yuv(8, 1, 1), false, false, false},
        LayoutCase{"p010le", "yuv420p10le", yuv(10, 1, 1), false, false, false},
        LayoutCase{"p210le", "yuv422p10le", yuv(10, 1, 0), false, false, false},
        LayoutCase{"uyvy422", "yuv422p", yuv(8, 1, 0), false, false, false},
        LayoutCase{"yuyv422", "yuv422p", yuv(8, 1, 0), false, false, false},
        LayoutCase{"uyyvyy411", "yuv411p", yuv(8, 2, 0), false, false, false},
        LayoutCase{"y210le", "yuv422p10le", yuv(10, 1, 0), false, false, false},
        LayoutCase{"yuva420p", "yuv420p", yuv(8, 1, 1), false, false, true},
        LayoutCase{"gray", "gray", {Family::grey, 8, 0, 0}, false, false, false},
        LayoutCase{"gray10le", "gray10le", {Family::grey, 10, 0, 0}, false, false, false},
        LayoutCase{"ya16le", "gray16le", {Family::grey, 16, 0, 0}, false, false, true},
        LayoutCase{"gbrp", "gbrp", {Family::rgb, 8, 0, 0}, false, false, false},
        LayoutCase{"gbrp12le", "gbrp12le", {Family::rgb, 12, 0, 0}, false, false, false},
        LayoutCase{"gbrap16le", "gbrp16le", {Family::rgb, 16, 0, 0}, false, false, true},
        LayoutCase{"rgb48le", "gbrp16le", {Family::rgb, 16, 0, 0}, false, false, false},
        LayoutCase{"gbrpf32le", "gbrp16le", {Family::rgb, 16, 0, 0}, false, false, true},
        LayoutCase{"rgb24", "bgr0", {Family::rgb, 8, 0, 0}, true, false, false},
        LayoutCase{"bgr0", "bgr0", {Family::rgb, 8, 0, 0}, true, false, false},
        LayoutCase{"pal8", "bgr0", {Family::rgb, 8, 0, 0}, true, false, true},
        LayoutCase{"rgba", "bgr0", {Family::rgb, 8, 0, 0}, true, false, true},
        LayoutCase{"bayer_rggb8", "bgr0", {Family::rgb, 8, 0, 0}, true, false, true}),
    [](const auto& param) { return std::string(param.param.name); });

TEST(PixelFormatNames, RefusedOrNotPlanar) {
    PixelLayout l;
    EXPECT_FALSE(pixelLayoutFor("", l));
    EXPECT_FALSE(pixelLayoutFor("unknown", l));
    Format f{};
    for (const char* name :
         {"yuv420", "yuv420p11le", "yuv420p10", "yuv423p", "yuvj420p10le", "gray8", "grayf32le",
          "gbrpf32le", "gbrap", "yuva420p", "nv12", "yuv420p10lex"}) {
        EXPECT_FALSE(lintra::video::planarFormatOf(name, f)) << name;
    }
}

TEST(PixelFormatNames, EveryPlanarFormatNamesItselfBack) {
    for (const int depth : {8, 9, 10, 12, 14, 16}) {
        for (int w = 0; w <= 2; ++w) {
            for (int h = 0; h <= 1; ++h) {
                const Format f = yuv(depth, w, h);
                Format back{};
                const std::string name = lintra::video::planarFormatName(f);
                ASSERT_TRUE(lintra::video::planarFormatOf(name, back)) << name;
                EXPECT_EQ(back.bitDepth, depth);
                EXPECT_EQ(back.subsamplingW, w);
                EXPECT_EQ(back.subsamplingH, h);
            }
        }
        for (const Family family : {Family::grey, Family::rgb}) {
            Format back{};
            const std::string name = lintra::video::planarFormatName({family, depth, 0, 0});
            ASSERT_TRUE(lintra::video::planarFormatOf(name, back)) << name;
            EXPECT_EQ(back.family, family);
            EXPECT_EQ(back.bitDepth, depth);
        }
    }
    EXPECT_EQ(lintra::video::planarFormatName(yuv(10, 1, 0)), "yuv422p10le");
    EXPECT_EQ(lintra::video::describeFormat(yuv(10, 1, 0)), "4:2:2 10-bit");
    EXPECT_EQ(lintra::video::describeFormat(yuv(8, 2, 0)), "4:1:1 8-bit");
    EXPECT_EQ(lintra::video::describeFormat({Family::grey, 12, 0, 0}), "grey 12-bit");
}

// The encoders' lists as Debian's ffmpeg 5.1 gives them.
const std::vector<std::string> kX264 = {"yuv420p", "yuvj420p",    "yuv422p",     "yuvj422p",
                                        "yuv444p", "yuvj444p",    "nv12",        "nv16",
                                        "nv21",    "yuv420p10le", "yuv422p10le", "yuv444p10le",
                                        "nv20le",  "gray",        "gray10le"};
const std::vector<std::string> kProres = {"yuv422p10le", "yuv444p10le", "yuva444p10le"};
const std::vector<std::string> kDv = {"yuv411p", "yuv422p", "yuv420p"};

struct ChoiceCase {
    const char* name;
    Format frames;
    const std::vector<std::string>* encoder;
    bool playable;
    const char* chosen;
    bool reducedDepth, reducedChroma, converted;
};

class OutputFormats : public ::testing::TestWithParam<ChoiceCase> {};

TEST_P(OutputFormats, TheFramesOwnElseTheNearest) {
    const ChoiceCase& c = GetParam();
    const auto choice = chooseOutputFormat(c.frames, *c.encoder, true, c.playable);
    EXPECT_EQ(choice.encoderFormat, c.chosen);
    EXPECT_EQ(choice.reducedDepth, c.reducedDepth);
    EXPECT_EQ(choice.reducedChroma, c.reducedChroma);
    EXPECT_EQ(choice.convertedColours, c.converted);
}

const std::vector<std::string> kAny;

INSTANTIATE_TEST_SUITE_P(
    Encoders, OutputFormats,
    ::testing::Values(
        ChoiceCase{"x264_422p10", yuv(10, 1, 0), &kX264, false, "yuv422p10le", false, false, false},
        ChoiceCase{"x264_420p", yuv(8, 1, 1), &kX264, false, "yuv420p", false, false, false},
        ChoiceCase{"x264_411p_to_422p", yuv(8, 2, 0), &kX264, false, "yuv422p", false, false,
                   false},
        ChoiceCase{"x264_410p_to_420p", yuv(8, 2, 1), &kX264, false, "yuv420p", false, false,
                   false},
        ChoiceCase{"x264_440p_to_444p", yuv(8, 0, 1), &kX264, false, "yuv444p", false, false,
                   false},
        ChoiceCase{"x264_12bit_to_10", yuv(12, 1, 1), &kX264, false, "yuv420p10le", true, false,
                   false},
        ChoiceCase{"x264_9bit_to_10", yuv(9, 0, 0), &kX264, false, "yuv444p10le", false, false,
                   false},
        ChoiceCase{
            "x264_grey", {Family::grey, 10, 0, 0}, &kX264, false, "gray10le", false, false, false},
        ChoiceCase{
            "x264_rgb", {Family::rgb, 8, 0, 0}, &kX264, false, "yuv444p", false, false, true},
        ChoiceCase{"mp4_422p10", yuv(10, 1, 0), &kX264, true, "yuv420p", true, true, false},
        ChoiceCase{"mp4_420p", yuv(8, 1, 1), &kX264, true, "yuv420p", false, false, false},
        ChoiceCase{"prores_420p", yuv(8, 1, 1), &kProres, false, "yuv422p10le", false, false,
                   false},
        ChoiceCase{"prores_444p12", yuv(12, 0, 0), &kProres, false, "yuv444p10le", true, false,
                   false},
        ChoiceCase{"dv_422p10", yuv(10, 1, 0), &kDv, false, "yuv422p", true, false, false},
        ChoiceCase{"any_422p10", yuv(10, 1, 0), &kAny, false, "yuv422p10le", false, false, false},
        ChoiceCase{
            "any_rgb16", {Family::rgb, 16, 0, 0}, &kAny, false, "gbrp16le", false, false, false}),
    [](const auto& param) { return std::string(param.param.name); });

TEST(OutputFormats, LeftToFfmpegWhenTheContainerPicksTheEncoder) {
    EXPECT_EQ(chooseOutputFormat(yuv(8, 1, 1), {}, false, false).encoderFormat, "");
    EXPECT_EQ(chooseOutputFormat(yuv(10, 1, 1), {}, false, true).encoderFormat, "yuv420p");
    // An encoder whose formats are none of ours.
    EXPECT_EQ(chooseOutputFormat(yuv(8, 1, 1), {"pal8", "xyz12le"}, true, false).encoderFormat, "");
}

TEST(OutputFormats, PackedRgbGoesToAPackedRgbEncoderAsItIs) {
    const auto choice =
        chooseOutputFormat({Family::rgb, 8, 0, 0}, {"yuv420p", "bgr0", "gbrp10le"}, true, false);
    EXPECT_EQ(choice.encoderFormat, "bgr0");
    EXPECT_FALSE(choice.reduced());
}

}  // namespace
