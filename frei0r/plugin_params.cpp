#include "frei0r/plugin_params.h"

#include "frei0r/slider_scale.h"
#include "frontend/settings_rules.h"

namespace lintra::frei0r {
namespace {

constexpr ParamDescription kParams[kParamCount] = {
    {"settings line", ParamType::kString,
     "Settings as text, overriding every other parameter when given: a saved line "
     "Config(a, b, c, d) (or its four integers separated by spaces, ';' or '/'), or lintra's "
     "own options, e.g. --luma-threshold 8 --chroma-threshold 30 --progressive"},
    {"rgb", ParamType::kBool, "RGB processing instead of YUV processing"},
    {"interlaced", ParamType::kBool, "Compare lines of the same field (two apart)"},
    {"test mode", ParamType::kBool, "Show the detected comb signal on mid-grey"},
    {"luma length", ParamType::kDouble,
     "Horizontal averaging for luma (RGB: all channels) in pixels: up to 0.60 each hundredth is "
     "one pixel (0.10 = 10, the default; 0.01 = 1, no smoothing); 0.60 to 1 spans 60 to 1023"},
    {"luma threshold", ParamType::kDouble,
     "Threshold for luma (RGB: all channels) in 8-bit steps: up to 0.60 each hundredth is one "
     "step (0.05 = 5, the default); 0.60 to 1 spans 60 to 511"},
    {"chroma length", ParamType::kDouble,
     "Horizontal averaging for chroma in pixels: up to 0.60 each hundredth is one pixel "
     "(0.03 = 3, the default); 0.60 to 1 spans 60 to 1023"},
    {"chroma threshold", ParamType::kDouble,
     "Threshold for chroma in 8-bit steps: up to 0.60 each hundredth is one step (0.20 = 20, "
     "the default); 0.60 to 1 spans 60 to 511"},
};

bool isLength(int index) {
    return index == kParamLumaLength || index == kParamChromaLength;
}

bool isNumber(int index) {
    return isLength(index) || index == kParamLumaThreshold || index == kParamChromaThreshold;
}

bool isFlag(int index) {
    return index == kParamRgb || index == kParamInterlaced || index == kParamTestMode;
}

SliderRange rangeOf(int index) {
    return isLength(index) ? SliderRange::length : SliderRange::threshold;
}

}  // namespace

const ParamDescription* paramDescription(int index) {
    if (index < 0 || index >= kParamCount) return nullptr;
    return &kParams[index];
}

std::int32_t flagSetting(double value) {
    return value >= 0.5 ? 1 : 0;
}

double defaultParam(int index) {
    FilterSettings s{};
    setDefaults(s);
    switch (index) {
        case kParamRgb:
            return s.rgbProcessing;
        case kParamInterlaced:
            return s.interlaced;
        case kParamTestMode:
            return s.testMode;
        case kParamLumaLength:
            return sliderFromSetting(s.yAverage, SliderRange::length);
        case kParamLumaThreshold:
            return sliderFromSetting(s.yVerticalThreshold, SliderRange::threshold);
        case kParamChromaLength:
            return sliderFromSetting(s.uvAverage, SliderRange::length);
        case kParamChromaThreshold:
            return sliderFromSetting(s.uvVerticalThreshold, SliderRange::threshold);
        default:
            return 0.0;
    }
}

double heldParam(int index, double value) {
    if (isFlag(index)) return flagSetting(value);
    if (isNumber(index)) return heldSlider(value);
    return 0.0;
}

bool applyNumberParam(FilterSettings& settings, int index, double value) {
    if (!isFlag(index) && !isNumber(index)) return false;
    const std::int32_t flag = flagSetting(value);
    const std::int32_t number = isNumber(index) ? settingFromSlider(value, rangeOf(index)) : 0;
    switch (index) {
        case kParamRgb:
            settings.rgbProcessing = flag;
            break;
        case kParamInterlaced:
            settings.interlaced = flag;
            break;
        case kParamTestMode:
            settings.testMode = flag;
            break;
        case kParamLumaLength:
            settings.yAverage = number;
            clampLength(settings.yAverage, settings.yCoefficient);
            break;
        case kParamLumaThreshold:
            settings.yVerticalThreshold = settings.yHorizontalThreshold = number;
            break;
        case kParamChromaLength:
            settings.uvAverage = number;
            clampLength(settings.uvAverage, settings.uvCoefficient);
            break;
        default:
            settings.uvVerticalThreshold = settings.uvHorizontalThreshold = number;
            break;
    }
    return true;
}

}  // namespace lintra::frei0r
