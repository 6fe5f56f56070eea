#include "cli/video_codec.h"

#include <cctype>

namespace lintra::video {
namespace {

EncoderChoice encoderFor(const std::string& codec) {
    if (codec == "libx264" || codec == "libx265") {
        return {{"-c:v", codec, "-preset", "medium", "-crf", "16", "-pix_fmt", "yuv420p"},
                codec + ", crf 16"};
    }
    if (codec == "libvpx-vp9") {
        return {{"-c:v", codec, "-crf", "20", "-b:v", "0", "-pix_fmt", "yuv420p"},
                codec + ", crf 20"};
    }
    // The frames arrive as 8-bit BGR; FFV1 and raw video keep them bit for bit.
    if (codec == "ffv1")
        return {{"-c:v", "ffv1", "-level", "3", "-pix_fmt", "bgr0"}, "ffv1, lossless"};
    if (codec == "rawvideo")
        return {{"-c:v", "rawvideo", "-pix_fmt", "bgr0"}, "rawvideo, lossless"};
    return {{"-c:v", codec}, codec};
}

}  // namespace

std::string lowerExtension(const std::string& path) {
    const auto slash = path.find_last_of('/');
    const auto dot = path.find_last_of('.');
    const std::size_t nameStart = slash == std::string::npos ? 0 : slash + 1;
    if (dot == std::string::npos || dot <= nameStart) return "";
    std::string ext = path.substr(dot + 1);
    for (char& c : ext) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return ext;
}

std::string subtitleCodec(const std::string& output) {
    const std::string ext = lowerExtension(output);
    if (ext == "mp4" || ext == "m4v" || ext == "mov") return "mov_text";
    if (ext == "webm") return "webvtt";
    return "copy";
}

EncoderChoice chooseEncoder(const std::string& output, const std::string& codec) {
    if (!codec.empty()) return encoderFor(codec);
    const std::string ext = lowerExtension(output);
    if (ext == "mp4" || ext == "m4v" || ext == "mov" || ext == "mkv") return encoderFor("libx264");
    if (ext == "webm") return encoderFor("libvpx-vp9");
    if (ext == "avi" || ext == "nut") return encoderFor("ffv1");
    return {{}, "the container's default codec"};
}

}  // namespace lintra::video
