// The ordered parallel frame loop against the reference filter, through real file
// descriptors, with one and several filter instances.

#include "cli/video_frames.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <stdio.h>
#include <unistd.h>

#include <cstdint>
#include <random>
#include <vector>

#include "tests/reference/reference_filter.h"

namespace {

using lintra::video::filterFrameStream;
using lintra::video::FrameStream;

constexpr std::int32_t kWidth = 29, kHeight = 17;
constexpr std::size_t kFrameBytes = kWidth * kHeight * 4;

// An anonymous file holding `bytes`, positioned at its start.
int fileWith(const std::vector<std::uint8_t>& bytes) {
    FILE* f = tmpfile();
    if (!bytes.empty()) fwrite(bytes.data(), 1, bytes.size(), f);  // data() may be null
    const int fd = dup(fileno(f));
    fclose(f);
    lseek(fd, 0, SEEK_SET);
    return fd;
}

std::vector<std::uint8_t> contents(int fd) {
    std::vector<std::uint8_t> out(static_cast<std::size_t>(lseek(fd, 0, SEEK_END)));
    pread(fd, out.data(), out.size(), 0);
    return out;
}

// Frames that differ from each other, so a frame written out of order shows.
std::vector<std::uint8_t> frames(int count) {
    std::mt19937 rng(1234);
    std::vector<std::uint8_t> bytes(kFrameBytes * static_cast<std::size_t>(count));
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        const std::size_t row = i / (kWidth * 4);
        bytes[i] =
            static_cast<std::uint8_t>(100 + (row % 2 ? 3 : -3) + rng() % 4 + i / kFrameBytes);
    }
    return bytes;
}

std::vector<std::uint8_t> reference(const lintra::FilterSettings& s, std::vector<std::uint8_t> in) {
    std::vector<std::uint8_t> out(in.size());
    for (std::size_t at = 0; at < in.size(); at += kFrameBytes) {
        const lintra::FrameView src{in.data() + at, kWidth, kHeight, 0};
        const lintra::FrameView dst{out.data() + at, kWidth, kHeight, 0};
        lintra::reference::filterFrame(s, src, dst);
    }
    return out;
}

lintra::FilterSettings defaults() {
    lintra::FilterSettings s{};
    lintra::setDefaults(s);
    return s;
}

class FrameStreamTest : public ::testing::TestWithParam<int> {};

TEST_P(FrameStreamTest, WritesEveryFrameFilteredAndInOrder) {
    const int threads = GetParam();
    for (const int rgb : {0, 1}) {
        auto settings = defaults();
        settings.rgbProcessing = rgb;
        const auto input = frames(13);
        const int in = fileWith(input);
        const int out = fileWith({});
        std::vector<std::int64_t> counts;
        const auto r = filterFrameStream(FrameStream{in, out, kWidth, kHeight}, settings, threads,
                                         [&](std::int64_t n) { counts.push_back(n); });
        ASSERT_TRUE(r.ok) << r.error;
        EXPECT_EQ(r.frames, 13);
        EXPECT_EQ(counts, (std::vector<std::int64_t>{1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13}));
        const auto want = reference(settings, input);
        ASSERT_NE(want, input);
        EXPECT_EQ(contents(out), want) << "rgb " << rgb;
        close(in);
        close(out);
    }
}

INSTANTIATE_TEST_SUITE_P(Threads, FrameStreamTest, ::testing::Values(1, 2, 5));

TEST(FrameStreamFailure, InputEndingInsideAFrame) {
    auto input = frames(3);
    input.resize(input.size() - 5);
    const int in = fileWith(input);
    const int out = fileWith({});
    const auto r = filterFrameStream(FrameStream{in, out, kWidth, kHeight}, defaults(), 2, {});
    EXPECT_FALSE(r.ok);
    EXPECT_TRUE(r.inputFailed);
    EXPECT_EQ(r.error, "the decoded frames ended inside a frame");
    EXPECT_LE(r.frames, 2);
    close(in);
    close(out);
}

TEST(FrameStreamFailure, EncoderGoneAway) {
    signal(SIGPIPE, SIG_IGN);
    int fds[2];
    ASSERT_EQ(pipe(fds), 0);
    close(fds[0]);
    const int in = fileWith(frames(4));
    const auto r = filterFrameStream(FrameStream{in, fds[1], kWidth, kHeight}, defaults(), 3, {});
    EXPECT_FALSE(r.ok);
    EXPECT_FALSE(r.inputFailed);
    EXPECT_NE(r.error.find("the encoder stopped taking frames"), std::string::npos) << r.error;
    EXPECT_EQ(r.frames, 0);
    close(in);
    close(fds[1]);
}

TEST(FrameStreamFailure, NoInputIsNoFrames) {
    const int in = fileWith({});
    const int out = fileWith({});
    const auto r = filterFrameStream(FrameStream{in, out, kWidth, kHeight}, defaults(), 4, {});
    EXPECT_TRUE(r.ok);
    EXPECT_EQ(r.frames, 0);
    close(in);
    close(out);
}

}  // namespace
