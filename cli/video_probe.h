#pragma once
// What lintra video needs to know about an input before decoding it: the frame size, the
// frame rate to encode with, how many frames to expect, and what the stream says about its
// pictures (pixel format, colour tags, aspect, fields), so that the output can say the same.

#include <cstdint>
#include <string>

namespace lintra::video {

enum class FieldOrder { progressive, topFirst, bottomFirst };

// As ffprobe and ffmpeg's options name them; "" where the stream says nothing (or something
// lintra does not know).
struct ColourTags {
    std::string range;           // "tv" or "pc"
    std::string matrix;          // color_space: "bt709", "bt470bg", "smpte170m", "bt2020nc", ...
    std::string primaries;       // "bt709", "bt470bg", "smpte170m", "bt2020", ...
    std::string transfer;        // "bt709", "smpte170m", "iec61966-2-1", "smpte2084", ...
    std::string chromaLocation;  // "left", "center", "topleft", "top", "bottomleft", "bottom"
};

struct VideoInfo {
    std::int32_t width = 0;
    std::int32_t height = 0;
    std::string rate;                  // "num/den", as ffmpeg's -r takes it
    std::int64_t totalFrames = 0;      // for progress: the container's count, else an estimate
    std::int64_t announcedFrames = 0;  // the container's own frame count, 0 when it has none
    double startOffset = 0;            // seconds the video starts after the file's other streams
    double videoStart = 0;             // the video's first time stamp, seconds
    double videoDuration = 0;          // how long the container says the video is, 0 unknown
    std::string codec;                 // "h264", "prores", ...
    std::string pixelFormat;           // of the decoded frames: "yuv422p10le", ...
    ColourTags tags;
    std::int32_t sarNum = 0;  // sample aspect ratio; 0 when the stream has none
    std::int32_t sarDen = 0;
    FieldOrder fieldOrder = FieldOrder::progressive;
};

// Reads the output of `ffprobe -of flat` for the first video stream (with its first frame).
// False with a message when it names no usable video stream.
bool parseProbe(const std::string& text, VideoInfo& info, std::string& error);

// Runs ffprobe on a file. False with a message (ffprobe's own when it has one).
bool probeVideo(const std::string& ffprobe, const std::string& input, VideoInfo& info,
                std::string& error);

// ffprobe's flat output for a file's first video stream; false with a message when ffprobe
// fails.
bool runProbe(const std::string& ffprobe, const std::string& input, std::string& text,
              std::string& error);

}  // namespace lintra::video
