#pragma once
// The frames of a raw stream read, filtered and written on three threads, so that reading the
// next frame and writing the last one overlap the filtering of this one. Frames go out in
// their order, each exactly as the filter made it.

#include <cstddef>
#include <cstdint>
#include <functional>

namespace lintra {

enum class PipeEnd {
    complete,      // the input ended on a frame boundary and every frame was written
    partialFrame,  // the input ended inside a frame; the whole frames before it were written
    readError,     // reading failed; the frames before were written
    writeError,    // writing failed
    noThreads,     // the threads could not be started; nothing was read
};

struct PipeOutcome {
    PipeEnd end = PipeEnd::complete;
    std::int64_t frames = 0;  // frames written whole
    int errorNumber = 0;      // errno of a read or write error, or of the failed start
};

using FrameFilter = std::function<void(const std::uint8_t* in, std::uint8_t* out)>;

// Passes every whole frame of `frameBytes` bytes from `inFd` through `filter` to `outFd`.
PipeOutcome pipeFrames(int inFd, int outFd, std::size_t frameBytes, const FrameFilter& filter);

}  // namespace lintra
