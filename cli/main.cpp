// lintra: the line-comb filter on the command line.

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>
#include <string>

#include "cli/cli_options.h"
#include "frontend/cpu_environment.h"
#include "cli/help_text.h"
#include "cli/png_command.h"
#include "cli/raw_command.h"
#include "cli/sample_command.h"
#include "cli/version_text.h"
#include "cli/suggest_command.h"
#include "cli/video_command.h"
#include "persistence/config_line.h"

namespace {

constexpr int kUsageError = 2;
constexpr std::size_t kConfigLineLength = 64;

std::string configLine(const lintra::FilterSettings& settings) {
    char line[kConfigLineLength] = {};
    lintra::formatConfig(settings, line, sizeof line);
    return line;
}

int runFilter(const lintra::CliOptions& options) {
    if (options.printConfig) std::fprintf(stderr, "%s\n", configLine(options.settings).c_str());
    return options.raw ? lintra::runRawCommand(options) : lintra::runPngCommand(options);
}

// `lintra video --version` prints the command's version: video has no version of its own.
bool asksForVersion(int argc, char** argv) {
    for (int i = 2; i < argc && std::strcmp(argv[i], "--") != 0; ++i) {
        if (std::strcmp(argv[i], "--version") == 0) return true;
    }
    return false;
}

const char* cpuCapSource(const lintra::CliOptions& options) {
    if (options.cpuGiven) return "--cpu";
    const char* text = std::getenv("LINTRA_CPU");
    return text != nullptr && *text != '\0' ? "LINTRA_CPU" : nullptr;
}

int runCommand(int argc, char** argv) {
    if (argc >= 2 && std::strcmp(argv[1], "video") == 0 && !asksForVersion(argc, argv)) {
        return lintra::runVideoCommand(argc, argv);
    }
    if (argc >= 2 && std::strcmp(argv[1], "suggest") == 0) return lintra::runSuggestCommand(argc, argv);
    lintra::CliOptions options;
    std::string error;
    if (!lintra::parseCommandLine(argc, argv, options, error)) {
        std::fprintf(stderr, "lintra: %s\n", error.c_str());
        return kUsageError;
    }
    if (!options.cpuGiven && !lintra::cpuCapFromEnvironment(options.cpuCap, error)) {
        std::fprintf(stderr, "lintra: %s\n", error.c_str());
        return kUsageError;
    }
    switch (options.action) {
        case lintra::CliAction::help:
            std::fputs(lintra::helpText(), stdout);
            return 0;
        case lintra::CliAction::version:
            std::fputs(lintra::versionText(options.cpuCap, cpuCapSource(options)).c_str(), stdout);
            return 0;
        case lintra::CliAction::printConfig:
            std::printf("%s\n", configLine(options.settings).c_str());
            return 0;
        case lintra::CliAction::writeSample:
            return lintra::runWriteSample(options);
        case lintra::CliAction::measure:
            return lintra::runMeasure(options);
        case lintra::CliAction::filter:
            break;
    }
    return runFilter(options);
}

}  // namespace

// Buffers are sized from the user's frame size and picture files; a refusal of the heap ends
// the run with a message rather than an abort.
int main(int argc, char** argv) {
    try {
        return runCommand(argc, argv);
    } catch (const std::bad_alloc&) {
        std::fprintf(stderr, "lintra: not enough memory\n");
        return 1;
    }
}
