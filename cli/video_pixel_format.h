#pragma once
// ffmpeg's pixel format names as lintra video takes them: which lossless planar format the
// decoder writes for each, and the names of planar formats (for the pipe and the encoder).

#include <string>

#include "frontend/planar_picture.h"

namespace lintra::video {

struct PixelLayout {
    std::string pipeFormat;   // what the decoder writes: "yuv422p10le", "gbrp", "bgr0"
    bool packedRgb = false;   // bgr0: the frames are the filter's own, no planar step
    planar::Format format{};  // the planar format (unused for packed RGB)
    bool fullRange = false;   // a yuvj format: full range, whatever the tags say
    std::string loss;         // "" or what the pipe format drops ("alpha", "floating point")
};

// The layout for a decoded pixel format. Formats lintra does not know are taken as 8-bit RGB
// (then `loss` says so). False only for an empty or unusable name.
bool pixelLayoutFor(const std::string& pixelFormat, PixelLayout& layout);

// The planar format a name stands for when ffmpeg can write and read it as it is: "yuv420p",
// "yuvj422p", "yuv444p12le", "gray10le", "gbrp16le", ... (little-endian above 8 bits).
bool planarFormatOf(const std::string& name, planar::Format& format);

// ffmpeg's name of a planar format (yuv, grey or rgb; little-endian above 8 bits).
std::string planarFormatName(const planar::Format& format);

// "4:2:2 10-bit", "grey 8-bit", "RGB 16-bit".
std::string describeFormat(const planar::Format& format);

}  // namespace lintra::video
