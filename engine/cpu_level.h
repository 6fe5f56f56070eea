#pragma once
// The instruction-set levels the engine has kernels for, ordered from the portable one up.

#include <cstdint>

namespace lintra {

enum class CpuLevel : std::int32_t { scalar = 0, sse2 = 1, avx2 = 2, avx512 = 3 };

// The best level both this build and this processor (with its operating system) support.
CpuLevel detectCpuLevel();

// The best level this build has kernels for, whatever the processor.
CpuLevel builtCpuLevel();

// The lower of two levels: a cap never raises the level.
inline CpuLevel lowerLevel(CpuLevel a, CpuLevel b) {
    return static_cast<std::int32_t>(a) < static_cast<std::int32_t>(b) ? a : b;
}

// "scalar", "sse2", "avx2" or "avx512" (also "c" for scalar). Returns false and leaves
// `level` alone for anything else, a null pointer included.
bool parseCpuLevel(const char* text, CpuLevel& level);

// The name parseCpuLevel accepts for a level.
const char* cpuLevelName(CpuLevel level);

}  // namespace lintra
