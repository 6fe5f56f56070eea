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
#include "cli/video_frames.h"
#include "cli/video_output.h"
#include "cli/video_probe.h"
#include "cli/video_progress.h"
#include "cli/video_subprocess.h"

namespace lintra::video {
namespace {

constexpr std::size_t kErrorLines = 6;
constexpr double kLeastStartOffset = 0.0005;

struct Tools {
    std::string ffmpeg;
    std::string ffprobe;
};

int fail(const std::string& message) {
    std::fprintf(stderr, "lintra: %s\n", message.c_str());
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

std::vector<std::string> decoderArgs(const Tools& t, const VideoOptions& o) {
    std::vector<std::string> args = {t.ffmpeg, "-nostdin", "-v", "error"};
    append(args, {"-noautorotate", "-i", localFile(o.input), "-map", "0:V:0"});
    // Every decoded frame exactly once: the raw stream has no timestamps to keep.
    append(args, {"-fps_mode", "passthrough", "-f", "rawvideo", "-pix_fmt", "bgr0", "-"});
    return args;
}

// The filtered frames come in as input 0; audio, subtitles, attachments, metadata and chapters
// are copied from the original, input 1.
std::vector<std::string> encoderArgs(const Tools& t, const VideoOptions& o, const VideoInfo& info,
                                     const EncoderChoice& encoder, const std::string& target) {
    const std::string size = std::to_string(info.width) + "x" + std::to_string(info.height);
    std::vector<std::string> args = {t.ffmpeg, "-nostdin", "-v", "error", "-y"};
    append(args, {"-f", "rawvideo", "-pix_fmt", "bgr0", "-s", size, "-r", info.rate, "-i", "-"});
    append(args, {"-i", localFile(o.input)});
    append(args, {"-map", "0:v", "-map", "1:a?", "-map", "1:s?", "-map", "1:t?"});
    append(args, {"-map_metadata", "1", "-map_chapters", "1"});
    append(args, {"-c:a", "copy", "-c:s", subtitleCodec(o.output), "-c:t", "copy"});
    // The raw frames carry no timestamps: a video that starts after the audio is put back
    // where it was (to the nearest frame), or the two would be that much apart.
    if (info.startOffset > kLeastStartOffset) {
        char shift[64];
        std::snprintf(shift, sizeof shift, "settb=AVTB,setpts=PTS+%.6f/TB", info.startOffset);
        append(args, {"-vf", shift});
    }
    args.insert(args.end(), encoder.args.begin(), encoder.args.end());
    args.push_back(localFile(target));
    return args;
}

struct Job {
    const VideoOptions& options;
    Tools tools;
    VideoInfo info;
    EncoderChoice encoder;
    OutputFile output;
    ChildProcess decoder;
    ChildProcess encoderProcess;
};

// Runs both ffmpeg processes around the frame stream. Returns "" on success, else the message.
std::string transcode(Job& job, std::int64_t& frames) {
    std::string error;
    if (!spawnChild(decoderArgs(job.tools, job.options), false, true, job.decoder, error)) {
        return error;
    }
    if (!spawnChild(encoderArgs(job.tools, job.options, job.info, job.encoder, job.output.tempPath),
                    true, false, job.encoderProcess, error)) {
        stopChild(job.decoder);
        return error;
    }
    ProgressDisplay progress = startProgress(job.info.totalFrames);
    const FrameStream stream{job.decoder.stdoutFd, job.encoderProcess.stdinFd, job.info.width,
                             job.info.height};
    const StreamOutcome outcome = filterFrameStream(
        stream, job.options.settings, job.options.threads,
        [&progress](std::int64_t n) { showProgress(progress, n); }, job.options.cpuCap);
    frames = outcome.frames;
    endProgress(progress, frames);

    // Closing the encoder's input lets it finish the file. A decoder that still has frames to
    // give is stopped; one that ended is asked how it ended.
    closeFd(job.encoderProcess.stdinFd);
    closeFd(job.decoder.stdoutFd);
    const bool decoderEnded = outcome.ok || outcome.inputFailed;
    const std::string decoderText = childErrorText(job.decoder, kErrorLines);
    const int decoderStatus = decoderEnded ? waitChild(job.decoder) : (stopChild(job.decoder), 0);
    const std::string encoderText = childErrorText(job.encoderProcess, kErrorLines);
    const int encoderStatus = waitChild(job.encoderProcess);

    if (encoderStatus != 0) {
        return "ffmpeg failed while encoding " + job.options.output +
               (encoderText.empty() ? "" : ":\n" + encoderText);
    }
    if (decoderStatus != 0) {
        return "ffmpeg failed while decoding " + job.options.input +
               (decoderText.empty() ? "" : ":\n" + decoderText);
    }
    if (!outcome.ok) return outcome.error;
    if (frames == 0) return job.options.input + ": no frame could be decoded";
    return "";
}

}  // namespace

int runVideo(const VideoOptions& options) {
    const auto start = std::chrono::steady_clock::now();
    // A stopped encoder must show up as a failed write, not end this process.
    signal(SIGPIPE, SIG_IGN);
    Job job{options, {}, {}, {}, {}, {}, {}};
    std::string error;
    if (!findTools(job.tools, error) || !readableFile(options.input, error)) return fail(error);
    if (sameFile(options.input, options.output)) {
        return fail("the output " + options.output + " is the input; choose another name");
    }
    if (!probeVideo(job.tools.ffprobe, options.input, job.info, error)) {
        return fail(options.input + ": " + error);
    }
    job.encoder = chooseEncoder(options.output, options.codec);
    if (!createTempOutput(options.output, job.output, error)) return fail(error);
    removeOnSignal(job.output);

    std::int64_t frames = 0;
    error = transcode(job, frames);
    if (error.empty()) commitOutput(job.output, error);
    keepOnSignal();
    if (!error.empty()) {
        discardOutput(job.output);
        return fail(error + "\nlintra: no output written");
    }
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    std::fprintf(stderr, "lintra: wrote %s: %lld frames of %dx%d, %s, %.1f s\n",
                 options.output.c_str(), static_cast<long long>(frames), job.info.width,
                 job.info.height, job.encoder.summary.c_str(), seconds);
    return 0;
}

}  // namespace lintra::video
