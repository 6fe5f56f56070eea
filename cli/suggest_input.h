#pragma once
// The sample frames `lintra suggest` measures: a PNG picture, or frames spread over a video
// that ffmpeg decodes in a child process.

#include <cstdint>
#include <string>
#include <vector>

#include "cli/picture.h"

namespace lintra {

// Frames 0, step, 2 step, ... for `count` frames out of `total` (0: unknown, then the first
// `count`). Always at least 1.
std::int64_t sampleStep(std::int64_t total, std::int32_t count);

// Reads up to `count` frames of INPUT. False with a message when it is neither a readable
// PNG nor a video ffmpeg can decode, or holds no frame.
bool readSampleFrames(const std::string& input, std::int32_t count, std::vector<Picture>& frames,
                      std::string& error);

}  // namespace lintra
