// What lintra video decides before anything runs: the RGB view's matrix, range and fields,
// the encoder's format, filters and tags, and what it tells the user.

#include "cli/video_plan.h"

#include <gtest/gtest.h>

namespace {

using lintra::planar::ChromaLocation;
using lintra::planar::Matrix;
using lintra::planar::Range;
using lintra::video::chooseEncoder;
using lintra::video::FieldOrder;
using lintra::video::PixelLayout;
using lintra::video::pixelLayoutFor;
using lintra::video::planVideo;
using lintra::video::VideoInfo;
using lintra::video::VideoPlan;

const std::vector<std::string> kX264 = {"yuv420p",     "yuv422p",     "yuv444p", "yuv420p10le",
                                        "yuv422p10le", "yuv444p10le", "gray",    "gray10le"};

VideoInfo capture(std::int32_t w, std::int32_t h, const char* pixelFormat) {
    VideoInfo info;
    info.width = w;
    info.height = h;
    info.rate = "25/1";
    info.pixelFormat = pixelFormat;
    return info;
}

VideoPlan plan(const VideoInfo& info, const char* output, bool keepFormat = false,
               const std::vector<std::string>& formats = kX264) {
    PixelLayout pixels;
    EXPECT_TRUE(pixelLayoutFor(info.pixelFormat, pixels));
    return planVideo(info, pixels, chooseEncoder(output, "", keepFormat), formats);
}

std::string option(const std::vector<std::string>& args, const std::string& name) {
    for (std::size_t i = 0; i + 1 < args.size(); ++i) {
        if (args[i] == name) return args[i + 1];
    }
    return "";
}

bool mentions(const std::vector<std::string>& notes, const std::string& part) {
    for (const auto& n : notes) {
        if (n.find(part) != std::string::npos) return true;
    }
    return false;
}

TEST(VideoPlan, UntaggedMatrixByPictureSize) {
    EXPECT_EQ(plan(capture(720, 576, "yuv420p"), "a.mkv").frames.colours.matrix, Matrix::bt601);
    EXPECT_EQ(plan(capture(1024, 576, "yuv420p"), "a.mkv").frames.colours.matrix, Matrix::bt601);
    EXPECT_EQ(plan(capture(1280, 720, "yuv420p"), "a.mkv").frames.colours.matrix, Matrix::bt709);
    EXPECT_EQ(plan(capture(704, 578, "yuv420p"), "a.mkv").frames.colours.matrix, Matrix::bt709);
}

TEST(VideoPlan, TaggedMatrixRangeAndSitingWin) {
    VideoInfo info = capture(1920, 1080, "yuv420p");
    info.tags = {"pc", "bt470bg", "bt709", "bt709", "topleft"};
    const VideoPlan p = plan(info, "a.mkv");
    EXPECT_EQ(p.frames.colours.matrix, Matrix::bt601);
    EXPECT_EQ(p.frames.colours.range, Range::full);
    EXPECT_EQ(p.frames.colours.chromaLocation, ChromaLocation::topLeft);
    EXPECT_EQ(p.filters,
              "setparams=field_mode=prog:range=pc:color_primaries=bt709:color_trc=bt709:"
              "colorspace=bt470bg");
    EXPECT_EQ(option(p.encoderOptions, "-pix_fmt"), "yuv420p");
    EXPECT_EQ(option(p.encoderOptions, "-color_range"), "pc");
    EXPECT_EQ(option(p.encoderOptions, "-colorspace"), "bt470bg");
    EXPECT_EQ(option(p.encoderOptions, "-chroma_sample_location"), "topleft");
    EXPECT_TRUE(p.notes.empty());
}

TEST(VideoPlan, UntaggedStaysUntagged) {
    const VideoPlan p = plan(capture(176, 144, "yuv420p"), "a.mkv");
    EXPECT_EQ(p.filters, "setparams=field_mode=prog");
    EXPECT_EQ(option(p.encoderOptions, "-color_range"), "");
    EXPECT_EQ(option(p.encoderOptions, "-colorspace"), "");
    EXPECT_EQ(p.frames.colours.range, Range::limited);
    EXPECT_EQ(p.frames.colours.chromaLocation, ChromaLocation::left);
}

TEST(VideoPlan, JpegRangeFormatsAreFullRangeOnThePipe) {
    const VideoPlan p = plan(capture(640, 480, "yuvj420p"), "a.mkv");
    EXPECT_EQ(p.decoderFormat, "yuvj420p");
    EXPECT_EQ(p.pipeFormat, "yuv420p");
    EXPECT_EQ(p.frames.colours.range, Range::full);
    EXPECT_EQ(p.frames.colours.chromaLocation, ChromaLocation::center);
    EXPECT_EQ(p.filters, "setparams=field_mode=prog:range=pc");
    EXPECT_EQ(option(p.encoderOptions, "-color_range"), "pc");
}

TEST(VideoPlan, InterlacedCaptureKeepsFieldsAspectAndFormat) {
    VideoInfo info = capture(720, 576, "yuv422p10le");
    info.fieldOrder = FieldOrder::topFirst;
    info.sarNum = 64;
    info.sarDen = 45;
    info.tags.range = "tv";
    const VideoPlan p = plan(info, "a.mkv");
    EXPECT_TRUE(p.frames.colours.fieldBased);
    EXPECT_EQ(p.filters, "setparams=field_mode=tff:range=tv,setsar=r=64/45:max=1048576");
    EXPECT_EQ(option(p.encoderOptions, "-pix_fmt"), "yuv422p10le");
    EXPECT_EQ(option(p.encoderOptions, "-flags"), "+ilme+ildct");
    EXPECT_TRUE(p.notes.empty());
}

TEST(VideoPlan, PlayableOutputIsReducedFieldByFieldAndSaysSo) {
    VideoInfo info = capture(720, 576, "yuv422p10le");
    info.fieldOrder = FieldOrder::bottomFirst;
    info.tags.range = "tv";
    const VideoPlan p = plan(info, "a.mp4");
    EXPECT_EQ(p.filters,
              "setparams=field_mode=bff:range=tv,scale=flags=accurate_rnd+full_chroma_int:"
              "interl=1:in_range=tv:out_range=tv,format=yuv420p");
    EXPECT_TRUE(p.output.reducedDepth && p.output.reducedChroma);
    EXPECT_TRUE(mentions(p.notes, "--keep-format")) << p.notes.front();
    const VideoPlan kept = plan(info, "a.mp4", true);
    EXPECT_EQ(option(kept.encoderOptions, "-pix_fmt"), "yuv422p10le");
    EXPECT_TRUE(kept.notes.empty());
}

TEST(VideoPlan, FormatsTheEncoderLacksAreSaid) {
    VideoInfo dv = capture(720, 480, "yuv411p");
    dv.fieldOrder = FieldOrder::bottomFirst;
    const VideoPlan p = plan(dv, "a.mkv");
    EXPECT_EQ(option(p.encoderOptions, "-pix_fmt"), "yuv422p");
    EXPECT_TRUE(mentions(p.notes, "cannot hold 4:1:1 8-bit")) << p.notes.size();
    EXPECT_FALSE(p.output.reduced());
    // 12 bits into H.264: the nearest it holds, 10.
    const VideoPlan deep = plan(capture(64, 48, "yuv444p12le"), "a.mkv");
    EXPECT_EQ(option(deep.encoderOptions, "-pix_fmt"), "yuv444p10le");
    EXPECT_TRUE(deep.output.reducedDepth);
    EXPECT_TRUE(mentions(deep.notes, "libx264 cannot hold 4:4:4 12-bit"));
}

TEST(VideoPlan, LosslessOutputTakesTheFramesAsTheyAre) {
    VideoInfo info = capture(720, 480, "yuv411p");
    info.fieldOrder = FieldOrder::bottomFirst;
    const VideoPlan p = plan(info, "a.avi", false, {"yuv420p", "yuv411p", "yuv422p10le", "bgr0"});
    EXPECT_EQ(option(p.encoderOptions, "-pix_fmt"), "yuv411p");
    EXPECT_EQ(option(p.encoderOptions, "-flags"), "");
    EXPECT_TRUE(p.notes.empty()) << p.notes.front();
}

TEST(VideoPlan, RgbIntoYCbCrIsConvertedWithTheSizesMatrixAndTagged) {
    const VideoPlan p = plan(capture(1280, 720, "rgb24"), "a.mkv");
    EXPECT_TRUE(p.frames.packedRgb);
    EXPECT_EQ(p.pipeFormat, "bgr0");
    EXPECT_EQ(option(p.encoderOptions, "-pix_fmt"), "yuv444p");
    EXPECT_EQ(option(p.encoderOptions, "-colorspace"), "bt709");
    EXPECT_EQ(option(p.encoderOptions, "-color_range"), "tv");
    EXPECT_NE(p.filters.find("out_color_matrix=bt709:out_range=tv,format=yuv444p,"
                             "setparams=field_mode=prog:range=tv:colorspace=bt709"),
              std::string::npos)
        << p.filters;
}

TEST(VideoPlan, EncodersWithoutInterlacedCodingAreSaid) {
    VideoInfo info = capture(720, 576, "yuv420p");
    info.fieldOrder = FieldOrder::topFirst;
    PixelLayout pixels;
    ASSERT_TRUE(pixelLayoutFor("yuv420p", pixels));
    const VideoPlan p =
        planVideo(info, pixels, chooseEncoder("a.mkv", "libvpx-vp9", false), {"yuv420p"});
    EXPECT_TRUE(mentions(p.notes, "libvpx-vp9 has no interlaced coding"));
}

}  // namespace
