#include "vapoursynth/filter_args.h"

#include <algorithm>
#include <limits>

#include "frontend/settings_options.h"
#include "frontend/settings_text.h"

namespace lintra::vs {
namespace {

// Each argument is the lintra command's option for the same setting, so that the numbers go
// through the same rules.
struct ArgOption {
    const char* on;   // a number's option, or a flag's option when non-zero
    const char* off;  // a flag's option when zero ("" where the default is off); null for numbers
};
constexpr ArgOption kArgOptions[kNumberArgCount] = {
    {"--rgb", "--yuv"},
    {"--interlaced", "--progressive"},
    {"--test-mode", ""},
    {"--luma-length", nullptr},
    {"--luma-threshold", nullptr},
    {"--chroma-length", nullptr},
    {"--chroma-threshold", nullptr},
};

// Negative numbers count as 0 (a length then becomes 1) and numbers beyond 32 bits as the
// largest, so every value is held rather than refused.
std::string heldNumber(std::int64_t v) {
    return std::to_string(std::clamp<std::int64_t>(v, 0, std::numeric_limits<std::int32_t>::max()));
}

void applyArg(int arg, std::int64_t v, FilterSettings& s) {
    const ArgOption& option = kArgOptions[arg];
    std::string ignored;
    if (option.off == nullptr) {
        applySettingsOption(option.on, heldNumber(v).c_str(), s, ignored);
        return;
    }
    const char* flag = v != 0 ? option.on : option.off;
    if (*flag != '\0') applySettingsOption(flag, nullptr, s, ignored);
}

}  // namespace

bool settingsFromArgs(const FilterArgs& args, FilterSettings& out, std::string& error) {
    if (args.settingsGiven && args.settings.find('\0') != std::string::npos) {
        error = "settings: the text holds a NUL character";
        return false;
    }
    const char* text = args.settings.c_str();
    if (args.settingsGiven && !isBlankSettingsText(text)) {
        return settingsFromText(text, out, error);
    }
    FilterSettings s{};
    setDefaults(s);
    for (int arg = 0; arg < kNumberArgCount; ++arg) {
        if (args.given[arg]) applyArg(arg, args.value[arg], s);
    }
    out = s;
    return true;
}

}  // namespace lintra::vs
