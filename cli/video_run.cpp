#include "cli/video_run.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
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

std::vector<std::string> decoderArgs(const Tools& t, const VideoOptions& o) {
    return {t.ffmpeg, "-nostdin",  "-v",          "error", "-noautorotate", "-i",
            o.input,  "-map",      "0:V:0",       "-f",    "rawvideo",      "-pix_fmt",
            "bgr0",   "-fps_mode", "passthrough", "-"};
}

// The filtered frames come in as input 0; audio, subtitles, attachments, metadata and chapters
// are copied from the original, input 1.
std::vector<std::string> encoderArgs(const Tools& t, const VideoOptions& o, const VideoInfo& info,
                                     const EncoderChoice& encoder, const std::string& target) {
    std::vector<std::string> args = {t.ffmpeg,
                                     "-nostdin",
                                     "-v",
                                     "error",
                                     "-y",
                                     "-f",
                                     "rawvideo",
                                     "-pix_fmt",
                                     "bgr0",
                                     "-s",
                                     std::to_string(info.width) + "x" + std::to_string(info.height),
                                     "-r",
                                     info.rate,
                                     "-i",
                                     "-",
                                     "-i",
                                     o.input,
                                     "-map",
                                     "0:v",
                                     "-map",
                                     "1:a?",
                                     "-map",
                                     "1:s?",
                                     "-map",
                                     "1:t?",
                                     "-map_metadata",
                                     "1",
                                     "-map_chapters",
                                     "1",
                                     "-c:a",
                                     "copy",
                                     "-c:s",
                                     "copy",
                                     "-c:t",
                                     "copy"};
    args.insert(args.end(), encoder.args.begin(), encoder.args.end());
    args.push_back(target);
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
    std::string streamError;
    const bool streamed = filterFrameStream(
        stream, job.options.settings, job.options.threads,
        [&progress](std::int64_t n) { showProgress(progress, n); }, frames, streamError);
    endProgress(progress, frames);

    // Closing the encoder's input lets it finish the file; a decoder we no longer read from
    // is stopped.
    closeFd(job.encoderProcess.stdinFd);
    const std::string decoderText = childErrorText(job.decoder, kErrorLines);
    const int decoderStatus = streamed ? waitChild(job.decoder) : (stopChild(job.decoder), 0);
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
    if (!streamed) return streamError;
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
