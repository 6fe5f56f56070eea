#include "cli/version_text.h"

#include "lintra_version.h"

namespace lintra {
namespace {

std::string levelLine(CpuLevel cap, const char* capSource) {
    const CpuLevel best = detectCpuLevel();
    std::string line = "CPU level: ";
    line += cpuLevelName(lowerLevel(cap, best));
    if (capSource != nullptr && cap < best) {
        line += std::string(" (this processor: ") + cpuLevelName(best) + "; capped by " +
                capSource + "=" + cpuLevelName(cap) + ")";
    } else {
        line += " (the best this processor has)";
    }
    return line + "\n";
}

std::string builtLine() {
    std::string line = "CPU levels built in:";
    const char* separator = " ";
    for (auto level = CpuLevel::scalar; level <= builtCpuLevel();
         level = static_cast<CpuLevel>(static_cast<std::int32_t>(level) + 1)) {
        line += separator;
        line += cpuLevelName(level);
        separator = ", ";
    }
    return line + "\n";
}

}  // namespace

std::string versionText(CpuLevel cap, const char* capSource) {
    return std::string("lintra " LINTRA_VERSION_STRING "\n") + levelLine(cap, capSource) +
           builtLine() + "Copyright (c) 2026 Lintra developers. MIT licence.\n";
}

}  // namespace lintra
