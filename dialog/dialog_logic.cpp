#include "dialog/dialog_logic.h"

#include <limits>

#include "dialog/dialog_ids.h"
#include "frontend/settings_rules.h"

namespace lintra {
namespace {

// Longer than any number the edits can show; a longer text only adds leading zeros or digits
// past the saturation point.
constexpr std::size_t kTextSize = 256;

std::int32_t readNumber(DialogControls& controls, int id) {
    char text[kTextSize];
    controls.readText(id, text, sizeof text);
    text[kTextSize - 1] = '\0';
    return readDialogNumber(text);
}

std::int32_t flagOf(DialogControls& controls, int id) {
    return controls.isChecked(id) ? 1 : 0;
}

std::uint32_t shown(std::int32_t value) {
    return static_cast<std::uint32_t>(value);
}

}  // namespace

std::int32_t readDialogNumber(const char* text) {
    constexpr std::int32_t kLargest = std::numeric_limits<std::int32_t>::max();
    const char* p = text;
    while (*p == ' ' || *p == '\t') ++p;
    std::int32_t value = 0;
    for (; *p >= '0' && *p <= '9'; ++p) {
        const std::int32_t digit = *p - '0';
        value = value > (kLargest - digit) / 10 ? kLargest : value * 10 + digit;
    }
    return value;
}

void initialiseDialog(const FilterSettings& settings, DialogControls& controls) {
    controls.setChecked(LINTRA_ID_TEST_MODE, settings.testMode != 0);
    controls.setChecked(LINTRA_ID_INTERLACED, settings.interlaced != 0);
    controls.setChecked(LINTRA_ID_RGB_PROCESSING, settings.rgbProcessing != 0);
    controls.setChecked(LINTRA_ID_YUV_PROCESSING, settings.rgbProcessing == 0);
    controls.showNumber(LINTRA_ID_Y_AVERAGE, shown(settings.yAverage));
    controls.showNumber(LINTRA_ID_Y_THRESHOLD, shown(settings.yVerticalThreshold));
    controls.showNumber(LINTRA_ID_UV_AVERAGE, shown(settings.uvAverage));
    controls.showNumber(LINTRA_ID_UV_THRESHOLD, shown(settings.uvVerticalThreshold));
}

void confirmDialog(FilterSettings& settings, DialogControls& controls) {
    settings.testMode = flagOf(controls, LINTRA_ID_TEST_MODE);
    settings.interlaced = flagOf(controls, LINTRA_ID_INTERLACED);
    settings.rgbProcessing = flagOf(controls, LINTRA_ID_RGB_PROCESSING);
    settings.yAverage = readNumber(controls, LINTRA_ID_Y_AVERAGE);
    settings.uvAverage = readNumber(controls, LINTRA_ID_UV_AVERAGE);
    settings.yVerticalThreshold = readNumber(controls, LINTRA_ID_Y_THRESHOLD);
    settings.yHorizontalThreshold = settings.yVerticalThreshold;
    settings.uvVerticalThreshold = readNumber(controls, LINTRA_ID_UV_THRESHOLD);
    settings.uvHorizontalThreshold = settings.uvVerticalThreshold;
    controls.endDialog(kDialogConfirmed);
    clampToDialogRanges(settings);
}

void cancelDialog(DialogControls& controls) {
    controls.endDialog(kDialogCancelled);
}

}  // namespace lintra
