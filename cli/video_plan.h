#pragma once
// How lintra video takes an input apart and puts the output together, decided from what
// ffprobe says before anything runs: the format the decoder writes, how the filter's RGB view
// is made, the format and tags the encoder gets, and what the user is told on the way.

#include <string>
#include <vector>

#include "cli/video_codec.h"
#include "cli/video_format_choice.h"
#include "cli/video_frame_layout.h"
#include "cli/video_pixel_format.h"
#include "cli/video_probe.h"

namespace lintra::video {

struct VideoPlan {
    FrameLayout frames;                       // the frames on the pipes, and their RGB view
    std::string decoderFormat;                // -pix_fmt of the decoder's output
    std::string pipeFormat;                   // -pix_fmt of the encoder's input
    FormatChoice output;                      // what the encoder gets
    std::string filters;                      // the encoder's -vf, "" for none
    std::vector<std::string> encoderOptions;  // -pix_fmt, tags, interlaced coding
    ColourTags outputTags;                    // what the output should say of itself
    std::vector<std::string> notes;           // lines for the user before encoding
};

// `encoderFormats` as the encoder lists them ({} when it takes any or is not known).
VideoPlan planVideo(const VideoInfo& info, const PixelLayout& pixels, const EncoderChoice& encoder,
                    const std::vector<std::string>& encoderFormats);

// "720x576 yuv422p10le (4:2:2 10-bit), top field first, SAR 64:45, range tv, BT.601 view".
std::string describeInput(const VideoInfo& info, const VideoPlan& plan);

// The properties a probe of the output lacks against the plan: "colour range, field order".
std::string missingFromOutput(const VideoPlan& plan, const VideoInfo& input,
                              const VideoInfo& output);

}  // namespace lintra::video
