#pragma once
// What `lintra --version` prints: the version, the CPU level a filter run would take after
// the cap, and the levels this build has kernels for. Bug reports start with it.

#include <string>

#include "engine/cpu_level.h"

namespace lintra {

// `capSource` names where the cap came from ("--cpu", "LINTRA_CPU") or is null without one.
std::string versionText(CpuLevel cap, const char* capSource);

}  // namespace lintra
