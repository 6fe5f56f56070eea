#include "frontend/settings_rules.h"

namespace lintra {

void clampLength(std::int32_t& length, std::int32_t& coefficient) {
    if (length < 2) {
        length = 1;
        coefficient = 0;
    } else {
        if (length > kMaxAverageLength) length = kMaxAverageLength;
        coefficient = averagingCoefficient(length);
    }
    if (coefficient > kMaxCoefficient) coefficient = kMaxCoefficient;
}

std::int32_t clampThreshold(std::int32_t threshold) {
    if (threshold < 0) return 0;
    return threshold > kMaxThreshold ? kMaxThreshold : threshold;
}

void clampToDialogRanges(FilterSettings& settings) {
    clampLength(settings.yAverage, settings.yCoefficient);
    clampLength(settings.uvAverage, settings.uvCoefficient);
    settings.yVerticalThreshold = clampThreshold(settings.yVerticalThreshold);
    settings.yHorizontalThreshold = clampThreshold(settings.yHorizontalThreshold);
    settings.uvVerticalThreshold = clampThreshold(settings.uvVerticalThreshold);
    settings.uvHorizontalThreshold = clampThreshold(settings.uvHorizontalThreshold);
}

}  // namespace lintra
