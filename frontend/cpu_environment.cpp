#include "frontend/cpu_environment.h"

#include <cstdlib>

namespace lintra {

std::string badCpuLevelMessage(const char* source, const char* text) {
    return std::string(source) + " needs scalar, sse2, avx2 or avx512, got '" + text + "'";
}

bool cpuCapFromEnvironment(CpuLevel& cap, std::string& error) {
    const char* text = std::getenv("LINTRA_CPU");
    if (text == nullptr || *text == '\0') return true;
    if (parseCpuLevel(text, cap)) return true;
    error = badCpuLevelMessage("LINTRA_CPU", text);
    return false;
}

}  // namespace lintra
