#include "frei0r/plugin_params.h"

#include <cmath>
#include <limits>

#include "dialog/settings_rules.h"

namespace lintra::frei0r {
namespace {

constexpr ParamDescription kParams[kParamCount] = {
    {"settings line", ParamType::kString,
     "A saved settings line, Config(a, b, c, d) or its four integers separated by spaces, "
     "';', '/' or ','; when given it overrides every other parameter"},
    {"rgb", ParamType::kBool, "RGB processing instead of YUV processing"},
    {"interlaced", ParamType::kBool, "Compare lines of the same field (two apart)"},
    {"test mode", ParamType::kBool, "Show the detected comb signal on mid-grey"},
    {"luma length", ParamType::kDouble,
     "Horizontal averaging for luma (RGB: all channels), pixels 1..1023, default 10"},
    {"luma threshold", ParamType::kDouble,
     "Threshold for luma (RGB: all channels), 8-bit steps 0..511, default 5"},
    {"chroma length", ParamType::kDouble,
     "Horizontal averaging for chroma, pixels 1..1023, default 3"},
    {"chroma threshold", ParamType::kDouble,
     "Threshold for chroma, 8-bit steps 0..511, default 20"},
};

}  // namespace

const ParamDescription* paramDescription(int index) {
    if (index < 0 || index >= kParamCount) return nullptr;
    return &kParams[index];
}

std::int32_t roundedSetting(double value) {
    if (std::isnan(value)) return 0;
    constexpr double kLow = std::numeric_limits<std::int32_t>::min();
    constexpr double kHigh = std::numeric_limits<std::int32_t>::max();
    const double rounded = std::floor(value + 0.5);
    if (rounded <= kLow) return std::numeric_limits<std::int32_t>::min();
    if (rounded >= kHigh) return std::numeric_limits<std::int32_t>::max();
    return static_cast<std::int32_t>(rounded);
}

std::int32_t flagSetting(double value) {
    return value >= 0.5 ? 1 : 0;
}

bool applyNumberParam(FilterSettings& settings, int index, double value) {
    switch (index) {
        case kParamRgb:
            settings.rgbProcessing = flagSetting(value);
            return true;
        case kParamInterlaced:
            settings.interlaced = flagSetting(value);
            return true;
        case kParamTestMode:
            settings.testMode = flagSetting(value);
            return true;
        case kParamLumaLength:
            settings.yAverage = roundedSetting(value);
            clampLength(settings.yAverage, settings.yCoefficient);
            return true;
        case kParamLumaThreshold:
            settings.yVerticalThreshold = clampThreshold(roundedSetting(value));
            settings.yHorizontalThreshold = settings.yVerticalThreshold;
            return true;
        case kParamChromaLength:
            settings.uvAverage = roundedSetting(value);
            clampLength(settings.uvAverage, settings.uvCoefficient);
            return true;
        case kParamChromaThreshold:
            settings.uvVerticalThreshold = clampThreshold(roundedSetting(value));
            settings.uvHorizontalThreshold = settings.uvVerticalThreshold;
            return true;
        default:
            return false;
    }
}

double numberParam(const FilterSettings& settings, int index) {
    switch (index) {
        case kParamRgb:
            return settings.rgbProcessing != 0 ? 1.0 : 0.0;
        case kParamInterlaced:
            return settings.interlaced != 0 ? 1.0 : 0.0;
        case kParamTestMode:
            return settings.testMode != 0 ? 1.0 : 0.0;
        case kParamLumaLength:
            return settings.yAverage;
        case kParamLumaThreshold:
            return settings.yVerticalThreshold;
        case kParamChromaLength:
            return settings.uvAverage;
        case kParamChromaThreshold:
            return settings.uvVerticalThreshold;
        default:
            return 0.0;
    }
}

}  // namespace lintra::frei0r
