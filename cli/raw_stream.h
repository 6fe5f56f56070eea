#pragma once
// Whole-buffer reads and writes on file descriptors that deliver or accept data in pieces
// (pipes), retried when a signal interrupts them.

#include <cstddef>
#include <cstdint>

namespace lintra {

// Reads until `size` bytes are in or the stream ends. Returns the bytes read (fewer than
// `size` only at the end of the stream), or -1 on a read error with errno set. When
// `cancelFd` is not -1, a read that would wait is given up, returning what it has, as soon as
// that descriptor becomes readable.
std::int64_t readFully(int fd, std::uint8_t* buffer, std::size_t size, int cancelFd = -1);

// Writes all `size` bytes; false on a write error, with errno set.
bool writeFully(int fd, const std::uint8_t* buffer, std::size_t size);

}  // namespace lintra
