#include "cli/video_output.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace lintra::video {
namespace {

mode_t newFileMode() {
    const mode_t mask = umask(0);
    umask(mask);
    return static_cast<mode_t>(0666 & ~mask);
}

}  // namespace

bool createTempOutput(const std::string& path, OutputFile& out, std::string& error) {
    const auto slash = path.find_last_of('/');
    const std::string dir = slash == std::string::npos ? "" : path.substr(0, slash + 1);
    const std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    const auto dot = name.find_last_of('.');
    const bool hasExt = dot != std::string::npos && dot > 0;
    const std::string stem = hasExt ? name.substr(0, dot) : name;
    const std::string ext = hasExt ? name.substr(dot) : "";
    std::string pattern = dir + "." + stem + ".lintra-XXXXXX" + ext;
    const int fd = mkstemps(pattern.data(), static_cast<int>(ext.size()));
    if (fd < 0) {
        error = "cannot create a file beside " + path + ": " + std::strerror(errno);
        return false;
    }
    fchmod(fd, newFileMode());
    close(fd);
    out.path = path;
    out.tempPath = pattern;
    return true;
}

bool commitOutput(OutputFile& out, std::string& error) {
    if (rename(out.tempPath.c_str(), out.path.c_str()) != 0) {
        error = "cannot rename " + out.tempPath + " to " + out.path + ": " + std::strerror(errno);
        discardOutput(out);
        return false;
    }
    out.tempPath.clear();
    return true;
}

void discardOutput(OutputFile& out) {
    if (!out.tempPath.empty()) unlink(out.tempPath.c_str());
    out.tempPath.clear();
}

bool sameFile(const std::string& a, const std::string& b) {
    struct stat sa {
    }, sb{};
    return stat(a.c_str(), &sa) == 0 && stat(b.c_str(), &sb) == 0 && sa.st_dev == sb.st_dev &&
           sa.st_ino == sb.st_ino;
}

}  // namespace lintra::video
