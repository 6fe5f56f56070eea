#include "cli/video_run.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <initializer_list>
#include <vector>

#include "cli/video_codec.h"
#include "cli/video_damage.h"
#include "cli/video_decoder_log.h"
#include "cli/video_frames.h"
#include "cli/video_output.h"
#include "cli/video_pixel_format.h"
#include "cli/video_plan.h"
#include "cli/video_probe.h"
#include "cli/video_progress.h"
#include "cli/video_signals.h"
#include "cli/video_subprocess.h"

namespace lintra::video {
namespace {

constexpr std::size_t kErrorLines = 6;
constexpr double kLeastStartOffset = 0.0005;
constexpr const char* kKeepWhatDecodes = " (--accept-damaged writes what decodes)";

struct Tools {
    std::string ffmpeg;
    std::string ffprobe;
};

void say(const std::string& line) {
    std::fprintf(stderr, "lintra: %s\n", line.c_str());
}

int fail(const std::string& message) {
    say(message);
    return 1;
}

bool findTools(Tools& tools, std::string& error) {
    tools.ffmpeg = findInPath("ffmpeg");
    tools.ffprobe = findInPath("ffprobe");
    if (tools.ffmpeg.empty() || tools.ffprobe.empty()) {
        error = std::string(tools.ffmpeg.empty() ? "ffmpeg" : "ffprobe") +
                " not found (install it, e.g. apt-get install ffmpeg)";
        return false;
    }
    return true;
}

bool readableFile(const std::string& path, std::string& error) {
    const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        error = "cannot read " + path + ": " + std::strerror(errno);
        return false;
    }
    struct stat st {};
    const bool isDir = fstat(fd, &st) == 0 && S_ISDIR(st.st_mode);
    close(fd);
    if (isDir) error = path + " is a directory, not a video";
    return !isDir;
}

void append(std::vector<std::string>& args, std::initializer_list<std::string> more) {
    args.insert(args.end(), more.begin(), more.end());
}

// The pixel formats the encoder lists ({} for one that takes any, or that ffmpeg does not know:
// the encoder itself says so when it starts).
std::vector<std::string> encoderFormats(const Tools& t, const std::string& codec) {
    if (codec.empty()) return {};
    ChildProcess child;
    std::string error;
    if (!spawnChild({t.ffmpeg, "-hide_banner", "-h", "encoder=" + codec}, {false, true, false},
                    child, error)) {
        return {};
    }
    const std::string text = readAll(child.stdoutFd);
    waitChild(child);
    return parseEncoderFormats(text);
}

// One decode: the frames in their own planar format on stdout, a log line per frame (size,
// format, time) and the decoder's errors, tagged by level, on stderr.
std::vector<std::string> decoderArgs(const Tools& t, const VideoOptions& o, const VideoPlan& p) {
    std::vector<std::string> args = {t.ffmpeg, "-nostdin", "-hide_banner", "-nostats"};
    append(args, {"-loglevel", "level+info", "-noautorotate", "-i", localFile(o.input)});
    append(args, {"-map", "0:V:0", "-vf", kFrameInfoFilter});
    // Every decoded frame exactly once: the raw stream has no timestamps to keep.
    append(args, {"-fps_mode", "passthrough", "-f", "rawvideo", "-pix_fmt", p.decoderFormat, "-"});
    return args;
}

// The filtered frames come in as input 0; audio, subtitles, attachments, metadata and chapters
// are copied from the original, input 1.
std::vector<std::string> encoderArgs(const Tools& t, const VideoOptions& o, const VideoInfo& info,
                                     const VideoPlan& plan, const EncoderChoice& encoder,
                                     const std::string& target) {
    const std::string size = std::to_string(info.width) + "x" + std::to_string(info.height);
    std::vector<std::string> args = {t.ffmpeg, "-nostdin", "-v", "error", "-y"};
    append(args, {"-f", "rawvideo", "-pix_fmt", plan.pipeFormat, "-s", size, "-r", info.rate});
    append(args, {"-i", "-", "-i", localFile(o.input)});
    append(args, {"-map", "0:v", "-map", "1:a?", "-map", "1:s?", "-map", "1:t?"});
    append(args, {"-map_metadata", "1", "-map_chapters", "1"});
    append(args, {"-c:a", "copy", "-c:s", subtitleCodec(o.output), "-c:t", "copy"});
    std::string filters = plan.filters;
    // The raw frames carry no timestamps: a video that starts after the audio is put back
    // where it was (to the nearest frame), or the two would be that much apart.
    if (info.startOffset > kLeastStartOffset) {
        char shift[64];
        std::snprintf(shift, sizeof shift, "settb=AVTB,setpts=PTS+%.6f/TB", info.startOffset);
        filters += std::string(filters.empty() ? "" : ",") + shift;
    }
    if (!filters.empty()) append(args, {"-vf", filters});
    args.insert(args.end(), encoder.args.begin(), encoder.args.end());
    args.insert(args.end(), plan.encoderOptions.begin(), plan.encoderOptions.end());
    args.push_back(localFile(target));
    return args;
}

struct Job {
    explicit Job(const VideoOptions& o) : options(o) {}
    const VideoOptions& options;
    Tools tools;
    VideoInfo info;
    EncoderChoice encoder;
    VideoPlan plan;
    OutputFile output;
    ChildProcess decoder;
    ChildProcess encoderProcess;
    DecoderLog log;
    std::int64_t frames = 0;
    DamageReport damage;
};

// Each frame as the decoder's log describes it: the size and format the video began with,
// and (unless damage is accepted) no decoder error so far.
std::string checkFrame(Job& job, std::int64_t index) {
    FrameNote note;
    const VideoInfo& info = job.info;
    if (job.log.frame(index, note)) {
        const std::string at = " at frame " + std::to_string(index + 1);
        if (note.width != info.width || note.height != info.height) {
            return job.options.input + ": the frame size changes" + at + " from " +
                   std::to_string(info.width) + "x" + std::to_string(info.height) + " to " +
                   std::to_string(note.width) + "x" + std::to_string(note.height) +
                   "; lintra video needs one size throughout (cut the video where it changes)";
        }
        if (!note.pixelFormat.empty() && note.pixelFormat != info.pixelFormat) {
            return job.options.input + ": the pixel format changes" + at + " from " +
                   info.pixelFormat + " to " + note.pixelFormat +
                   "; lintra video needs one format throughout (cut the video where it changes)";
        }
    }
    if (!job.options.acceptDamaged) {
        const LogSummary log = job.log.summary();
        if (log.problems > 0) {
            return job.options.input + ": the decoder reported an error " + firstProblem(log) +
                   kKeepWhatDecodes;
        }
    }
    return "";
}

// Runs both ffmpeg processes around the frame stream. Returns "" on success, else the message.
std::string transcode(Job& job) {
    std::string error;
    if (!spawnChild(decoderArgs(job.tools, job.options, job.plan), {false, true, true}, job.decoder,
                    error)) {
        return error;
    }
    job.log.start(job.decoder.stderrFd);
    job.decoder.stderrFd = -1;  // the log closes it
    if (!spawnChild(encoderArgs(job.tools, job.options, job.info, job.plan, job.encoder,
                                job.output.tempPath),
                    {true, false, false}, job.encoderProcess, error)) {
        stopChild(job.decoder);
        return error;
    }
    ProgressDisplay progress = startProgress(job.info.totalFrames);
    signalLineAfterBar(progress.terminal);
    const FrameStream stream{job.decoder.stdoutFd, job.encoderProcess.stdinFd, job.plan.frames};
    const StreamOutcome outcome = filterFrameStream(
        stream, job.options.settings, job.options.threads,
        [&progress](std::int64_t n) { showProgress(progress, n); }, job.options.cpuCap,
        [&job](std::int64_t index) { return checkFrame(job, index); });
    job.frames = outcome.frames;
    endProgress(progress, job.frames);
    signalLineAfterBar(false);

    // Closing the encoder's input lets it finish the file. A decoder that still has frames to
    // give is stopped; one that ended is asked how it ended.
    closeFd(job.encoderProcess.stdinFd);
    closeFd(job.decoder.stdoutFd);
    const bool decoderEnded = outcome.ok || (outcome.inputFailed && !outcome.refused);
    const int decoderStatus = decoderEnded ? waitChild(job.decoder) : (stopChild(job.decoder), 0);
    job.log.finish();
    if (outcome.refused) {
        stopChild(job.encoderProcess);
        return outcome.error;
    }
    const std::string encoderText = childErrorText(job.encoderProcess, kErrorLines);
    const int encoderStatus = waitChild(job.encoderProcess);
    const LogSummary log = job.log.summary();

    if (encoderStatus != 0) {
        return "ffmpeg failed while encoding " + job.options.output +
               (encoderText.empty() ? "" : ":\n" + encoderText);
    }
    const bool decoderFailed = decoderStatus != 0;
    if (decoderFailed && (!job.options.acceptDamaged || outcome.framesRead == 0)) {
        return "ffmpeg failed while decoding " + job.options.input +
               (log.recent.empty() ? "" : ":\n" + lastLines(log.recent, kErrorLines));
    }
    if (!outcome.ok) return outcome.error;
    if (job.frames == 0) return job.options.input + ": no frame could be decoded";
    job.damage = assessDamage(job.info, log, outcome.framesRead, decoderFailed);
    if (job.damage.damaged && !job.options.acceptDamaged) {
        return job.options.input + " is damaged: " + job.damage.text + kKeepWhatDecodes;
    }
    return "";
}

// Says what the output does not record that the plan gave it (a container without a place for
// it); the video itself is complete.
void checkOutput(Job& job) {
    VideoInfo written;
    std::string text, error;
    if (!runProbe(job.tools.ffprobe, job.output.tempPath, text, error) ||
        !parseProbe(text, written, error)) {
        return;
    }
    const std::string missing = missingFromOutput(job.plan, job.info, written);
    if (!missing.empty()) {
        say("note: " + job.options.output + " does not record the input's " + missing +
            " (its container or codec keeps no such tag; .mkv keeps them all)");
    }
    if (written.pixelFormat.empty()) return;
    if (job.plan.output.encoderFormat.empty()) {
        // ffmpeg chose the format: what that reduced, judged as lintra's own choice is.
        job.plan.output = chooseOutputFormat(job.plan.frames.format, {written.pixelFormat}, true,
                                             false);
    }
    job.plan.output.encoderFormat = written.pixelFormat;
}

std::string outputFormatText(const Job& job) {
    const FormatChoice& out = job.plan.output;
    if (out.encoderFormat.empty()) return "";
    std::string text = ", " + out.encoderFormat;
    planar::Format written{};
    if (planarFormatOf(out.encoderFormat, written)) text += " (" + describeFormat(written) + ")";
    if (out.reduced()) {
        text += ", reduced from " + describeFormat(job.plan.frames.format) + ":";
        if (out.reducedChroma) text += " fewer chroma samples";
        if (out.reducedDepth) text += std::string(out.reducedChroma ? "," : "") + " fewer bits";
        if (out.convertedColours) {
            text += std::string(out.reducedChroma || out.reducedDepth ? "," : "") +
                    " converted between RGB and Y'CbCr";
        }
    }
    return text;
}

}  // namespace

