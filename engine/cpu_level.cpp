#include "engine/cpu_level.h"

#include <cstring>

namespace lintra {

CpuLevel detectCpuLevel() {
#if defined(LINTRA_HAVE_X86)
    // The AVX-512 kernels fuse multiply-add and sum (VNNI), which every AVX-512 processor
    // since Cascade Lake has. libgcc checks the XCR0 state bits too, so AVX levels are only
    // reported when the operating system saves the wide registers.
    __builtin_cpu_init();
    if (__builtin_cpu_supports("avx512f") && __builtin_cpu_supports("avx512bw") &&
        __builtin_cpu_supports("avx512vnni")) {
        return CpuLevel::avx512;
    }
    if (__builtin_cpu_supports("avx2")) return CpuLevel::avx2;
    if (__builtin_cpu_supports("sse2")) return CpuLevel::sse2;
#endif
    return CpuLevel::scalar;
}

CpuLevel builtCpuLevel() {
#if defined(LINTRA_HAVE_X86)
    return CpuLevel::avx512;
#else
    return CpuLevel::scalar;
#endif
}

bool parseCpuLevel(const char* text, CpuLevel& level) {
    if (text == nullptr) return false;
    struct Name {
        const char* text;
        CpuLevel level;
    };
    static constexpr Name kNames[] = {{"scalar", CpuLevel::scalar},
                                      {"c", CpuLevel::scalar},
                                      {"sse2", CpuLevel::sse2},
                                      {"avx2", CpuLevel::avx2},
                                      {"avx512", CpuLevel::avx512}};
    for (const Name& name : kNames) {
        if (std::strcmp(text, name.text) == 0) {
            level = name.level;
            return true;
        }
    }
    return false;
}

const char* cpuLevelName(CpuLevel level) {
    switch (level) {
        case CpuLevel::sse2:
            return "sse2";
        case CpuLevel::avx2:
            return "avx2";
        case CpuLevel::avx512:
            return "avx512";
        case CpuLevel::scalar:
            break;
    }
    return "scalar";
}

}  // namespace lintra
