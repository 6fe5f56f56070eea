// Raw streams through pipes: whole buffers from data that arrives in pieces, reads given up
// when asked, and the three-thread frame pipeline against a plain loop over the same frames,
// including every way a stream can end.

#include "cli/raw_stream.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <unistd.h>

#include <chrono>
#include <random>
#include <thread>
#include <vector>

#include "cli/raw_pipeline.h"

namespace lintra {
namespace {

struct Pipe {
    int read = -1;
    int write = -1;
    Pipe() {
        int fds[2];
        if (pipe(fds) == 0) {
            read = fds[0];
            write = fds[1];
        }
    }
    ~Pipe() {
        closeRead();
        closeWrite();
    }
    void closeRead() {
        if (read >= 0) close(read);
        read = -1;
    }
    void closeWrite() {
        if (write >= 0) close(write);
        write = -1;
    }
};

std::vector<std::uint8_t> randomBytes(std::size_t n, std::uint32_t seed) {
    std::mt19937 rng(seed);
    std::vector<std::uint8_t> bytes(n);
    for (auto& b : bytes) b = static_cast<std::uint8_t>(rng());
    return bytes;
}

// Sends the bytes in pieces of random size, then hangs up.
std::thread sendInPieces(Pipe& p, std::vector<std::uint8_t> bytes, std::uint32_t seed) {
    return std::thread([&p, bytes = std::move(bytes), seed] {
        std::mt19937 rng(seed);
        for (std::size_t at = 0; at < bytes.size();) {
            const std::size_t n = std::min<std::size_t>(1 + rng() % 5000, bytes.size() - at);
            ASSERT_TRUE(writeFully(p.write, bytes.data() + at, n));
            at += n;
        }
        p.closeWrite();
    });
}

std::vector<std::uint8_t> receiveAll(int fd) {
    std::vector<std::uint8_t> bytes;
    std::uint8_t buffer[4096];
    for (ssize_t n; (n = read(fd, buffer, sizeof buffer)) > 0;)
        bytes.insert(bytes.end(), buffer, buffer + n);
    return bytes;
}

TEST(RawStream, ReadsWholeBuffersFromAPipeFedInPieces) {
    Pipe p;
    const auto sent = randomBytes(10000, 1);
    std::thread feeder = sendInPieces(p, sent, 2);
    std::vector<std::uint8_t> got(4000);
    EXPECT_EQ(readFully(p.read, got.data(), 4000), 4000);
    EXPECT_TRUE(std::equal(got.begin(), got.end(), sent.begin()));
    EXPECT_EQ(readFully(p.read, got.data(), 4000), 4000);
    EXPECT_EQ(readFully(p.read, got.data(), 4000), 2000);  // the stream ends inside the buffer
    EXPECT_EQ(readFully(p.read, got.data(), 4000), 0);
    feeder.join();
}

TEST(RawStream, AWaitingReadIsGivenUpWhenCancelled) {
    Pipe data, cancel;
    std::thread canceller([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        const char one = 1;
        ASSERT_EQ(write(cancel.write, &one, 1), 1);
    });
    ASSERT_EQ(write(data.write, "abc", 3), 3);
    std::uint8_t buffer[16];
    EXPECT_EQ(readFully(data.read, buffer, sizeof buffer, cancel.read), 3);
    canceller.join();
}

// A filter whose output depends on the frame's bytes, with uneven times, so that frames
// overtaking each other or going out twice would show.
void scramble(const std::uint8_t* in, std::uint8_t* out, std::size_t bytes) {
    for (std::size_t i = 0; i < bytes; ++i) out[i] = static_cast<std::uint8_t>(in[i] * 7 + in[0]);
    if (in[1] % 3 == 0) std::this_thread::sleep_for(std::chrono::microseconds(in[2] * 4));
}

std::vector<std::uint8_t> expectedFrames(const std::vector<std::uint8_t>& input,
                                         std::size_t frame) {
    std::vector<std::uint8_t> out;
    for (std::size_t at = 0; at + frame <= input.size(); at += frame) {
        std::vector<std::uint8_t> one(frame);
        scramble(input.data() + at, one.data(), frame);
        out.insert(out.end(), one.begin(), one.end());
    }
    return out;
}

struct StreamCase {
    std::size_t frameBytes;
    std::size_t frames;
    std::size_t extraBytes;  // a partial frame at the end
};

class RawPipeline : public ::testing::TestWithParam<StreamCase> {};

TEST_P(RawPipeline, WritesEveryWholeFrameInOrderAsAPlainLoopWould) {
    const StreamCase c = GetParam();
    const auto input = randomBytes(c.frameBytes * c.frames + c.extraBytes, 7u);
    Pipe in, out;
    std::thread feeder = sendInPieces(in, input, 11u);
    std::vector<std::uint8_t> written;
    std::thread drain([&] { written = receiveAll(out.read); });
    const PipeOutcome outcome =
        pipeFrames(in.read, out.write, c.frameBytes,
                   [&](const std::uint8_t* a, std::uint8_t* b) { scramble(a, b, c.frameBytes); });
    out.closeWrite();
    feeder.join();
    drain.join();
    EXPECT_EQ(outcome.end, c.extraBytes == 0 ? PipeEnd::complete : PipeEnd::partialFrame);
    EXPECT_EQ(outcome.frames, static_cast<std::int64_t>(c.frames));
    EXPECT_EQ(written, expectedFrames(input, c.frameBytes));
}

INSTANTIATE_TEST_SUITE_P(Streams, RawPipeline,
                         ::testing::Values(StreamCase{4, 0, 0}, StreamCase{4, 1, 0},
                                           StreamCase{12, 40, 0}, StreamCase{4000, 17, 0},
                                           StreamCase{70000, 5, 0}, StreamCase{4000, 9, 1},
                                           StreamCase{4000, 0, 3999}, StreamCase{70000, 3, 69999}));

// The reader of the output hangs up while the input still waits for data: the pipeline ends
// with the write error instead of waiting for input that may never come.
TEST(RawPipelineFailures, AWriteErrorEndsTheRunWhileTheInputWaits) {
    signal(SIGPIPE, SIG_IGN);
    Pipe in, out;
    const auto frame = randomBytes(1000, 3u);
    ASSERT_TRUE(writeFully(in.write, frame.data(), frame.size()));
    out.closeRead();
    const PipeOutcome outcome =
        pipeFrames(in.read, out.write, frame.size(),
                   [](const std::uint8_t* a, std::uint8_t* b) { std::copy(a, a + 1000, b); });
    EXPECT_EQ(outcome.end, PipeEnd::writeError);
    EXPECT_EQ(outcome.errorNumber, EPIPE);
    EXPECT_EQ(outcome.frames, 0);
}

TEST(RawPipelineFailures, AReadErrorIsReportedAfterTheFramesBeforeIt) {
    Pipe out;
    std::vector<std::uint8_t> written;
    std::thread drain([&] { written = receiveAll(out.read); });
    // A directory opens for reading but cannot be read.
    const int dir = open("/", O_RDONLY | O_DIRECTORY);
    ASSERT_GE(dir, 0);
    const PipeOutcome outcome =
        pipeFrames(dir, out.write, 16, [](const std::uint8_t*, std::uint8_t*) {});
    close(dir);
    out.closeWrite();
    drain.join();
    EXPECT_EQ(outcome.end, PipeEnd::readError);
    EXPECT_EQ(outcome.errorNumber, EISDIR);
    EXPECT_TRUE(written.empty());
}

}  // namespace
}  // namespace lintra
