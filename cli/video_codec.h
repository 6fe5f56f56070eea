#pragma once
// The video encoder for lintra video's output: named with --codec, or chosen by the output's
// file extension.

#include <string>
#include <vector>

namespace lintra::video {

struct EncoderChoice {
    std::vector<std::string> args;  // ffmpeg output options for the video stream
    std::string summary;            // for messages: "libx264, crf 16"
};

// `codec` empty: by extension (.mp4 .m4v .mov .mkv: H.264 at crf 16, 4:2:0; .webm: VP9 at
// crf 20; .avi .nut: lossless FFV1; anything else: the container's default). A named codec
// gets the same quality options when it is one of those, else ffmpeg's defaults for it.
EncoderChoice chooseEncoder(const std::string& output, const std::string& codec);

// How subtitles reach the output: copied, except where the container holds only one text
// format (MP4 and QuickTime: mov_text, WebM: WebVTT), into which text subtitles are converted.
std::string subtitleCodec(const std::string& output);

// The output's extension in lower case, without the dot ("" when there is none).
std::string lowerExtension(const std::string& path);

}  // namespace lintra::video
