#include "cli/png_command.h"

#include <cstdio>
#include <string>

#include "cli/png_io.h"
#include "engine/frame_driver.h"

namespace lintra {

bool filterPicture(const FilterSettings& settings, Picture& picture, CpuLevel cap) {
    FilterInstance instance{settings, nullptr, nullptr, nullptr};
    Picture result;
    resizePicture(result, picture.width, picture.height);
    const FrameView source = frameOf(picture);
    bool ok = startRun(instance, source, cap) == 0;
    if (ok) ok = runFrame(instance, source, frameOf(result)) == 0;
    endRun(instance);
    if (!ok) return false;
    picture.bgrx.swap(result.bgrx);
    return true;
}

int runPngCommand(const CliOptions& options) {
    Picture picture;
    std::string error;
    if (!readPng(options.input, picture, error)) {
        std::fprintf(stderr, "lintra: %s\n", error.c_str());
        return 1;
    }
    if (!filterPicture(options.settings, picture, options.cpuCap)) {
        std::fprintf(stderr, "lintra: %s: not enough memory to filter a %dx%d picture\n",
                     displayName(options.input, false).c_str(), picture.width, picture.height);
        return 1;
    }
    if (!writePng(options.output, picture, error)) {
        std::fprintf(stderr, "lintra: %s\n", error.c_str());
        return 1;
    }
    return 0;
}

}  // namespace lintra
