#pragma once
// What a frame's properties say about its colours (_Matrix, _ColorRange, _ChromaLocation,
// _FieldBased), as the planar code needs it to make the filter's RGB view and carry the
// correction back.

#include <cstdint>
#include <string>

#include "frontend/planar_picture.h"

namespace lintra::vs {

// The properties' values; -1 where a frame does not carry one.
struct FrameProperties {
    std::int64_t matrix = -1;
    std::int64_t colorRange = -1;
    std::int64_t chromaLocation = -1;
    std::int64_t fieldBased = -1;
};

// The colours of a frame of this format and size. A missing or unspecified matrix is the one
// players assume (BT.709 for HD, BT.601 otherwise); a missing range is limited for Y'CbCr and
// grey; a missing chroma location is left. False with a message for a matrix the filter cannot
// take (RGB on a Y'CbCr clip, constant luminance, YCgCo, ICtCp) or a value out of range.
bool coloursOf(const FrameProperties& properties, const planar::Format& format, std::int32_t width,
               std::int32_t height, planar::Colours& colours, std::string& error);

}  // namespace lintra::vs
