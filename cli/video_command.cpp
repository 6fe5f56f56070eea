#include "cli/video_command.h"

#include <algorithm>
#include <cstdio>
#include <string>
#include <thread>
#include <vector>

#include "cli/cli_options.h"
#include "cli/suggest_command.h"
#include "frontend/cpu_environment.h"
#include "frontend/settings_options.h"
#include "cli/video_run.h"
#include "persistence/config_line.h"

namespace lintra {
namespace {

constexpr int kUsageError = 2;
constexpr std::int32_t kMaxThreads = 256;
constexpr std::size_t kConfigLineLength = 64;

const char* videoHelpText() {
    return R"HELP(Usage: lintra video INPUT OUTPUT [options]

Filters every frame of a video file with ffmpeg and ffprobe (from PATH) as helpers. The video
is decoded once, in its own pixel format; the filter works on an 8-bit RGB view of each frame
(made with the video's own matrix and range), and only its correction is carried back into the
frame, at the frame's own bit depth and chroma layout: pixels the filter leaves alone come out
exactly as they went in. The output keeps the input's pixel format where the encoder can hold
it, its range, colour tags, chroma siting, sample aspect ratio and field order (interlaced
input is coded interlaced); audio, subtitles, attachments, metadata and chapters are copied.
The output appears only when everything succeeded.

Options:
  --codec NAME      video encoder for OUTPUT, as ffmpeg names it. Without it the extension
                    decides: .mkv .mov .mp4 .m4v: libx264, crf 16; .webm: libvpx-vp9, crf 20;
                    .avi .nut: ffv1 (lossless); others: the container's default. A format the
                    encoder cannot hold is reduced to the nearest it can, and said so.
                    ffv1 and rawvideo keep the filtered frames bit for bit.
  --keep-format     .mp4, .m4v and .webm are written 8-bit 4:2:0 so that every player plays
                    them; with this they keep the input's format as other outputs do
  --accept-damaged  a damaged input (decoder errors, frames missing before the end the file
                    announces) is filtered as far as it decodes, with a warning; without it
                    lintra video stops with the decoder's message and writes nothing
  --threads N       filter N frames at once on N filter instances, 1..256 (default: the
                    number of processor cores); the output does not depend on N
  --print-config    print the resulting "Config(...)" line to standard error
  --suggest         settings from 'lintra suggest' on INPUT, in place of the other settings
                    options (--test-mode is kept)
  -h, --help        this text
  Settings: every settings option of 'lintra' (--config, --rgb, --progressive, --test-mode,
  --luma-length, ... see 'lintra --help'); --cpu=LEVEL as there.

Progress goes to standard error: a bar on a terminal, otherwise one line per second.
Exit status: 0 success, 1 failure (no output written), 2 usage error; SIGINT, SIGTERM and
SIGHUP stop ffmpeg, remove the partial output and end lintra by the signal (128 + its number).

Examples:
  lintra video capture.avi clean.mkv
  lintra video --progressive --luma-threshold 8 capture.mkv clean.mp4
  lintra video capture.mkv master.mkv --codec ffv1 --threads 4
)HELP";
}

struct VideoCommandLine {
    bool help = false;
    bool printConfig = false;
    bool suggest = false;
    video::VideoOptions options;
};

// The value of --name VALUE or --name=VALUE at argv[i]; advances i past a separate value.
bool optionValue(const std::string& name, int argc, char** argv, int& i, std::string& value,
                 bool& matched) {
    const std::string arg = argv[i];
    matched = arg == name || arg.rfind(name + "=", 0) == 0;
    if (!matched) return true;
    if (arg.size() > name.size()) {
        value = arg.substr(name.size() + 1);
        return true;
    }
    if (i + 1 >= argc) return false;
    value = argv[++i];
    return true;
}

bool parseThreads(const std::string& text, int& threads, std::string& error) {
    std::int32_t n = 0;
    if (!parseSettingNumber(text.c_str(), n) || n < 1 || n > kMaxThreads) {
        error = "--threads needs a number from 1 to 256, got '" + text + "'";
        return false;
    }
    threads = n;
    return true;
}

std::string withVideoHint(std::string error) {
    const std::string general = "(try 'lintra --help')";
    const auto at = error.find(general);
    if (at != std::string::npos) error.replace(at, general.size(), "(try 'lintra video --help')");
    return error;
}

// Settings options and files go to the command's own parser; only what video adds is taken
// out first.
bool parseVideoCommandLine(int argc, char** argv, VideoCommandLine& line, std::string& error) {
    const unsigned cores = std::thread::hardware_concurrency();
    line.options.threads =
        cores == 0 ? 1 : static_cast<int>(std::min<unsigned>(cores, kMaxThreads));
    std::vector<const char*> rest = {argv[0]};
    bool optionsEnded = false;
    for (int i = 2; i < argc; ++i) {
        const std::string arg = argv[i];
        if (optionsEnded || arg == "--") {
            optionsEnded = true;
            rest.push_back(argv[i]);
            continue;
        }
        if (arg == "-h" || arg == "--help") {
            line.help = true;
            return true;
        }
        if (arg == "--suggest") {
            line.suggest = true;
            continue;
        }
        if (arg == "--keep-format" || arg == "--accept-damaged") {
            (arg == "--keep-format" ? line.options.keepFormat : line.options.acceptDamaged) = true;
            continue;
        }
        std::string value;
        bool matched = false;
        for (const char* name : {"--codec", "--threads"}) {
            if (!optionValue(name, argc, argv, i, value, matched)) {
                error = std::string(name) + " needs a value";
                return false;
            }
            if (!matched) continue;
            if (std::string(name) == "--threads") {
                if (!parseThreads(value, line.options.threads, error)) return false;
            } else if (value.empty()) {
                error = "--codec needs an encoder name";
                return false;
            } else {
                line.options.codec = value;
            }
            break;
        }
        if (!matched) rest.push_back(argv[i]);
    }
    CliOptions cli;
    if (!parseCommandLine(static_cast<int>(rest.size()), rest.data(), cli, error)) {
        error = withVideoHint(error);
        return false;
    }
    if (cli.action == CliAction::help) {
        line.help = true;
        return true;
    }
    if (cli.action != CliAction::filter) {
        error = cli.action == CliAction::printConfig
                    ? "missing INPUT and OUTPUT (try 'lintra video --help')"
                    : "--write-sample, --write-clean-sample and --measure are not options of "
                      "lintra video";
        return false;
    }
    if (cli.raw) {
        error = "--size is not an option of lintra video: the frame size comes from the input";
        return false;
    }
    if (cli.input == "-" || cli.output == "-") {
        error = "lintra video needs files; '-' (standard input or output) is not supported";
        return false;
    }
    line.printConfig = cli.printConfig;
    line.options.input = cli.input;
    line.options.output = cli.output;
    line.options.settings = cli.settings;
    line.options.cpuCap = cli.cpuCap;
    if (!cli.cpuGiven) return cpuCapFromEnvironment(line.options.cpuCap, error);
    return true;
}

}  // namespace

int runVideoCommand(int argc, char** argv) {
    VideoCommandLine line;
    std::string error;
    if (!parseVideoCommandLine(argc, argv, line, error)) {
        std::fprintf(stderr, "lintra: %s\n", error.c_str());
        return kUsageError;
    }
    if (line.help) {
        std::fputs(videoHelpText(), stdout);
        return 0;
    }
    if (line.suggest && !applySuggestion(line.options.input, line.options.settings, error)) {
        std::fprintf(stderr, "lintra: %s\n", error.c_str());
        return 1;
    }
    if (line.printConfig) {
        char config[kConfigLineLength] = {};
        formatConfig(line.options.settings, config, sizeof config);
        std::fprintf(stderr, "%s\n", config);
    }
    return video::runVideo(line.options);
}

}  // namespace lintra
