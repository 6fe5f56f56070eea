#pragma once
// The video encoder for lintra video's output: named with --codec, or chosen by the output's
// file extension; what it needs for interlaced pictures; which pixel formats it takes.

#include <string>
#include <vector>

namespace lintra::video {

struct EncoderChoice {
    std::string codec;              // ffmpeg's encoder name; "" leaves it to the container
    std::vector<std::string> args;  // "-c:v NAME" and its quality options
    std::string summary;            // for messages: "libx264, crf 16"
    bool playable = false;          // held to 8-bit 4:2:0, which every player plays
};

// `codec` empty: by extension (.mkv .mov .mp4 .m4v: H.264 at crf 16; .webm: VP9 at crf 20;
// .avi .nut: lossless FFV1; anything else: the container's default). A named codec gets the
// same quality options when it is one of those, else ffmpeg's defaults for it. Into .mp4,
// .m4v and .webm the video is playable (8-bit 4:2:0) unless `keepFormat`.
EncoderChoice chooseEncoder(const std::string& output, const std::string& codec, bool keepFormat);

// The options that make an encoder code interlaced pictures as fields ({} when it has none).
std::vector<std::string> interlacedOptions(const std::string& codec);

// Encoders that keep interlaced pictures exactly as they come (lossless or always interlaced).
bool keepsFieldsAsTheyCome(const std::string& codec);

// The pixel formats in the output of `ffmpeg -h encoder=NAME` ({} when it lists none: then it
// takes any).
std::vector<std::string> parseEncoderFormats(const std::string& helpText);

// How subtitles reach the output: copied, except where the container holds only one text
// format (MP4 and QuickTime: mov_text, WebM: WebVTT), into which text subtitles are converted.
std::string subtitleCodec(const std::string& output);

// The output's extension in lower case, without the dot ("" when there is none).
std::string lowerExtension(const std::string& path);

}  // namespace lintra::video
