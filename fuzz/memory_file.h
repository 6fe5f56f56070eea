#pragma once
// A file in memory with a path, for readers that take a file name: the input is written to a
// memfd and opened again through /proc/self/fd, so every read starts at its first byte.

#include <sys/mman.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

namespace lintra::fuzzing {

class MemoryFile {
  public:
    explicit MemoryFile(const char* name) : fd_(memfd_create(name, 0)) {
        if (fd_ < 0) std::abort();
        path_ = "/proc/self/fd/" + std::to_string(fd_);
    }
    ~MemoryFile() { close(fd_); }
    MemoryFile(const MemoryFile&) = delete;
    MemoryFile& operator=(const MemoryFile&) = delete;

    // Replaces the contents with the bytes given.
    void assign(const std::uint8_t* data, std::size_t size) {
        if (ftruncate(fd_, 0) != 0) std::abort();
        std::size_t done = 0;
        while (done < size) {
            const ssize_t n = pwrite(fd_, data + done, size - done, static_cast<off_t>(done));
            if (n <= 0) std::abort();
            done += static_cast<std::size_t>(n);
        }
    }

    std::size_t size() const {
        const off_t end = lseek(fd_, 0, SEEK_END);
        return end < 0 ? 0 : static_cast<std::size_t>(end);
    }

    // Reads the whole contents.
    std::string contents() const {
        std::string bytes(size(), '\0');
        std::size_t done = 0;
        while (done < bytes.size()) {
            const ssize_t n =
                pread(fd_, bytes.data() + done, bytes.size() - done, static_cast<off_t>(done));
            if (n <= 0) std::abort();
            done += static_cast<std::size_t>(n);
        }
        return bytes;
    }

    const std::string& path() const { return path_; }

  private:
    int fd_;
    std::string path_;
};

}  // namespace lintra::fuzzing
