#pragma once
// The frames of a video, filtered in parallel: one reader, `threads` filter instances, one
// writer that puts frames out in their original order. Each instance sizes its planes once.

#include <cstdint>
#include <functional>
#include <string>

#include "engine/cpu_level.h"
#include "engine/filter_settings.h"

namespace lintra::video {

struct FrameStream {
    int inFd;   // packed 32-bit frames (byte order B, G, R, unused), width * height * 4 bytes each
    int outFd;  // the filtered frames, same layout
    std::int32_t width;
    std::int32_t height;
};

struct StreamOutcome {
    bool ok = false;           // the input ended on a frame boundary and every frame was written
    std::int64_t frames = 0;   // frames written
    bool inputFailed = false;  // the failure lies with the input (read error, cut-off frame)
    std::string error;
};

// Filters every frame until the input ends. `framesWritten` is called by the writer after
// each frame with the count so far.
StreamOutcome filterFrameStream(const FrameStream& stream, const FilterSettings& settings,
                                int threads, const std::function<void(std::int64_t)>& framesWritten,
                                CpuLevel cap = CpuLevel::avx512);

}  // namespace lintra::video
