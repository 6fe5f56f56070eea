#pragma once
// The frames of a video, filtered in parallel: one reader, `threads` filter instances, one
// writer that puts frames out in their original order. Each instance sizes what it needs once.

#include <cstdint>
#include <functional>
#include <string>

#include "cli/video_frame_layout.h"
#include "engine/cpu_level.h"
#include "engine/filter_settings.h"

namespace lintra::video {

struct FrameStream {
    int inFd;            // the decoded frames
    int outFd;           // the filtered frames, same layout
    FrameLayout layout;  // of one frame
};

struct StreamOutcome {
    bool ok = false;          // the input ended on a frame boundary and every frame was written
    std::int64_t frames = 0;  // frames written
    std::int64_t framesRead = 0;
    bool inputFailed = false;  // the failure lies with the input (read error, cut-off frame,
                               // or what `check` found)
    bool refused = false;      // `check` refused a frame (the input goes on)
    std::string error;
};

// Called by the reader after each whole frame with its index (from 0): "" to go on, else why
// the input is refused.
using FrameCheck = std::function<std::string(std::int64_t frame)>;

// Filters every frame until the input ends. `framesWritten` is called by the writer after
// each frame with the count so far.
StreamOutcome filterFrameStream(const FrameStream& stream, const FilterSettings& settings,
                                int threads, const std::function<void(std::int64_t)>& framesWritten,
                                CpuLevel cap = CpuLevel::avx512, const FrameCheck& check = {});

}  // namespace lintra::video
