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

#include "frontend/planar_correction.h"
#include "frontend/planar_rgb_view.h"
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

lintra::video::FrameLayout packedLayout() {
    lintra::video::FrameLayout l;
    l.width = kWidth;
    l.height = kHeight;
    return l;
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
        const auto r = filterFrameStream(FrameStream{in, out, packedLayout()}, settings, threads,
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
    const auto r = filterFrameStream(FrameStream{in, out, packedLayout()}, defaults(), 2, {});
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
    const auto r = filterFrameStream(FrameStream{in, fds[1], packedLayout()}, defaults(), 3, {});
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
    const auto r = filterFrameStream(FrameStream{in, out, packedLayout()}, defaults(), 4, {});
    EXPECT_TRUE(r.ok);
    EXPECT_EQ(r.frames, 0);
    close(in);
    close(out);
}

TEST(FrameStreamFailure, ARefusedFrameStopsTheStream) {
    const int in = fileWith(frames(6));
    const int out = fileWith({});
    std::vector<std::int64_t> checked;
    const auto r = filterFrameStream(FrameStream{in, out, packedLayout()}, defaults(), 2, {},
                                     lintra::CpuLevel::avx512, [&](std::int64_t frame) {
                                         checked.push_back(frame);
                                         return frame == 3 ? std::string("frame 4 is not welcome")
                                                           : std::string();
                                     });
    EXPECT_FALSE(r.ok);
    EXPECT_TRUE(r.inputFailed && r.refused);
    EXPECT_EQ(r.error, "frame 4 is not welcome");
    EXPECT_EQ(checked, (std::vector<std::int64_t>{0, 1, 2, 3}));
    EXPECT_LE(r.frames, 3);
    close(in);
    close(out);
}

// Planar frames: each is the reference filter on its RGB view, carried back.
struct PlanarCase {
    lintra::planar::Format format;
    bool fieldBased;
};

class PlanarFrameStream : public ::testing::TestWithParam<PlanarCase> {};

TEST_P(PlanarFrameStream, EachFrameIsTheFiltersCorrectionOfItsView) {
    using namespace lintra;
    video::FrameLayout layout;
    layout.width = 23;
    layout.height = 14;
    layout.packedRgb = false;
    layout.format = GetParam().format;
    layout.colours = {planar::Matrix::bt709, planar::Range::limited, planar::ChromaLocation::left,
                      GetParam().fieldBased};
    const std::size_t bytes = layout.frameBytes();
    const int count = 5;
    std::mt19937 rng(99);
    std::vector<std::uint8_t> input(bytes * count);
    const int maximum = (1 << layout.format.bitDepth) - 1;
    for (std::size_t i = 0; i < input.size(); i += 2) {
        // Mid-level samples with a line-alternating ripple the filter takes out.
        const int v = maximum / 2 + ((i / 46) % 2 ? 2 : -2) * (maximum / 255) + int(rng() % 3);
        input[i] = static_cast<std::uint8_t>(layout.format.bitDepth > 8 ? v & 0xFF : v);
        input[i + 1] = static_cast<std::uint8_t>(layout.format.bitDepth > 8 ? v >> 8 : v);
    }
    FilterSettings settings = defaults();
    settings.interlaced = 0;  // the ripple alternates from one row to the next
    std::vector<std::uint8_t> want = input;
    std::vector<std::uint8_t> before(std::size_t(layout.width) * std::size_t(layout.height) * 4),
        after(before.size());
    std::vector<std::int32_t> scratch(planar::planarScratchCount(layout.width));
    for (int f = 0; f < count; ++f) {
        const planar::PictureTarget t = layout.picture(want.data() + std::size_t(f) * bytes);
        const planar::PictureView v = planar::viewOf(t);
        const FrameView b = layout.packed(before.data()), a = layout.packed(after.data());
        ASSERT_EQ(planar::makeRgbView(v, layout.colours, b, {scratch.data(), scratch.size()}), 0);
        reference::filterFrame(settings, b, a);
        ASSERT_EQ(
            planar::applyCorrection(v, layout.colours, b, a, t, {scratch.data(), scratch.size()}),
            0);
    }
    ASSERT_NE(want, input) << "the frames give the filter nothing to do";
    for (const int threads : {1, 3}) {
        const int in = fileWith(input);
        const int out = fileWith({});
        const auto r = filterFrameStream(FrameStream{in, out, layout}, settings, threads, {});
        ASSERT_TRUE(r.ok) << r.error;
        EXPECT_EQ(r.frames, count);
        EXPECT_EQ(contents(out), want) << "threads " << threads;
        close(in);
        close(out);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Formats, PlanarFrameStream,
    ::testing::Values(PlanarCase{{lintra::planar::Family::yuv, 8, 1, 1}, false},
                      PlanarCase{{lintra::planar::Family::yuv, 10, 1, 0}, true},
                      PlanarCase{{lintra::planar::Family::yuv, 8, 2, 0}, true},
                      PlanarCase{{lintra::planar::Family::yuv, 10, 1, 1}, true},
                      PlanarCase{{lintra::planar::Family::grey, 12, 0, 0}, false},
                      PlanarCase{{lintra::planar::Family::rgb, 16, 0, 0}, false}));

TEST(FrameLayout, PlanesOneAfterTheOtherAsFfmpegWritesThem) {
    lintra::video::FrameLayout l;
    l.width = 5;
    l.height = 3;
    l.packedRgb = false;
    l.format = {lintra::planar::Family::yuv, 10, 1, 1};
    EXPECT_EQ(l.frameBytes(), std::size_t(5 * 3 * 2 + 2 * (3 * 2 * 2)));
    std::vector<std::uint8_t> frame(l.frameBytes());
    auto t = l.picture(frame.data());
    EXPECT_EQ(t.planes[0], frame.data());
    EXPECT_EQ(t.planes[1], frame.data() + 30);
    EXPECT_EQ(t.planes[2], frame.data() + 42);
    EXPECT_EQ(t.strides[1], 6);
    // gbrp keeps G, B, R; the picture's planes are R, G, B.
    l.format = {lintra::planar::Family::rgb, 8, 0, 0};
    EXPECT_EQ(l.frameBytes(), std::size_t(45));
    t = l.picture(frame.data());
    EXPECT_EQ(t.planes[1], frame.data());
    EXPECT_EQ(t.planes[2], frame.data() + 15);
    EXPECT_EQ(t.planes[0], frame.data() + 30);
    l.format = {lintra::planar::Family::grey, 16, 0, 0};
    EXPECT_EQ(l.frameBytes(), std::size_t(30));
    l.packedRgb = true;
    EXPECT_EQ(l.frameBytes(), std::size_t(60));
}

}  // namespace
