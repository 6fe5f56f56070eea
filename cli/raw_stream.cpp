#include "cli/raw_stream.h"

#include <poll.h>
#include <unistd.h>

#include <cerrno>

namespace lintra {
namespace {

// Waits until `fd` has data (or its end), or `cancelFd` has; true for the former.
bool waitForData(int fd, int cancelFd) {
    pollfd fds[2] = {{fd, POLLIN, 0}, {cancelFd, POLLIN, 0}};
    for (;;) {
        const int n = poll(fds, 2, -1);
        if (n < 0 && errno == EINTR) continue;
        // poll itself failing leaves the read to report the problem.
        return n < 0 || fds[1].revents == 0;
    }
}

}  // namespace

std::int64_t readFully(int fd, std::uint8_t* buffer, std::size_t size, int cancelFd) {
    std::size_t done = 0;
    while (done < size) {
        if (cancelFd >= 0 && !waitForData(fd, cancelFd)) break;
        const ssize_t got = read(fd, buffer + done, size - done);
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) return -1;
        if (got == 0) break;
        done += static_cast<std::size_t>(got);
    }
    return static_cast<std::int64_t>(done);
}

bool writeFully(int fd, const std::uint8_t* buffer, std::size_t size) {
    std::size_t done = 0;
    while (done < size) {
        const ssize_t put = write(fd, buffer + done, size - done);
        if (put < 0 && errno == EINTR) continue;
        if (put <= 0) return false;
        done += static_cast<std::size_t>(put);
    }
    return true;
}

}  // namespace lintra
