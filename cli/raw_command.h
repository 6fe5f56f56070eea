#pragma once
// Filters a stream of raw 32-bit frames (B, G, R, X bytes, rows without gaps, as ffmpeg's
// bgr0) from INPUT to OUTPUT with one filter run over the whole stream.

#include "cli/cli_options.h"

namespace lintra {

// Returns the exit status: 0 when every frame was filtered, 1 on an input or output error or
// a stream that ends inside a frame (the whole frames before it are written).
int runRawCommand(const CliOptions& options);

}  // namespace lintra
