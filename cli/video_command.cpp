#include "cli/video_command.h"

#include <cstdio>

namespace lintra {

// Placeholder until a build with video support replaces this file.
int runVideoCommand(int /*argc*/, char** /*argv*/) {
    std::fprintf(stderr, "lintra: video processing is not available in this build\n");
    return 2;
}

}  // namespace lintra
