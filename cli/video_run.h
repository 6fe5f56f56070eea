#pragma once
// lintra video: decode with ffmpeg, filter every frame, encode with ffmpeg, copying the other
// streams of the input.

#include <string>

#include "engine/cpu_level.h"
#include "engine/filter_settings.h"

namespace lintra::video {

struct VideoOptions {
    std::string input;
    std::string output;
    std::string codec;  // "" chooses by the output's extension
    int threads = 1;
    FilterSettings settings{};
    CpuLevel cpuCap = CpuLevel::avx512;  // the highest level the engine may use
    bool keepFormat = false;             // .mp4 / .m4v / .webm keep the input's format too
    bool acceptDamaged = false;          // decoder errors and missing frames only warn
};

// Runs the whole job; messages go to stderr. Returns 0 on success, 1 on any failure, in
// which case no output file is left behind.
int runVideo(const VideoOptions& options);

}  // namespace lintra::video
