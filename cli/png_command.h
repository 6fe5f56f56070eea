#pragma once
// Filters one PNG picture into another.

#include "cli/cli_options.h"
#include "cli/picture.h"

namespace lintra {

// Returns the exit status: 0 on success, 1 when a file cannot be read or written.
int runPngCommand(const CliOptions& options);

// Filters the picture in place with the settings (alpha untouched), the engine using CPU
// levels up to `cap`. Returns false when the work planes cannot be allocated.
bool filterPicture(const FilterSettings& settings, Picture& picture,
                   CpuLevel cap = CpuLevel::avx512);

}  // namespace lintra
