#include "cli/atomic_output.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <vector>

namespace lintra {
namespace {

std::string reason() {
    return std::strerror(errno);
}

// mkstemp creates the file with mode 0600; a finished output gets the usual mode instead.
void giveUsualMode(int fd) {
    const mode_t mask = umask(0);
    umask(mask);
    (void)fchmod(fd, static_cast<mode_t>(0666 & ~mask));
}

}  // namespace

bool openAtomicOutput(const std::string& path, AtomicOutput& out, std::string& error) {
    out.path = path;
    const std::string pattern = path + ".lintra-XXXXXX";
    std::vector<char> name(pattern.begin(), pattern.end());
    name.push_back('\0');
    const int fd = mkstemp(name.data());
    if (fd < 0) {
        error = path + ": cannot create output: " + reason();
        return false;
    }
    giveUsualMode(fd);
    out.tempPath = name.data();
    out.file = fdopen(fd, "wb");
    if (out.file == nullptr) {
        error = path + ": cannot create output: " + reason();
        close(fd);
        std::remove(out.tempPath.c_str());
        return false;
    }
    return true;
}

bool commitAtomicOutput(AtomicOutput& out, std::string& error) {
    const bool written = std::fflush(out.file) == 0 && std::ferror(out.file) == 0;
    const int savedErrno = errno;
    const bool closed = std::fclose(out.file) == 0;
    out.file = nullptr;
    if (!written || !closed) {
        if (!written) errno = savedErrno;
        error = out.path + ": cannot write output: " + reason();
        std::remove(out.tempPath.c_str());
        return false;
    }
    if (std::rename(out.tempPath.c_str(), out.path.c_str()) != 0) {
        error = out.path + ": cannot write output: " + reason();
        std::remove(out.tempPath.c_str());
        return false;
    }
    return true;
}

void abandonAtomicOutput(AtomicOutput& out) {
    if (out.file != nullptr) std::fclose(out.file);
    out.file = nullptr;
    if (!out.tempPath.empty()) std::remove(out.tempPath.c_str());
}

}  // namespace lintra
