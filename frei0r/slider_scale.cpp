#include "frei0r/slider_scale.h"

#include <algorithm>
#include <cmath>

#include "frontend/settings_rules.h"

namespace lintra::frei0r {
namespace {

// Below the knee a hundredth of the slider is one step.
constexpr double kKnee = 0.6;
constexpr double kStepsPerUnit = 100.0;
constexpr std::int32_t kKneeSetting = 60;

std::int32_t lowest(SliderRange range) {
    return range == SliderRange::length ? 1 : 0;
}

std::int32_t highest(SliderRange range) {
    return range == SliderRange::length ? kMaxAverageLength : kMaxThreshold;
}

// Settings per unit of slider above the knee.
double upperSlope(SliderRange range) {
    return static_cast<double>(highest(range) - kKneeSetting) / (1.0 - kKnee);
}

}  // namespace

double heldSlider(double value) {
    if (std::isnan(value)) return 0.0;
    return std::clamp(value, 0.0, 1.0);
}

std::int32_t settingFromSlider(double value, SliderRange range) {
    const double x = heldSlider(value);
    const double setting =
        x <= kKnee ? x * kStepsPerUnit : kKneeSetting + (x - kKnee) * upperSlope(range);
    const auto whole = static_cast<std::int32_t>(std::floor(setting + 0.5));
    return std::clamp(whole, lowest(range), highest(range));
}

double sliderFromSetting(std::int32_t setting, SliderRange range) {
    const std::int32_t n = std::clamp(setting, lowest(range), highest(range));
    if (n <= kKneeSetting) return n / kStepsPerUnit;
    return kKnee + (n - kKneeSetting) / upperSlope(range);
}

}  // namespace lintra::frei0r
