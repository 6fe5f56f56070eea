#pragma once
// The pixel format the encoder gets: the frames' own when it takes it, else the nearest it
// takes (fewest bits and chroma samples lost, then fewest added), or 8-bit 4:2:0 for outputs
// meant to play everywhere.

#include <string>
#include <vector>

#include "frontend/planar_picture.h"

namespace lintra::video {

struct FormatChoice {
    std::string encoderFormat;      // ffmpeg's -pix_fmt for the encoder; "" leaves it to ffmpeg
    planar::Format format{};        // what that is (when encoderFormat is set)
    bool reducedDepth = false;      // fewer bits than the frames have
    bool reducedChroma = false;     // fewer chroma samples (or none)
    bool convertedColours = false;  // RGB made Y'CbCr or the other way round
    bool reduced() const { return reducedDepth || reducedChroma || convertedColours; }
};

// `frames`: the format of the frames (8-bit RGB for packed RGB). `encoderFormats`: what the
// encoder lists ({} when it takes any). `knownEncoder`: false when the container picks the
// encoder (then ffmpeg picks the format too, unless `playable`).
FormatChoice chooseOutputFormat(const planar::Format& frames,
                                const std::vector<std::string>& encoderFormats, bool knownEncoder,
                                bool playable);

}  // namespace lintra::video
