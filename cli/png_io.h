#pragma once
// PNG files in and out (libpng). Input: 8-bit RGB or RGBA; grey and palette pictures are
// expanded to RGB, transparency chunks to alpha, and 16-bit samples scaled to 8 bits. Output:
// 8-bit RGB, or RGBA when the picture carries alpha.

#include <string>

#include "cli/picture.h"

namespace lintra {

// Reads the file ("-": standard input). On failure `error` names the file and the reason.
bool readPng(const std::string& path, Picture& picture, std::string& error);

// Writes the file ("-": standard output). A file is written beside its destination and renamed
// into place when complete. On failure `error` names the file and the reason.
bool writePng(const std::string& path, const Picture& picture, std::string& error);

// The name used in messages: "standard input" / "standard output" for "-".
std::string displayName(const std::string& path, bool isOutput);

}  // namespace lintra
