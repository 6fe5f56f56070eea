#include "cli/suggest_command.h"

#include <cstdio>
#include <cstring>
#include <vector>

#include "cli/png_io.h"
#include "cli/suggest_input.h"
#include "cli/suggest_report.h"
#include "frontend/settings_options.h"
#include "persistence/config_line.h"

namespace lintra {
namespace {

constexpr int kUsageError = 2;
constexpr std::int32_t kDefaultFrames = 8;
constexpr std::int32_t kMaxFrames = 1000;
constexpr std::size_t kConfigLineLength = 64;

const char* suggestHelpText() {
    return R"HELP(Usage: lintra suggest INPUT [--frames N] [--report FILE.png]

Measures the line-alternating patterns of a capture (a PNG picture, or a video that ffmpeg
can decode: N frames spread over it) and prints the settings it recommends, as options and
as a "Config(...)" line, with the measurements behind them.

Options:
  --frames N         frames to measure from a video, 1..1000 (default 8)
  --report FILE.png  also write a picture of the measurements: departure histograms for
                     adjacent lines (left) and lines two apart (right), and the first
                     sample frame in test mode with the recommended settings
  -h, --help         this text

Use the result with 'lintra', 'lintra video' (or 'lintra video --suggest', which does both
steps), the frei0r plug-in's settings text or the VapourSynth plug-in's settings argument.
Exit status: 0 success, 1 the input cannot be read, 2 usage error.
)HELP";
}

struct SuggestLine {
    bool help = false;
    std::string input;
    std::string report;
    std::int32_t frames = kDefaultFrames;
};

bool parseSuggestLine(int argc, char** argv, SuggestLine& line, std::string& error) {
    for (int i = 2; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "-h" || arg == "--help") {
            line.help = true;
            return true;
        }
        const bool frames = arg == "--frames" || arg.rfind("--frames=", 0) == 0;
        const bool report = arg == "--report" || arg.rfind("--report=", 0) == 0;
        if (frames || report) {
            const std::string name = frames ? "--frames" : "--report";
            std::string value;
            if (arg.size() > name.size()) {
                value = arg.substr(name.size() + 1);
            } else if (i + 1 < argc) {
                value = argv[++i];
            } else {
                error = name + " needs a value";
                return false;
            }
            if (report) {
                if (value.empty()) {
                    error = "--report needs a file name";
                    return false;
                }
                line.report = value;
            } else if (!parseSettingNumber(value.c_str(), line.frames) || line.frames < 1 ||
                       line.frames > kMaxFrames) {
                error = "--frames needs a number from 1 to 1000, got '" + value + "'";
                return false;
            }
            continue;
        }
        if (arg.size() > 1 && arg[0] == '-') {
            error = "unknown option '" + arg + "' (try 'lintra suggest --help')";
            return false;
        }
        if (!line.input.empty()) {
            error = "one INPUT only (try 'lintra suggest --help')";
            return false;
        }
        line.input = arg;
    }
    if (line.input.empty()) {
        error = "missing INPUT (try 'lintra suggest --help')";
        return false;
    }
    if (line.input == "-") {
        error = "lintra suggest needs a file; '-' (standard input) is not supported";
        return false;
    }
    return true;
}

std::string configText(const FilterSettings& settings) {
    char line[kConfigLineLength] = {};
    formatConfig(settings, line, sizeof line);
    return line;
}

std::string number(double v) {
    char text[32];
    std::snprintf(text, sizeof text, "%.1f", v);
    return text;
}

std::string percent(double share) {
    return number(100.0 * share) + " %";
}

}  // namespace

std::string suggestionOptions(const Suggestion& s) {
    const FilterSettings& f = s.settings;
    return std::string(f.interlaced != 0 ? "--interlaced" : "--progressive") + " --luma-length " +
           std::to_string(f.yAverage) + " --luma-threshold " +
           std::to_string(f.yVerticalThreshold) + " --chroma-length " +
           std::to_string(f.uvAverage) + " --chroma-threshold " +
           std::to_string(f.uvVerticalThreshold);
}

std::string suggestionMeasurements(const SuggestStats& stats, const Suggestion& s) {
    std::string text = "measured: " + std::to_string(stats.frames) +
                       (stats.frames == 1 ? " frame" : " frames") + " of " +
                       std::to_string(stats.width) + "x" + std::to_string(stats.height) +
                       "; pixels that look like a line pattern at line distance 1 / 2: luma " +
                       percent(s.lumaShare[0]) + " / " + percent(s.lumaShare[1]) + ", chroma " +
                       percent(s.chromaShare[0]) + " / " + percent(s.chromaShare[1]) + "\n";
    const std::string at = " at distance " + std::to_string(s.distance);
    text += s.lumaPattern ? "luma pattern" + at + ": 90 % of it within " + number(s.lumaAmplitude) +
                                " steps, sign kept along the line over " +
                                std::to_string(s.lumaRun) + " pixels"
                          : std::string("no luma pattern");
    text += s.chromaPattern ? "; chroma pattern" + at + ": 99 % of it within " +
                                  number(s.chromaAmplitude) + " steps"
                            : std::string("; no chroma pattern");
    if (!s.lumaPattern && !s.chromaPattern) text += ": thresholds 0 leave the picture as it is";
    return text + "\n";
}

bool suggestForInput(const std::string& input, std::int32_t frames, SuggestStats& stats,
                     Suggestion& suggestion, std::string& error, Picture* firstFrame) {
    std::vector<Picture> pictures;
    if (!readSampleFrames(input, frames, pictures, error)) return false;
    std::vector<Triplet> work;
    for (const Picture& p : pictures) addSuggestFrame(p, stats, work);
    suggestion = suggestSettings(stats);
    if (firstFrame != nullptr) *firstFrame = std::move(pictures.front());
    return true;
}

bool applySuggestion(const std::string& input, FilterSettings& settings, std::string& error) {
    SuggestStats stats;
    Suggestion suggestion;
    if (!suggestForInput(input, kDefaultFrames, stats, suggestion, error)) return false;
    const std::int32_t testMode = settings.testMode;
    settings = suggestion.settings;
    settings.testMode = testMode;
    std::fprintf(stderr, "lintra: suggested %s\n%s", suggestionOptions(suggestion).c_str(),
                 suggestionMeasurements(stats, suggestion).c_str());
    return true;
}

int runSuggestCommand(int argc, char** argv) {
    SuggestLine line;
    std::string error;
    if (!parseSuggestLine(argc, argv, line, error)) {
        std::fprintf(stderr, "lintra: %s\n", error.c_str());
        return kUsageError;
    }
    if (line.help) {
        std::fputs(suggestHelpText(), stdout);
        return 0;
    }
    SuggestStats stats;
    Suggestion suggestion;
    Picture sample;
    if (!suggestForInput(line.input, line.frames, stats, suggestion, error, &sample)) {
        std::fprintf(stderr, "lintra: %s\n", error.c_str());
        return 1;
    }
    std::printf("options: %s\n%s\n%s", suggestionOptions(suggestion).c_str(),
                configText(suggestion.settings).c_str(),
                suggestionMeasurements(stats, suggestion).c_str());
    if (!line.report.empty() &&
        !writePng(line.report, suggestReport(stats, suggestion, sample), error)) {
        std::fprintf(stderr, "lintra: %s\n", error.c_str());
        return 1;
    }
    return 0;
}

}  // namespace lintra
