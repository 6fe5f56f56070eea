#include "cli/sample_command.h"

#include <cstdio>
#include <string>

#include "cli/pattern_strength.h"
#include "cli/png_io.h"
#include "cli/sample_picture.h"

namespace lintra {

int runWriteSample(const CliOptions& options) {
    Picture picture;
    makeSamplePicture(picture, !options.cleanSample);
    std::string error;
    if (!writePng(options.output, picture, error)) {
        std::fprintf(stderr, "lintra: %s\n", error.c_str());
        return 1;
    }
    return 0;
}

int runMeasure(const CliOptions& options) {
    Picture picture;
    std::string error;
    if (!readPng(options.output, picture, error)) {
        std::fprintf(stderr, "lintra: %s\n", error.c_str());
        return 1;
    }
    const std::int32_t n = options.settings.interlaced != 0 ? 2 : 1;
    std::printf("%.2f\n", patternStrength(frameOf(picture), n));
    return 0;
}

}  // namespace lintra
