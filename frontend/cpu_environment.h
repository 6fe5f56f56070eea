#pragma once
// LINTRA_CPU: the highest CPU level the Linux front ends let the engine use.

#include <string>

#include "engine/cpu_level.h"

namespace lintra {

// Sets `cap` from LINTRA_CPU when it is set. Returns false, with `error` set and `cap`
// untouched, when it holds anything but scalar, sse2, avx2 or avx512.
bool cpuCapFromEnvironment(CpuLevel& cap, std::string& error);

// The message for a level name that is not one of those.
std::string badCpuLevelMessage(const char* source, const char* text);

}  // namespace lintra
