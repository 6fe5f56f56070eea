#pragma once
// What lintra video needs to know about an input before decoding it: the frame size, the
// frame rate to encode with, and how many frames to expect for the progress display.

#include <cstdint>
#include <string>

namespace lintra::video {

struct VideoInfo {
    std::int32_t width = 0;
    std::int32_t height = 0;
    std::string rate;              // "num/den", as ffmpeg's -r takes it
    std::int64_t totalFrames = 0;  // 0 when unknown
    double startOffset = 0;        // seconds the video starts after the file's other streams
};

// Reads the output of `ffprobe -of flat` for the first video stream. False with a message
// when it names no usable video stream.
bool parseProbe(const std::string& text, VideoInfo& info, std::string& error);

// Runs ffprobe on the input. False with a message (ffprobe's own when it has one).
bool probeVideo(const std::string& ffprobe, const std::string& input, VideoInfo& info,
                std::string& error);

}  // namespace lintra::video
