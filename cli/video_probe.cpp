#include "cli/video_probe.h"

#include <cctype>
#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <initializer_list>
#include <map>
#include <sstream>

#include "cli/video_subprocess.h"

namespace lintra::video {
namespace {

constexpr std::int32_t kMaxDimension = 1 << 16;
constexpr std::int64_t kMaxAspectTerm = 1 << 20;

using Fields = std::map<std::string, std::string>;

// "streams.stream.0.width=64" and "format.duration=\"0.2\"" as key -> unquoted value.
Fields flatFields(const std::string& text) {
    Fields fields;
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

std::string get(const Fields& f, const std::string& key) {
    const auto it = f.find(key);
    return it == f.end() ? std::string() : it->second;
}

std::string stream(const Fields& f, const char* key) {
    return get(f, std::string("streams.stream.0.") + key);
}

// The first tag whose name starts with `name` ("NUMBER_OF_FRAMES", "NUMBER_OF_FRAMES_eng").
std::string streamTag(const Fields& f, const std::string& name) {
    const std::string prefix = "streams.stream.0.tags." + name;
    const auto it = f.lower_bound(prefix);
    if (it == f.end() || it->first.rfind(prefix, 0) != 0) return "";
    return it->second;
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

bool finiteNumber(const std::string& s, double& out) {
    if (s.empty()) return false;
    char* end = nullptr;
    const double v = std::strtod(s.c_str(), &end);
    if (*end != '\0' || !std::isfinite(v)) return false;
    out = v;
    return true;
}

bool positiveNumber(const std::string& s, double& out) {
    double v = 0;
    if (!finiteNumber(s, v) || !(v > 0)) return false;
    out = v;
    return true;
}

// "01:02:03.040000000" (Matroska's DURATION tag) in seconds.
bool clockDuration(const std::string& s, double& out) {
    const auto first = s.find(':');
    const auto second = first == std::string::npos ? first : s.find(':', first + 1);
    if (second == std::string::npos) return false;
    std::int64_t hours = 0, minutes = 0;
    double seconds = 0;
    if (!wholeNumber(s.substr(0, first), hours) ||
        !wholeNumber(s.substr(first + 1, second - first - 1), minutes) ||
        !finiteNumber(s.substr(second + 1), seconds) || hours < 0 || minutes < 0 || seconds < 0 ||
        hours > 1000000) {
        return false;
    }
    out = static_cast<double>(hours * 3600 + minutes * 60) + seconds;
    return out > 0;
}

// A ratio "num/den" (or "num:den") with both parts positive.
bool ratio(const std::string& s, char separator, std::int64_t& num, std::int64_t& den) {
    const auto at = s.find(separator);
    return at != std::string::npos && wholeNumber(s.substr(0, at), num) &&
           wholeNumber(s.substr(at + 1), den) && num > 0 && den > 0;
}

// The value when it is one of `known`, else "".
std::string oneOf(const std::string& value, std::initializer_list<const char*> known) {
    for (const char* k : known) {
        if (value == k) return value;
    }
    return "";
}

ColourTags colourTags(const Fields& f) {
    ColourTags t;
    t.range = oneOf(stream(f, "color_range"), {"tv", "pc"});
    t.matrix = oneOf(stream(f, "color_space"),
                     {"bt709", "fcc", "bt470bg", "smpte170m", "smpte240m", "ycgco", "bt2020nc",
                      "bt2020c", "smpte2085", "chroma-derived-nc", "chroma-derived-c", "ictcp"});
    t.primaries = oneOf(stream(f, "color_primaries"),
                        {"bt709", "bt470m", "bt470bg", "smpte170m", "smpte240m", "film", "bt2020",
                         "smpte428", "smpte431", "smpte432", "jedec-p22", "ebu3213"});
    t.transfer = oneOf(stream(f, "color_transfer"),
                       {"bt709", "bt470m", "bt470bg", "smpte170m", "smpte240m", "linear", "log100",
                        "log316", "iec61966-2-4", "bt1361e", "iec61966-2-1", "bt2020-10",
                        "bt2020-12", "smpte2084", "smpte428", "arib-std-b67"});
    t.chromaLocation = oneOf(stream(f, "chroma_location"),
                             {"left", "center", "topleft", "top", "bottomleft", "bottom"});
    return t;
}

// The first frame's flags decide; a stream that only states an order in its header is taken at
// its word ("tb" and "bt" as ffmpeg writes them: top and bottom field first).
FieldOrder fieldOrder(const Fields& f) {
    const std::string interlaced = get(f, "frames.frame.0.interlaced_frame");
    if (interlaced == "1") {
        return get(f, "frames.frame.0.top_field_first") == "1" ? FieldOrder::topFirst
                                                               : FieldOrder::bottomFirst;
    }
    if (interlaced == "0") return FieldOrder::progressive;
    const std::string order = stream(f, "field_order");
    if (order == "tt" || order == "tb") return FieldOrder::topFirst;
    if (order == "bb" || order == "bt") return FieldOrder::bottomFirst;
    return FieldOrder::progressive;
}

// A pixel format name: letters, digits and underscores only.
std::string pixelFormatName(const std::string& s) {
    if (s.empty() || s.size() > 32) return "";
    for (const char c : s) {
        if (!(std::isalnum(static_cast<unsigned char>(c)) || c == '_')) return "";
    }
    return s;
}

std::int64_t containerFrames(const Fields& f) {
    std::int64_t frames = 0;
    if (wholeNumber(stream(f, "nb_frames"), frames) && frames > 0) return frames;
    if (wholeNumber(streamTag(f, "NUMBER_OF_FRAMES"), frames) && frames > 0) return frames;
    return 0;
}

// How long the container says the video lasts: the stream's own duration, Matroska's DURATION
// tag, or the file's when the video is its only stream.
double statedDuration(const Fields& f) {
    double duration = 0;
    if (positiveNumber(stream(f, "duration"), duration)) return duration;
    if (clockDuration(streamTag(f, "DURATION"), duration)) return duration;
    if (get(f, "format.nb_streams") == "1" && positiveNumber(get(f, "format.duration"), duration)) {
        return duration;
    }
    return 0;
}

std::int64_t expectedFrames(const Fields& f, double rate) {
    if (const std::int64_t frames = containerFrames(f); frames > 0) return frames;
    double duration = statedDuration(f);
    if (duration > 0 || positiveNumber(get(f, "format.duration"), duration)) {
        // Beyond any real video (a billion hours at 300 frames a second) it is not a length.
        const double frames = duration * rate;
        return frames < 1e15 ? std::llround(frames) : 0;
    }
    return 0;
}

// How much later than the file's start the video starts; 0 when either time is unknown.
double videoStartOffset(const Fields& f) {
    double s = 0, t = 0;
    if (!finiteNumber(stream(f, "start_time"), s) ||
        !finiteNumber(get(f, "format.start_time"), t)) {
        return 0;
    }
    return s > t ? s - t : 0;
}

void aspectRatio(const Fields& f, VideoInfo& info) {
    std::int64_t num = 0, den = 0;
    if (ratio(stream(f, "sample_aspect_ratio"), ':', num, den) && num <= kMaxAspectTerm &&
        den <= kMaxAspectTerm) {
        info.sarNum = static_cast<std::int32_t>(num);
        info.sarDen = static_cast<std::int32_t>(den);
    }
}

}  // namespace

bool parseProbe(const std::string& text, VideoInfo& info, std::string& error) {
    const Fields f = flatFields(text);
    std::int64_t w = 0, h = 0;
    const std::string width = stream(f, "width"), height = stream(f, "height");
    if (width.empty() || height.empty()) {
        error = "has no video stream";
        return false;
    }
    if (!wholeNumber(width, w) || !wholeNumber(height, h) || w <= 0 || h <= 0 ||
        w > kMaxDimension || h > kMaxDimension) {
        error = "has a video stream of unusable size " + width + "x" + height;
        return false;
    }
    info = VideoInfo{};
    info.width = static_cast<std::int32_t>(w);
    info.height = static_cast<std::int32_t>(h);
    double rate = 0;
    for (const char* key : {"avg_frame_rate", "r_frame_rate"}) {
        std::int64_t num = 0, den = 0;
        if (ratio(stream(f, key), '/', num, den)) {
            info.rate = stream(f, key);
            rate = static_cast<double>(num) / static_cast<double>(den);
            break;
        }
    }
    if (info.rate.empty()) {
        error = "has a video stream without a frame rate";
        return false;
    }
    info.totalFrames = expectedFrames(f, rate);
    info.announcedFrames = containerFrames(f);
    info.startOffset = videoStartOffset(f);
    finiteNumber(stream(f, "start_time"), info.videoStart);
    info.videoDuration = statedDuration(f);
    info.codec = pixelFormatName(stream(f, "codec_name"));
    info.pixelFormat = pixelFormatName(get(f, "frames.frame.0.pix_fmt"));
    if (info.pixelFormat.empty()) info.pixelFormat = pixelFormatName(stream(f, "pix_fmt"));
    info.tags = colourTags(f);
    aspectRatio(f, info);
    info.fieldOrder = fieldOrder(f);
    return true;
}

bool runProbe(const std::string& ffprobe, const std::string& input, std::string& text,
              std::string& error) {
    // V, not v: cover pictures in audio files are no video. The first frame is decoded for
    // what only frames tell (interlacing, the decoded pixel format).
    const std::vector<std::string> argv = {
        ffprobe,
        "-v",
        "error",
        "-select_streams",
        "V:0",
        "-read_intervals",
        "%+#1",
        "-show_entries",
        "stream=codec_name,width,height,pix_fmt,color_range,color_space,color_primaries,"
        "color_transfer,chroma_location,sample_aspect_ratio,field_order,avg_frame_rate,"
        "r_frame_rate,nb_frames,duration,start_time:stream_tags:format=duration,start_time,"
        "nb_streams:frame=pix_fmt,interlaced_frame,top_field_first",
        "-of",
        "flat",
        "-i",
        localFile(input)};
    ChildProcess child;
    if (!spawnChild(argv, {false, true, false}, child, error)) return false;
    text = readAll(child.stdoutFd);
    std::string message = childErrorText(child, 1);
    if (waitChild(child) != 0) {
        // ffprobe names the file first; the caller does that already.
        const std::string prefix = localFile(input) + ": ";
        if (message.rfind(prefix, 0) == 0) message = message.substr(prefix.size());
        error = message.empty() ? "not a video ffprobe can read" : message;
        return false;
    }
    return true;
}

bool probeVideo(const std::string& ffprobe, const std::string& input, VideoInfo& info,
                std::string& error) {
    std::string text;
    return runProbe(ffprobe, input, text, error) && parseProbe(text, info, error);
}

}  // namespace lintra::video
