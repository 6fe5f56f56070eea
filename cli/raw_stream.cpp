#include "cli/raw_stream.h"

#include <cerrno>

namespace lintra {

std::size_t readFully(std::FILE* file, std::uint8_t* buffer, std::size_t size) {
    std::size_t done = 0;
    while (done < size) {
        const std::size_t got = std::fread(buffer + done, 1, size - done, file);
        done += got;
        if (got == 0) {
            // A signal may interrupt a read from a pipe; anything else ends the frame.
            if (std::ferror(file) != 0 && errno == EINTR) {
                std::clearerr(file);
                continue;
            }
            break;
        }
    }
    return done;
}

bool writeFully(std::FILE* file, const std::uint8_t* buffer, std::size_t size) {
    std::size_t done = 0;
    while (done < size) {
        const std::size_t put = std::fwrite(buffer + done, 1, size - done, file);
        done += put;
        if (put == 0) {
            if (std::ferror(file) != 0 && errno == EINTR) {
                std::clearerr(file);
                continue;
            }
            return false;
        }
    }
    return true;
}

}  // namespace lintra
