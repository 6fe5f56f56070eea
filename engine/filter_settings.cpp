#include "engine/filter_settings.h"

#include <cmath>

namespace lintra {

int setDefaults(FilterSettings& settings) {
    settings.yAverage = 10;
    settings.uvAverage = 3;
    settings.yCoefficient = averagingCoefficient(10);
    settings.uvCoefficient = averagingCoefficient(3);
    settings.yHorizontalThreshold = 5;
    settings.uvHorizontalThreshold = 20;
    settings.yVerticalThreshold = 5;
    settings.uvVerticalThreshold = 20;
    settings.interlaced = 1;
    settings.testMode = 0;
    settings.rgbProcessing = 0;
    return 0;
}

// The recursive average keeps weight c/256 of its state per pixel, so a pixel's influence
// halves after (length - 1) / 2 pixels. Length 1 gives x = 0 (no smoothing); length 0 gives
// x = 4 and is capped like every length from 711 on.
std::int32_t averagingCoefficient(std::int32_t length) {
    const double x = std::pow(0.5, 2.0 / (static_cast<double>(length) - 1.0));
    const double c = std::floor(x * 256.0 + 0.5);
    return c > kMaxCoefficient ? kMaxCoefficient : static_cast<std::int32_t>(c);
}

}  // namespace lintra
