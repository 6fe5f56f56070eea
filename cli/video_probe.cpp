#include "cli/video_probe.h"

#include <unistd.h>

#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <map>
#include <sstream>

#include "cli/video_subprocess.h"

namespace lintra::video {
namespace {

constexpr std::int32_t kMaxDimension = 1 << 16;

// "streams.stream.0.width=64" and "format.duration=\"0.2\"" as key -> unquoted value.
std::map<std::string, std::string> flatFields(const std::string& text) {
    std::map<std::string, std::string> fields;
    std::istringstream lines(text);
    std::string line;
    while (std::getline(lines, line)) {
        const auto eq = line.find('=');
        if (eq == std::string::npos) continue;
        std::string value = line.substr(eq + 1);
        if (value.size() >= 2 && value.front() == '"' && value.back() == '"') {
            value = value.substr(1, value.size() - 2);
        }
        fields[line.substr(0, eq)] = value;
    }
    return fields;
}

bool wholeNumber(const std::string& s, std::int64_t& out) {
    if (s.empty()) return false;
    char* end = nullptr;
    errno = 0;
    const long long v = std::strtoll(s.c_str(), &end, 10);
    if (errno != 0 || *end != '\0') return false;
    out = v;
    return true;
}

bool positiveNumber(const std::string& s, double& out) {
    if (s.empty()) return false;
    char* end = nullptr;
    const double v = std::strtod(s.c_str(), &end);
    if (*end != '\0' || !(v > 0) || !std::isfinite(v)) return false;
    out = v;
    return true;
}

// A rate "num/den" with both parts positive, as a number.
bool usableRate(const std::string& s, double& value) {
    const auto slash = s.find('/');
    std::int64_t num = 0, den = 0;
    if (slash == std::string::npos || !wholeNumber(s.substr(0, slash), num) ||
        !wholeNumber(s.substr(slash + 1), den) || num <= 0 || den <= 0) {
        return false;
    }
    value = static_cast<double>(num) / static_cast<double>(den);
    return true;
}

std::int64_t expectedFrames(const std::map<std::string, std::string>& f, double rate) {
    const auto get = [&f](const char* key) {
        const auto it = f.find(key);
        return it == f.end() ? std::string() : it->second;
    };
    std::int64_t frames = 0;
    if (wholeNumber(get("streams.stream.0.nb_frames"), frames) && frames > 0) return frames;
    double duration = 0;
    if (positiveNumber(get("streams.stream.0.duration"), duration) ||
        positiveNumber(get("format.duration"), duration)) {
        return std::llround(duration * rate);
    }
    return 0;
}

// How much later than the file's start the video starts; 0 when either time is unknown.
double videoStartOffset(const std::map<std::string, std::string>& f) {
    const auto stream = f.find("streams.stream.0.start_time");
    const auto file = f.find("format.start_time");
    if (stream == f.end() || file == f.end()) return 0;
    char* end = nullptr;
    const double s = std::strtod(stream->second.c_str(), &end);
    if (*end != '\0' || !std::isfinite(s)) return 0;
    const double t = std::strtod(file->second.c_str(), &end);
    if (*end != '\0' || !std::isfinite(t)) return 0;
    return s > t ? s - t : 0;
}

}  // namespace

bool parseProbe(const std::string& text, VideoInfo& info, std::string& error) {
    const auto f = flatFields(text);
    std::int64_t w = 0, h = 0;
    const auto width = f.find("streams.stream.0.width");
    const auto height = f.find("streams.stream.0.height");
    if (width == f.end() || height == f.end()) {
        error = "has no video stream";
        return false;
    }
    if (!wholeNumber(width->second, w) || !wholeNumber(height->second, h) || w <= 0 || h <= 0 ||
        w > kMaxDimension || h > kMaxDimension) {
        error = "has a video stream of unusable size " + width->second + "x" + height->second;
        return false;
    }
    info.width = static_cast<std::int32_t>(w);
    info.height = static_cast<std::int32_t>(h);
    double rate = 0;
    for (const char* key : {"streams.stream.0.avg_frame_rate", "streams.stream.0.r_frame_rate"}) {
        const auto it = f.find(key);
        if (it != f.end() && usableRate(it->second, rate)) {
            info.rate = it->second;
            break;
        }
    }
    if (info.rate.empty()) {
        error = "has a video stream without a frame rate";
        return false;
    }
    info.totalFrames = expectedFrames(f, rate);
    info.startOffset = videoStartOffset(f);
    return true;
}

bool probeVideo(const std::string& ffprobe, const std::string& input, VideoInfo& info,
                std::string& error) {
    // V, not v: cover pictures in audio files are no video.
    const std::vector<std::string> argv = {
        ffprobe,
        "-v",
        "error",
        "-select_streams",
        "V:0",
        "-show_entries",
        "stream=width,height,avg_frame_rate,r_frame_rate,nb_frames,duration,start_time:format="
        "duration,start_time",
        "-of",
        "flat",
        "-i",
        localFile(input)};
    ChildProcess child;
    if (!spawnChild(argv, false, true, child, error)) return false;
    std::string text;
    char buffer[4096];
    for (;;) {
        const ssize_t n = read(child.stdoutFd, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;
        text.append(buffer, static_cast<std::size_t>(n));
    }
    std::string message = childErrorText(child, 1);
    if (waitChild(child) != 0) {
        // ffprobe names the file first; the caller does that already.
        const std::string prefix = localFile(input) + ": ";
        if (message.rfind(prefix, 0) == 0) message = message.substr(prefix.size());
        error = message.empty() ? "not a video ffprobe can read" : message;
        return false;
    }
    return parseProbe(text, info, error);
}

}  // namespace lintra::video
