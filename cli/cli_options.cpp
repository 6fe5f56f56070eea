#include "cli/cli_options.h"

#include <cstring>

#include "frontend/cpu_environment.h"
#include "frontend/settings_options.h"

namespace lintra {
namespace {

constexpr std::int64_t kMaxFrameSide = 65535;
constexpr std::int64_t kMaxFramePixels = std::int64_t{1} << 28;

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

bool isFlag(const std::string& name) {
    return name == "--print-config" || settingsOptionKind(name) == SettingsOption::flag;
}

bool takesValue(const std::string& name) {
    static const char* const kValued[] = {"--size", "--write-sample", "--write-clean-sample",
                                          "--measure", "--cpu"};
    for (const char* v : kValued) {
        if (name == v) return true;
    }
    return settingsOptionKind(name) == SettingsOption::valued;
}

// One option with its value (empty for flags). Returns false with `error` set.
bool applyOption(const std::string& name, const char* value, CliOptions& o, std::string& error) {
    if (settingsOptionKind(name) != SettingsOption::none) {
        return applySettingsOption(name, value, o.settings, error);
    }
    if (name == "--print-config") {
        o.printConfig = true;
        return true;
    }
    if (name == "--cpu") {
        o.cpuGiven = true;
        if (parseCpuLevel(value, o.cpuCap)) return true;
        error = badCpuLevelMessage("--cpu", value);
        return false;
    }
    if (name == "--size") {
        o.raw = true;
        if (parseFrameSize(value, o.rawWidth, o.rawHeight)) return true;
        error = "--size needs WIDTHxHEIGHT with both at least 1 (at most 65535, " +
                std::to_string(kMaxFramePixels) + " pixels), got '" + value + "'";
        return false;
    }
    if (o.action != CliAction::version) {
        o.action = name == "--measure" ? CliAction::measure : CliAction::writeSample;
    }
    o.cleanSample = name == "--write-clean-sample";
    o.output = value;
    return true;
}

bool checkPositionals(int count, CliOptions& o, std::string& error) {
    if (o.action == CliAction::version) return true;
    if (o.action == CliAction::writeSample || o.action == CliAction::measure) {
        if (count == 0) return true;
        error = "--write-sample and --measure take no INPUT or OUTPUT";
        return false;
    }
    if (count == 0 && o.printConfig) {
        o.action = CliAction::printConfig;
        return true;
    }
    if (count == 2) return true;
    error = count == 0 ? "missing INPUT and OUTPUT (try 'lintra --help')"
                       : "missing OUTPUT (try 'lintra --help')";
    return false;
}

}  // namespace

bool parseFrameSize(const char* text, std::int32_t& width, std::int32_t& height) {
    if (text == nullptr) return false;
    std::int64_t side[2] = {0, 0};
    const char* p = text;
    for (int i = 0; i < 2; ++i) {
        if (i == 1 && *p++ != 'x') return false;
        if (!isDigit(*p)) return false;
        while (isDigit(*p)) {
            side[i] = side[i] * 10 + (*p++ - '0');
            if (side[i] > kMaxFrameSide) return false;
        }
    }
    if (*p != '\0' || side[0] < 1 || side[1] < 1) return false;
    if (side[0] * side[1] > kMaxFramePixels) return false;
    width = static_cast<std::int32_t>(side[0]);
    height = static_cast<std::int32_t>(side[1]);
    return true;
}

bool parseCommandLine(int argc, const char* const* argv, CliOptions& options, std::string& error) {
    setDefaults(options.settings);
    const char* positional[2] = {nullptr, nullptr};
    int count = 0;
    std::string unexpected;  // a third file name: an error unless --version comes
    bool optionsEnded = false;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (optionsEnded || arg == "-" || arg.rfind("-", 0) != 0) {
            if (count < 2) {
                positional[count++] = argv[i];
            } else if (unexpected.empty()) {
                unexpected = arg;
            }
            continue;
        }
        if (arg == "--") {
            optionsEnded = true;
            continue;
        }
        if (arg == "--help" || arg == "-h") {
            options.action = CliAction::help;
            return true;
        }
        if (arg == "--version") {
            options.action = CliAction::version;
            continue;
        }
        const std::size_t eq = arg.find('=');
        const std::string name = arg.substr(0, eq);
        if (!takesValue(name) && !isFlag(name)) {
            error = "unknown option '" + name + "' (try 'lintra --help')";
            return false;
        }
        const char* value = nullptr;
        if (takesValue(name)) {
            if (eq != std::string::npos) {
                value = argv[i] + eq + 1;
            } else if (i + 1 < argc) {
                value = argv[++i];
            } else {
                error = name + " needs a value";
                return false;
            }
        } else if (eq != std::string::npos) {
            error = name + " takes no value";
            return false;
        }
        if (!applyOption(name, value, options, error)) return false;
    }
    if (!unexpected.empty() && options.action != CliAction::version) {
        error = "unexpected argument '" + unexpected + "' after INPUT and OUTPUT";
        return false;
    }
    if (!checkPositionals(count, options, error)) return false;
    if (count == 2) {
        options.input = positional[0];
        options.output = positional[1];
    }
    return true;
}

}  // namespace lintra
