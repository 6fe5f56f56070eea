#include "cli/video_probe.h"

#include <gtest/gtest.h>

namespace {

using lintra::video::parseProbe;
using lintra::video::VideoInfo;

struct ProbeCase {
    const char* text;
    std::int32_t width, height;
    const char* rate;
    std::int64_t frames;
    double startOffset;
};

class ProbeTest : public ::testing::TestWithParam<ProbeCase> {};

TEST_P(ProbeTest, ReadsSizeRateAndExpectedFrames) {
    const ProbeCase& c = GetParam();
    VideoInfo info;
    std::string error;
    ASSERT_TRUE(parseProbe(c.text, info, error)) << error;
    EXPECT_EQ(info.width, c.width);
    EXPECT_EQ(info.height, c.height);
    EXPECT_EQ(info.rate, c.rate);
    EXPECT_EQ(info.totalFrames, c.frames);
    EXPECT_DOUBLE_EQ(info.startOffset, c.startOffset);
}

INSTANTIATE_TEST_SUITE_P(
    Outputs, ProbeTest,
    ::testing::Values(
        // A frame count in the header wins.
        ProbeCase{"streams.stream.0.width=720\nstreams.stream.0.height=576\n"
                  "streams.stream.0.r_frame_rate=\"50/1\"\n"
                  "streams.stream.0.avg_frame_rate=\"25/1\"\n"
                  "streams.stream.0.duration=\"10.0\"\nstreams.stream.0.nb_frames=\"249\"\n"
                  "format.duration=\"10.1\"\n",
                  720, 576, "25/1", 249, 0},
        // Matroska: no count, no stream duration; the container's duration times the rate.
        ProbeCase{"streams.stream.0.width=64\nstreams.stream.0.height=48\n"
                  "streams.stream.0.r_frame_rate=\"30000/1001\"\n"
                  "streams.stream.0.avg_frame_rate=\"30000/1001\"\n"
                  "streams.stream.0.duration=\"N/A\"\nstreams.stream.0.nb_frames=\"N/A\"\n"
                  "format.duration=\"2.002000\"\n"
                  "streams.stream.0.start_time=\"1.900000\"\nformat.start_time=\"1.400000\"\n",
                  64, 48, "30000/1001", 60, 0.5},
        // An unknown average rate falls back to the base rate; nothing tells the length.
        ProbeCase{"streams.stream.0.width=8\nstreams.stream.0.height=6\n"
                  "streams.stream.0.r_frame_rate=\"25/1\"\n"
                  "streams.stream.0.avg_frame_rate=\"0/0\"\n"
                  "streams.stream.0.nb_frames=\"0\"\nformat.duration=\"N/A\"\n"
                  "streams.stream.0.start_time=\"0.000000\"\nformat.start_time=\"0.100000\"\n",
                  8, 6, "25/1", 0, 0}));

TEST(ProbeLength, BeyondAnyRealVideoIsUnknown) {
    VideoInfo info;
    std::string error;
    ASSERT_TRUE(
        parseProbe("streams.stream.0.width=8\nstreams.stream.0.height=6\n"
                   "streams.stream.0.avg_frame_rate=\"2000000000/1\"\n"
                   "format.duration=\"1e300\"\n",
                   info, error))
        << error;
    EXPECT_EQ(info.totalFrames, 0);
}

TEST(ProbeRefusal, NamesWhatIsMissing) {
    VideoInfo info;
    std::string error;
    EXPECT_FALSE(parseProbe("format.duration=\"3.0\"\n", info, error));
    EXPECT_EQ(error, "has no video stream");
    EXPECT_FALSE(
        parseProbe("streams.stream.0.width=0\nstreams.stream.0.height=48\n"
                   "streams.stream.0.avg_frame_rate=\"25/1\"\n",
                   info, error));
    EXPECT_NE(error.find("unusable size"), std::string::npos);
    EXPECT_FALSE(
        parseProbe("streams.stream.0.width=64\nstreams.stream.0.height=48\n"
                   "streams.stream.0.avg_frame_rate=\"0/0\"\n"
                   "streams.stream.0.r_frame_rate=\"25/0\"\n",
                   info, error));
    EXPECT_EQ(error, "has a video stream without a frame rate");
}

// What ffprobe says of a 4:2:2 10-bit interlaced ProRes capture (its first frame included).
constexpr const char* kCapture =
    "frames.frame.0.width=720\nframes.frame.0.height=576\n"
    "frames.frame.0.pix_fmt=\"yuv422p10le\"\nframes.frame.0.interlaced_frame=1\n"
    "frames.frame.0.top_field_first=1\n"
    "streams.stream.0.codec_name=\"prores\"\nstreams.stream.0.width=720\n"
    "streams.stream.0.height=576\nstreams.stream.0.sample_aspect_ratio=\"64:45\"\n"
    "streams.stream.0.pix_fmt=\"yuv422p10le\"\nstreams.stream.0.color_range=\"tv\"\n"
    "streams.stream.0.color_space=\"bt470bg\"\nstreams.stream.0.color_transfer=\"bt709\"\n"
    "streams.stream.0.color_primaries=\"bt470bg\"\nstreams.stream.0.chroma_location=\"left\"\n"
    "streams.stream.0.field_order=\"tb\"\nstreams.stream.0.r_frame_rate=\"25/1\"\n"
    "streams.stream.0.avg_frame_rate=\"25/1\"\nstreams.stream.0.start_time=\"0.000000\"\n"
    "streams.stream.0.duration=\"0.200000\"\nstreams.stream.0.nb_frames=\"5\"\n"
    "format.start_time=\"0.000000\"\nformat.duration=\"0.200000\"\nformat.nb_streams=1\n";

TEST(ProbePictures, ReadsFormatTagsAspectAndFields) {
    VideoInfo info;
    std::string error;
    ASSERT_TRUE(parseProbe(kCapture, info, error)) << error;
    EXPECT_EQ(info.codec, "prores");
    EXPECT_EQ(info.pixelFormat, "yuv422p10le");
    EXPECT_EQ(info.tags.range, "tv");
    EXPECT_EQ(info.tags.matrix, "bt470bg");
    EXPECT_EQ(info.tags.primaries, "bt470bg");
    EXPECT_EQ(info.tags.transfer, "bt709");
    EXPECT_EQ(info.tags.chromaLocation, "left");
    EXPECT_EQ(info.sarNum, 64);
    EXPECT_EQ(info.sarDen, 45);
    EXPECT_EQ(info.fieldOrder, lintra::video::FieldOrder::topFirst);
    EXPECT_EQ(info.announcedFrames, 5);
    EXPECT_DOUBLE_EQ(info.videoDuration, 0.2);
}

// One line of a probe replaced (or, with an empty replacement, removed).
std::string replaced(std::string text, const std::string& key, const std::string& line) {
    const auto at = text.find(key + "=");
    const auto end = text.find('\n', at);
    text.replace(at, end - at + 1, line.empty() ? "" : line + "\n");
    return text;
}

std::string captureWith(const std::string& key, const std::string& line) {
    return replaced(kCapture, key, line);
}

VideoInfo parsed(const std::string& text) {
    VideoInfo info;
    std::string error;
    EXPECT_TRUE(parseProbe(text, info, error)) << error;
    return info;
}

TEST(ProbePictures, FieldOrderFromTheFirstFrameElseTheStream) {
    using lintra::video::FieldOrder;
    auto text = captureWith("frames.frame.0.top_field_first", "frames.frame.0.top_field_first=0");
    EXPECT_EQ(parsed(text).fieldOrder, FieldOrder::bottomFirst);
    text = captureWith("frames.frame.0.interlaced_frame", "frames.frame.0.interlaced_frame=0");
    EXPECT_EQ(parsed(text).fieldOrder, FieldOrder::progressive);
    // Without frame flags the stream's word counts: ffmpeg writes "tb" and "bt" for top and
    // bottom field first.
    text = captureWith("frames.frame.0.interlaced_frame", "");
    EXPECT_EQ(parsed(text).fieldOrder, FieldOrder::topFirst);
    for (const auto& [order, want] :
         {std::pair{"tt", FieldOrder::topFirst}, std::pair{"bb", FieldOrder::bottomFirst},
          std::pair{"bt", FieldOrder::bottomFirst},
          std::pair{"progressive", FieldOrder::progressive},
          std::pair{"unknown", FieldOrder::progressive}}) {
        const auto t = replaced(captureWith("frames.frame.0.interlaced_frame", ""),
                                "streams.stream.0.field_order",
                                std::string("streams.stream.0.field_order=\"") + order + "\"");
        EXPECT_EQ(parsed(t).fieldOrder, want) << order;
    }
}

TEST(ProbePictures, UnknownOrOddTagsCountAsUntagged) {
    auto info = parsed(
        captureWith("streams.stream.0.color_space", "streams.stream.0.color_space=\"unknown\""));
    EXPECT_EQ(info.tags.matrix, "");
    info = parsed(captureWith("streams.stream.0.color_primaries",
                              "streams.stream.0.color_primaries=\"bt709 -y\""));
    EXPECT_EQ(info.tags.primaries, "");
    info = parsed(captureWith("streams.stream.0.sample_aspect_ratio",
                              "streams.stream.0.sample_aspect_ratio=\"0:1\""));
    EXPECT_EQ(info.sarNum, 0);
    info = parsed(captureWith("streams.stream.0.sample_aspect_ratio",
                              "streams.stream.0.sample_aspect_ratio=\"N/A\""));
    EXPECT_EQ(info.sarNum, 0);
    info = parsed(captureWith("frames.frame.0.pix_fmt", "frames.frame.0.pix_fmt=\"a;b\""));
    EXPECT_EQ(info.pixelFormat, "yuv422p10le") << "the stream's format stands in";
}

TEST(ProbePictures, MatroskaTellsCountAndLengthInTags) {
    std::string text =
        captureWith("streams.stream.0.nb_frames", "streams.stream.0.nb_frames=\"N/A\"");
    text = replaced(text, "streams.stream.0.duration", "streams.stream.0.duration=\"N/A\"");
    text = replaced(text, "format.nb_streams", "format.nb_streams=2");
    text +=
        "streams.stream.0.tags.NUMBER_OF_FRAMES_eng=\"76\"\n"
        "streams.stream.0.tags.DURATION=\"00:00:03.040000000\"\n";
    const VideoInfo info = parsed(text);
    EXPECT_EQ(info.announcedFrames, 76);
    EXPECT_EQ(info.totalFrames, 76);
    EXPECT_DOUBLE_EQ(info.videoDuration, 3.04);
    // With other streams in the file, its duration is not the video's.
    const std::string bare = replaced(captureWith("streams.stream.0.duration", ""),
                                      "format.nb_streams", "format.nb_streams=2");
    EXPECT_DOUBLE_EQ(parsed(bare).videoDuration, 0);
}

}  // namespace
