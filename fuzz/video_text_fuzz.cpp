// What lintra video reads from ffmpeg and ffprobe: any text as ffprobe's flat output, as
// `ffmpeg -h encoder=` output and as lines of the decoder's log, and any pixel format name.
// Whatever is accepted stays within what lintra video hands back to ffmpeg: sizes in range,
// tags and format names from the known lists, filters and options without anything that
// could start another filter chain or option.

#include <cstdint>
#include <sstream>
#include <string>

#include "cli/video_codec.h"
#include "cli/video_decoder_log.h"
#include "cli/video_pixel_format.h"
#include "cli/video_plan.h"
#include "cli/video_probe.h"
#include "fuzz/settings_checks.h"

namespace {

using lintra::fuzzing::check;

bool plainName(const std::string& s) {
    for (const char c : s) {
        if (!(std::isalnum(static_cast<unsigned char>(c)) || c == '_' || c == '-')) return false;
    }
    return true;
}

void checkFormatName(const std::string& name) {
    lintra::planar::Format f{};
    if (!lintra::video::planarFormatOf(name, f)) return;
    check(f.bitDepth >= 8 && f.bitDepth <= 16, "planar format of an impossible depth");
    check(f.subsamplingW >= 0 && f.subsamplingW <= 2 && f.subsamplingH >= 0 && f.subsamplingH <= 2,
          "planar format of an impossible subsampling");
    lintra::planar::Format back{};
    check(lintra::video::planarFormatOf(lintra::video::planarFormatName(f), back) &&
              back.family == f.family && back.bitDepth == f.bitDepth &&
              back.subsamplingW == f.subsamplingW && back.subsamplingH == f.subsamplingH,
          "a planar format does not name itself back");
}

void checkPlan(const lintra::video::VideoInfo& info, const std::string& text) {
    lintra::video::PixelLayout pixels;
    if (!lintra::video::pixelLayoutFor(info.pixelFormat, pixels)) return;
    check(plainName(pixels.pipeFormat), "a pipe format ffmpeg would not take for a name");
    for (const char* output : {"a.mkv", "a.mp4", "a.avi", "a.ts"}) {
        const auto encoder = lintra::video::chooseEncoder(output, "", false);
        const auto plan = lintra::video::planVideo(info, pixels, encoder,
                                                   lintra::video::parseEncoderFormats(text));
        check(plan.frames.width == info.width && plan.frames.height == info.height,
              "the plan's frames are not the video's");
        check(plan.filters.find_first_of(";[]'\"\\ ") == std::string::npos,
              "a filter chain that could become another");
        check(plan.encoderOptions.size() % 2 == 0, "an option without its value");
        for (std::size_t i = 0; i < plan.encoderOptions.size(); i += 2) {
            check(plan.encoderOptions[i].rfind("-", 0) == 0, "an option that is not one");
            check(
                plan.encoderOptions[i + 1].rfind("-", 0) != 0 || plan.encoderOptions[i] == "-flags",
                "an option value that reads as an option");
        }
    }
}

void checkProbe(const std::string& text) {
    lintra::video::VideoInfo info;
    std::string error;
    if (!lintra::video::parseProbe(text, info, error)) {
        check(!error.empty(), "a refused probe without a message");
        return;
    }
    check(info.width >= 1 && info.width <= 65536 && info.height >= 1 && info.height <= 65536,
          "a size out of range");
    check(!info.rate.empty() && info.rate.find('/') != std::string::npos, "no usable rate");
    check(info.totalFrames >= 0 && info.announcedFrames >= 0, "a negative frame count");
    check(info.sarNum >= 0 && info.sarDen >= 0 && (info.sarNum == 0) == (info.sarDen == 0),
          "half an aspect ratio");
    for (const std::string* tag :
         {&info.tags.range, &info.tags.matrix, &info.tags.primaries, &info.tags.transfer,
          &info.tags.chromaLocation, &info.pixelFormat, &info.codec}) {
        check(plainName(*tag), "a tag that is not a plain name");
    }
    checkPlan(info, text);
}

void checkLogLines(const std::string& text) {
    std::istringstream lines(text);
    std::string line;
    while (std::getline(lines, line)) {
        const auto l = lintra::video::parseLogLine(line);
        if (l.kind == lintra::video::LogLine::Kind::frame) {
            check(l.width >= 1 && l.width <= 65536 && l.height >= 1 && l.height <= 65536,
                  "a frame line of impossible size");
        }
        if (l.kind == lintra::video::LogLine::Kind::problem) {
            check(l.text.size() <= line.size(), "a problem longer than its line");
        }
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    checkProbe(text);
    checkLogLines(text);
    for (const std::string& name : lintra::video::parseEncoderFormats(text)) {
        check(plainName(name), "an encoder format that is not a plain name");
        checkFormatName(name);
    }
    checkFormatName(text.substr(0, 24));
    lintra::video::PixelLayout layout;
    if (lintra::video::pixelLayoutFor(text.substr(0, 24), layout)) {
        check(plainName(layout.pipeFormat), "a pipe format that is not a plain name");
    }
    return 0;
}
