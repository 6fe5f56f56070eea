#include "cli/video_damage.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace lintra::video {
namespace {

constexpr double kToleranceFrames = 1.5;

double rateOf(const std::string& rate) {
    const auto slash = rate.find('/');
    if (slash == std::string::npos) return 0;
    const double num = std::strtod(rate.substr(0, slash).c_str(), nullptr);
    const double den = std::strtod(rate.substr(slash + 1).c_str(), nullptr);
    return num > 0 && den > 0 ? num / den : 0;
}

std::string seconds(double s) {
    char text[32];
    std::snprintf(text, sizeof text, "%.2f s", s);
    return text;
}

void append(std::string& text, const std::string& more) {
    if (!text.empty()) text += "; ";
    text += more;
}

}  // namespace

std::string firstProblem(const LogSummary& log) {
    const std::string where = log.framesAtProblem == 0
                                  ? std::string("before the first frame")
                                  : "after frame " + std::to_string(log.framesAtProblem);
    return where + ": " + log.firstProblem;
}

DamageReport assessDamage(const VideoInfo& info, const LogSummary& log, std::int64_t framesRead,
                          bool decoderFailed) {
    DamageReport r;
    const double rate = rateOf(info.rate);
    const bool countShort = info.announcedFrames > framesRead;
    const bool timed = info.videoDuration > 0 && log.hasLastTime && rate > 0;
    const double end = timed ? log.lastTime + 1 / rate : 0;
    const double statedEnd = info.startOffset + info.videoDuration;
    const double shortBy = statedEnd - end;
    if (timed && shortBy > kToleranceFrames / rate) {
        r.missingFrames = countShort ? info.announcedFrames - framesRead
                                     : std::llround(std::clamp(shortBy * rate, 1.0, 1e15));
        append(r.text,
               (countShort ? std::to_string(r.missingFrames) + " of the " +
                                 std::to_string(info.announcedFrames) +
                                 " frames the file announces are missing"
                           : "about " + std::to_string(r.missingFrames) + " frames are missing") +
                   " (the video ends at " + seconds(end) + " of " + seconds(statedEnd) + ")");
    } else if (countShort && (!timed || log.problems > 0 || decoderFailed)) {
        // Without a stated end the count is all there is; with errors it says what they cost.
        r.missingFrames = info.announcedFrames - framesRead;
        append(r.text, std::to_string(r.missingFrames) + " of the " +
                           std::to_string(info.announcedFrames) +
                           " frames the file announces are missing");
    }
    if (log.problems > 0) {
        append(r.text,
               "the decoder reported " +
                   (log.problems == 1 ? std::string("an error ")
                                      : std::to_string(log.problems) + " errors, the first ") +
                   firstProblem(log));
    }
    if (decoderFailed) append(r.text, "ffmpeg stopped decoding with an error");
    r.damaged = !r.text.empty();
    return r;
}

}  // namespace lintra::video
