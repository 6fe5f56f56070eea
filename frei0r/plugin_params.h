#pragma once
// The plug-in's parameters as frei0r hosts see them. Lengths and thresholds are doubles that
// hold the real number (ffmpeg passes a typed number unchanged), so "10" means a length of
// 10 pixels; they are rounded and held to the dialog's ranges. The flags are frei0r bools.

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

// A frei0r number as a setting: rounded to the nearest integer, saturated to 32 bits; a value
// that is not a number reads as 0, as non-numeric text does in the dialog.
std::int32_t roundedSetting(double value);

// A frei0r bool: [0, 0.5) is false, [0.5, 1] true; anything that is not a number is false.
std::int32_t flagSetting(double value);

// Applies one bool or double parameter to the settings with the dialog's clamping: a length
// also sets its coefficient, a threshold sets both thresholds of its group. Returns false for
// an index that is not a bool or double parameter.
bool applyNumberParam(FilterSettings& settings, int index, double value);

// The value a host reads back for a bool or double parameter; 0 for any other index.
double numberParam(const FilterSettings& settings, int index);

}  // namespace lintra::frei0r
