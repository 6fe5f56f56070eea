#include "vapoursynth/filter_args.h"

#include <limits>

#include "frontend/settings_rules.h"
#include "frontend/settings_text.h"

namespace lintra::vs {
namespace {

std::int32_t saturated(std::int64_t v) {
    if (v > std::numeric_limits<std::int32_t>::max())
        return std::numeric_limits<std::int32_t>::max();
    if (v < std::numeric_limits<std::int32_t>::min())
        return std::numeric_limits<std::int32_t>::min();
    return static_cast<std::int32_t>(v);
}

void applyNumber(int arg, std::int64_t v, FilterSettings& s) {
    const std::int32_t n = saturated(v);
    switch (arg) {
        case kArgRgb:
            s.rgbProcessing = v != 0 ? 1 : 0;
            break;
        case kArgInterlaced:
            s.interlaced = v != 0 ? 1 : 0;
            break;
        case kArgTestMode:
            s.testMode = v != 0 ? 1 : 0;
            break;
        case kArgLumaLength:
            s.yAverage = n;
            clampLength(s.yAverage, s.yCoefficient);
            break;
        case kArgChromaLength:
            s.uvAverage = n;
            clampLength(s.uvAverage, s.uvCoefficient);
            break;
        case kArgLumaThreshold:
            s.yVerticalThreshold = s.yHorizontalThreshold = clampThreshold(n);
            break;
        case kArgChromaThreshold:
            s.uvVerticalThreshold = s.uvHorizontalThreshold = clampThreshold(n);
            break;
        default:
            break;
    }
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
        if (args.given[arg]) applyNumber(arg, args.value[arg], s);
    }
    out = s;
    return true;
}

}  // namespace lintra::vs
