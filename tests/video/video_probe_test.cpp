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

}  // namespace
