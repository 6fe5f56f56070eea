#include "cli/raw_command.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "cli/png_io.h"
#include "cli/raw_stream.h"
#include "engine/frame_driver.h"

namespace lintra {
namespace {

struct RawStreams {
    std::FILE* in = nullptr;
    std::FILE* out = nullptr;
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
    s.in = o.input == "-" ? stdin : std::fopen(o.input.c_str(), "rb");
    if (s.in == nullptr) {
        error = s.inName + ": cannot open: " + std::strerror(errno);
        return false;
    }
    s.out = o.output == "-" ? stdout : std::fopen(o.output.c_str(), "wb");
    if (s.out == nullptr) {
        error = s.outName + ": cannot create: " + std::strerror(errno);
        return false;
    }
    return true;
}

// Returns false when the output could not be completed (fclose flushes the last bytes).
bool closeStreams(RawStreams& s) {
    if (s.in != nullptr && s.in != stdin) std::fclose(s.in);
    bool ok = true;
    if (s.out != nullptr) ok = std::fflush(s.out) == 0;
    if (s.out != nullptr && s.out != stdout) ok = (std::fclose(s.out) == 0) && ok;
    return ok;
}

// The frame loop: one run for the whole stream, every frame read whole before it is
// filtered and written whole.
int filterStream(FilterInstance& instance, RawStreams& s, std::int32_t w, std::int32_t h) {
    const std::size_t frameBytes = static_cast<std::size_t>(w) * static_cast<std::size_t>(h) * 4;
    std::vector<std::uint8_t> in(frameBytes);
    std::vector<std::uint8_t> out(frameBytes);
    const FrameView source{in.data(), w, h, 0};
    const FrameView destination{out.data(), w, h, 0};
    for (long frames = 0;; ++frames) {
        const std::size_t got = readFully(s.in, in.data(), frameBytes);
        if (got == 0 && std::ferror(s.in) == 0) return 0;
        if (std::ferror(s.in) != 0) {
            return fail(s.inName + ": read error in frame " + std::to_string(frames + 1) + ": " +
                        std::strerror(errno) + " (" + std::to_string(frames) +
                        " whole frames processed)");
        }
        if (got < frameBytes) {
            return fail(s.inName + ": stream ended inside frame " + std::to_string(frames + 1) +
                        " (" + std::to_string(frames) + " whole frames processed)");
        }
        runFrame(instance, source, destination);
        if (!writeFully(s.out, out.data(), frameBytes)) {
            return fail(s.outName + ": write error: " + std::strerror(errno));
        }
    }
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
