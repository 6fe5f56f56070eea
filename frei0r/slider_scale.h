#pragma once
// frei0r gives every number parameter the range [0, 1]. The lengths (1..1023) and thresholds
// (0..511) are laid onto it so that a slider spends most of its travel where settings are
// used: up to 0.60 each hundredth is one step (0.05 is 5, 0.10 is 10); from 0.60 to 1 the
// rest of the range follows evenly, up to 511 or 1023 at 1.

#include <cstdint>

namespace lintra::frei0r {

enum class SliderRange { length, threshold };

// A slider value held to [0, 1]; NaN reads as 0.
double heldSlider(double value);

// The whole setting a slider value gives (held first).
std::int32_t settingFromSlider(double value, SliderRange range);

// A slider value that gives `setting`, which is first held to the range.
double sliderFromSetting(std::int32_t setting, SliderRange range);

}  // namespace lintra::frei0r
