#include "cli/raw_command.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>

#include "cli/png_io.h"
#include "cli/raw_pipeline.h"
#include "engine/frame_driver.h"

namespace lintra {
namespace {

struct RawStreams {
    int in = -1;
    int out = -1;
    std::string inName;
    std::string outName;
};

int fail(const std::string& message) {
    std::fprintf(stderr, "lintra: %s\n", message.c_str());
    return 1;
}

// Writing a file while reading it would destroy the input before it is read.
bool sameFile(const std::string& a, const std::string& b) {
    struct stat sa {};
    struct stat sb {};
    if (a == "-" || b == "-" || stat(a.c_str(), &sa) != 0 || stat(b.c_str(), &sb) != 0) {
        return false;
    }
    return sa.st_dev == sb.st_dev && sa.st_ino == sb.st_ino;
}

bool openStreams(const CliOptions& o, RawStreams& s, std::string& error) {
    s.inName = displayName(o.input, false);
    s.outName = displayName(o.output, true);
    s.in = o.input == "-" ? STDIN_FILENO : open(o.input.c_str(), O_RDONLY | O_CLOEXEC);
    if (s.in < 0) {
        error = s.inName + ": cannot open: " + std::strerror(errno);
        return false;
    }
    s.out = o.output == "-"
                ? STDOUT_FILENO
                : open(o.output.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    if (s.out < 0) {
        error = s.outName + ": cannot create: " + std::strerror(errno);
        return false;
    }
    return true;
}

// Returns false when the output could not be completed (close reports late write errors).
bool closeStreams(RawStreams& s) {
    if (s.in > STDERR_FILENO) close(s.in);
    return s.out <= STDERR_FILENO || close(s.out) == 0;
}

// One run for the whole stream; reading and writing overlap the filtering.
int filterStream(FilterInstance& instance, RawStreams& s, std::int32_t w, std::int32_t h) {
    const std::size_t frameBytes = static_cast<std::size_t>(w) * static_cast<std::size_t>(h) * 4;
    const PipeOutcome outcome =
        pipeFrames(s.in, s.out, frameBytes, [&](const std::uint8_t* in, std::uint8_t* out) {
            const FrameView source{const_cast<std::uint8_t*>(in), w, h, 0};
            runFrame(instance, source, FrameView{out, w, h, 0});
        });
    const std::string processed =
        " (" + std::to_string(outcome.frames) + " whole frames processed)";
    const std::string next = std::to_string(outcome.frames + 1);
    switch (outcome.end) {
        case PipeEnd::complete:
            return 0;
        case PipeEnd::partialFrame:
            return fail(s.inName + ": stream ended inside frame " + next + processed);
        case PipeEnd::readError:
            return fail(s.inName + ": read error in frame " + next + ": " +
                        std::strerror(outcome.errorNumber) + processed);
        case PipeEnd::writeError:
            return fail(s.outName + ": write error: " + std::strerror(outcome.errorNumber));
        case PipeEnd::noThreads:
            break;
    }
    return fail(std::string("cannot start threads: ") + std::strerror(outcome.errorNumber));
}

}  // namespace

int runRawCommand(const CliOptions& options) {
    if (sameFile(options.input, options.output)) {
        std::fprintf(stderr, "lintra: %s: INPUT and OUTPUT are the same file\n",
                     options.input.c_str());
        return 2;
    }
    RawStreams streams;
    std::string error;
    if (!openStreams(options, streams, error)) {
        closeStreams(streams);
        return fail(error);
    }
    FilterInstance instance{options.settings, nullptr, nullptr, nullptr};
    const FrameView shape{nullptr, options.rawWidth, options.rawHeight, 0};
    int status = 0;
    if (startRun(instance, shape, options.cpuCap) != 0) {
        status = fail("not enough memory for " + std::to_string(options.rawWidth) + "x" +
                      std::to_string(options.rawHeight) + " frames");
    } else {
        status = filterStream(instance, streams, options.rawWidth, options.rawHeight);
    }
    endRun(instance);
    if (!closeStreams(streams) && status == 0) {
        status = fail(streams.outName + ": write error: " + std::strerror(errno));
    }
    return status;
}

}  // namespace lintra
