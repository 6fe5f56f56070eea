#pragma once
// Whole-buffer reads and writes on streams that may deliver or accept data in pieces (pipes).

#include <cstddef>
#include <cstdint>
#include <cstdio>

namespace lintra {

// Reads until `size` bytes are in, the stream ends or an error occurs; returns the bytes read.
// Fewer than `size` means end of stream or, when std::ferror(file) is set, a read error.
std::size_t readFully(std::FILE* file, std::uint8_t* buffer, std::size_t size);

// Writes all `size` bytes; false on a write error.
bool writeFully(std::FILE* file, const std::uint8_t* buffer, std::size_t size);

}  // namespace lintra
