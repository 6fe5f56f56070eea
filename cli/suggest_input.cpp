#include "cli/suggest_input.h"

#include <cstdio>
#include <cstring>

#include "cli/png_io.h"
#include "cli/raw_stream.h"
#include "cli/video_probe.h"
#include "cli/video_subprocess.h"

namespace lintra {
namespace {

constexpr std::size_t kErrorLines = 6;

bool isPng(const std::string& path) {
    static const unsigned char kSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (file == nullptr) return false;
    unsigned char head[8] = {};
    const bool png = std::fread(head, 1, sizeof head, file) == sizeof head &&
                     std::memcmp(head, kSignature, sizeof head) == 0;
    std::fclose(file);
    return png;
}

std::vector<std::string> decodeArguments(const std::string& ffmpeg, const std::string& input,
                                         std::int64_t step, std::int32_t count) {
    return {ffmpeg,
            "-nostdin",
            "-v",
            "error",
            "-noautorotate",
            "-i",
            video::localFile(input),
            "-map",
            "0:V:0",
            "-vf",
            "select=not(mod(n\\," + std::to_string(step) + "))",
            "-frames:v",
            std::to_string(count),
            "-fps_mode",
            "passthrough",
            "-f",
            "rawvideo",
            "-pix_fmt",
            "bgr0",
            "-"};
}

bool readFrames(int fd, const video::VideoInfo& info, std::int32_t count,
                std::vector<Picture>& frames, std::string& error) {
    const std::size_t bytes =
        static_cast<std::size_t>(info.width) * static_cast<std::size_t>(info.height) * 4;
    for (std::int32_t i = 0; i < count; ++i) {
        Picture p;
        resizePicture(p, info.width, info.height);
        const std::int64_t got = readFully(fd, p.bgrx.data(), bytes);
        if (got < 0) {
            error = std::string("reading ffmpeg's frames: ") + std::strerror(errno);
            return false;
        }
        if (static_cast<std::size_t>(got) < bytes) break;
        frames.push_back(std::move(p));
    }
    return true;
}

bool readVideoFrames(const std::string& input, std::int32_t count, std::vector<Picture>& frames,
                     std::string& error) {
    const std::string ffmpeg = video::findInPath("ffmpeg"), ffprobe = video::findInPath("ffprobe");
    if (ffmpeg.empty() || ffprobe.empty()) {
        error = std::string(ffmpeg.empty() ? "ffmpeg" : "ffprobe") +
                " not found (install it, e.g. apt-get install ffmpeg)";
        return false;
    }
    video::VideoInfo info;
    if (!video::probeVideo(ffprobe, input, info, error)) {
        error = input + " is neither a PNG picture nor a video ffmpeg can read: " + error;
        return false;
    }
    video::ChildProcess child;
    const auto args = decodeArguments(ffmpeg, input, sampleStep(info.totalFrames, count), count);
    if (!video::spawnChild(args, video::ChildPipes{false, true, false}, child, error)) return false;
    const bool ok = readFrames(child.stdoutFd, info, count, frames, error);
    video::closeFd(child.stdoutFd);
    const std::string messages = video::childErrorText(child, kErrorLines);
    const int status = video::waitChild(child);
    if (ok && status != 0) {
        error = "ffmpeg could not decode " + input + (messages.empty() ? "" : ": " + messages);
        return false;
    }
    return ok;
}

}  // namespace

std::int64_t sampleStep(std::int64_t total, std::int32_t count) {
    if (total <= 0 || count <= 0 || total <= count) return 1;
    return total / count;
}

bool readSampleFrames(const std::string& input, std::int32_t count, std::vector<Picture>& frames,
                      std::string& error) {
    frames.clear();
    if (isPng(input)) {
        Picture p;
        if (!readPng(input, p, error)) return false;
        frames.push_back(std::move(p));
        return true;
    }
    std::FILE* file = std::fopen(input.c_str(), "rb");
    if (file == nullptr) {
        error = "cannot read " + input + ": " + std::strerror(errno);
        return false;
    }
    std::fclose(file);
    if (!readVideoFrames(input, count, frames, error)) return false;
    if (frames.empty()) {
        error = input + " holds no video frame";
        return false;
    }
    return true;
}

}  // namespace lintra
