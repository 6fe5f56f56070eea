#pragma once
// Whether a decoded input came out whole: no decoder errors, and frames up to where the
// container says the video ends.

#include <cstdint>
#include <string>

#include "cli/video_decoder_log.h"
#include "cli/video_probe.h"

namespace lintra::video {

struct DamageReport {
    bool damaged = false;
    std::int64_t missingFrames = 0;  // known to be missing (0: none, or not known)
    std::string text;                // what is wrong, for the user
};

// Frames are missing when the last one ends more than a frame and a half before the video's
// stated end; how many is the container's frame count less those decoded when it has one,
// else the time short at the frame rate.
DamageReport assessDamage(const VideoInfo& info, const LogSummary& log, std::int64_t framesRead,
                          bool decoderFailed);

// The decoder's first error, with how far decoding had got: "after frame 34: matroska,webm:
// File ended prematurely".
std::string firstProblem(const LogSummary& log);

}  // namespace lintra::video
