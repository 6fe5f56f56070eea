#pragma once
// The plug-in's parameters as frei0r hosts see them: a settings text, three bools and four
// numbers in [0, 1] that slider_scale lays onto the lengths and thresholds, applied with the
// dialog's rules.

#include <cstdint>

#include "engine/filter_settings.h"

namespace lintra::frei0r {

// Parameter indices, in the order ffmpeg's "|"-separated list fills them.
enum ParamIndex : int {
    kParamSettingsLine = 0,
    kParamRgb,
    kParamInterlaced,
    kParamTestMode,
    kParamLumaLength,
    kParamLumaThreshold,
    kParamChromaLength,
    kParamChromaThreshold,
    kParamCount
};

enum class ParamType { kBool, kDouble, kString };

struct ParamDescription {
    const char* name;
    ParamType type;
    const char* explanation;
};

// The description of a parameter, or null for an index out of range.
const ParamDescription* paramDescription(int index);

// A frei0r bool: [0, 0.5) is false, 0.5 and above true; anything that is not a number is false.
std::int32_t flagSetting(double value);

// What a bool or number parameter holds before a host sets it: the defaults' own values.
double defaultParam(int index);

// What a bool or number parameter holds after a host sets `value`: bools 0 or 1, numbers
// `value` held to [0, 1]. 0 for any other index.
double heldParam(int index, double value);

// Applies one bool or number parameter to the settings with the dialog's rules: a length also
// sets its coefficient, a threshold both thresholds of its group. False for an index that is
// not a bool or number parameter.
bool applyNumberParam(FilterSettings& settings, int index, double value);

}  // namespace lintra::frei0r
