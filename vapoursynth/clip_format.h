#pragma once
// Which clips the filter takes, decided once when a script creates it.

#include <VapourSynth4.h>

#include <string>

#include "frontend/planar_picture.h"

namespace lintra::vs {

// How the frames of a clip reach the engine. A new kind of clip is a new entry here and a new
// branch where frames are filtered (lintra_vapoursynth.cpp).
enum class InputPath {
    refused,
    rgb24,   // planar 8-bit R, G, B, packed into the engine's 32-bit pixels
    planar,  // integer Y'CbCr, grey or deeper RGB: an 8-bit RGB view filtered, the correction
             // carried back into the clip's own format
};

// The path for clips of this kind; `formatName` names the clip's format in the message.
// Clips of variable format or size are refused, as is any format without a path, with a
// message (without the function's name) that says how to convert.
InputPath inputPathFor(const VSVideoInfo& info, const char* formatName, std::string& error);

// A clip format the planar path takes, as the planar code describes it.
planar::Format planarFormatOf(const VSVideoFormat& format);

}  // namespace lintra::vs
