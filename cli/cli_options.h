#pragma once
// The command line of `lintra`: what to do, on which files, with which settings.

#include <cstdint>
#include <string>

#include "engine/cpu_level.h"
#include "engine/filter_settings.h"

namespace lintra {

enum class CliAction {
    filter,       // INPUT -> OUTPUT
    help,         // --help
    version,      // --version (other options still apply: --cpu shows in what it prints)
    printConfig,  // --print-config without files
    writeSample,  // --write-sample FILE / --write-clean-sample FILE
    measure,      // --measure FILE
};

struct CliOptions {
    CliAction action = CliAction::filter;
    FilterSettings settings{};  // defaults, then every option in command-line order
    bool printConfig = false;   // also print the Config line (to stderr when filtering)
    bool raw = false;           // --size given: raw bgr0 frames instead of PNG
    std::int32_t rawWidth = 0;
    std::int32_t rawHeight = 0;
    CpuLevel cpuCap = CpuLevel::avx512;  // --cpu: the highest level the engine may use
    bool cpuGiven = false;
    bool cleanSample = false;  // --write-clean-sample: the sample without its pattern
    std::string input;         // "-" is stdin
    std::string output;        // "-" is stdout; for writeSample/measure: the file
};

// Parses argv[1..argc). Returns true on success; otherwise `error` holds one line for the user
// (without the program name) and the caller exits with status 2.
bool parseCommandLine(int argc, const char* const* argv, CliOptions& options, std::string& error);

// "WxH" with both numbers positive and the frame no larger than the engine can hold.
bool parseFrameSize(const char* text, std::int32_t& width, std::int32_t& height);

}  // namespace lintra