int runVideo(const VideoOptions& options) {
    const auto start = std::chrono::steady_clock::now();
    // A stopped encoder must show up as a failed write, not end this process.
    signal(SIGPIPE, SIG_IGN);
    armSignalCleanup();
    Job job(options);
    std::string error;
    if (!findTools(job.tools, error) || !readableFile(options.input, error)) return fail(error);
    if (sameFile(options.input, options.output)) {
        return fail("the output " + options.output + " is the input; choose another name");
    }
    if (!probeVideo(job.tools.ffprobe, options.input, job.info, error)) {
        return fail(options.input + ": " + error);
    }
    PixelLayout pixels;
    if (!pixelLayoutFor(job.info.pixelFormat, pixels)) {
        return fail(options.input + ": the video's pixel format is unknown");
    }
    job.encoder = chooseEncoder(options.output, options.codec, options.keepFormat);
    job.plan =
        planVideo(job.info, pixels, job.encoder, encoderFormats(job.tools, job.encoder.codec));
    say(options.input + ": " + describeInput(job.info, job.plan));
    for (const std::string& note : job.plan.notes) say(note);
    if (!createTempOutput(options.output, job.output, error)) return fail(error);
    setPendingOutput(job.output.tempPath);

    error = transcode(job);
    if (error.empty()) checkOutput(job);
    if (error.empty()) commitOutput(job.output, error);
    setPendingOutput("");
    disarmSignalCleanup();
    if (!error.empty()) {
        discardOutput(job.output);
        return fail(error + "\nlintra: no output written");
    }
    if (job.damage.damaged) {
        say("warning: " + options.input + " is damaged: " + job.damage.text +
            "; the output holds the " + std::to_string(job.frames) + " frames that decoded");
    }
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    std::fprintf(stderr, "lintra: wrote %s: %lld frames of %dx%d, %s%s, %.1f s\n",
                 options.output.c_str(), static_cast<long long>(job.frames), job.info.width,
                 job.info.height, job.encoder.summary.c_str(), outputFormatText(job).c_str(),
                 seconds);
    return 0;
}

}  // namespace lintra::video
