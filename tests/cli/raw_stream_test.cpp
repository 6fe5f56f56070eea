#include "cli/raw_stream.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <thread>
#include <vector>

namespace lintra {
namespace {

// A pipe fed in small pieces from another thread must still fill whole buffers.
TEST(RawStream, ReadsWholeBuffersFromAPipeFedInPieces) {
    int fds[2];
    ASSERT_EQ(pipe(fds), 0);
    std::vector<std::uint8_t> sent(10000);
    for (std::size_t i = 0; i < sent.size(); ++i) sent[i] = static_cast<std::uint8_t>(i * 7);
    std::thread writer([&] {
        for (std::size_t at = 0; at < sent.size(); at += 333) {
            const std::size_t n = std::min<std::size_t>(333, sent.size() - at);
            ASSERT_EQ(write(fds[1], sent.data() + at, n), static_cast<ssize_t>(n));
            usleep(100);
        }
        close(fds[1]);
    });
    std::FILE* in = fdopen(fds[0], "rb");
    ASSERT_NE(in, nullptr);
    std::vector<std::uint8_t> got(4000);
    EXPECT_EQ(readFully(in, got.data(), 4000), 4000u);
    EXPECT_TRUE(std::equal(got.begin(), got.end(), sent.begin()));
    EXPECT_EQ(readFully(in, got.data(), 4000), 4000u);
    EXPECT_EQ(readFully(in, got.data(), 4000), 2000u);  // the stream ends inside the buffer
    EXPECT_EQ(std::ferror(in), 0);
    EXPECT_EQ(readFully(in, got.data(), 4000), 0u);
    writer.join();
    std::fclose(in);
}

}  // namespace
}  // namespace lintra
