#pragma once
// --write-sample and --measure: the built-in sample and the pattern-strength figure.

#include "cli/cli_options.h"

namespace lintra {

// Writes the sample PNG to options.output. Returns the exit status (0 or 1).
int runWriteSample(const CliOptions& options);

// Prints the pattern strength of the PNG options.output. Returns the exit status (0 or 1).
int runMeasure(const CliOptions& options);

}  // namespace lintra
