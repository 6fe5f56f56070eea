// The [0, 1] scale of the plug-in's number parameters: every whole setting reachable exactly,
// the ends at the ends, hundredths as steps below the knee, and anything else held.

#include "frei0r/slider_scale.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>

#include "frei0r/plugin_params.h"

namespace {

using lintra::frei0r::settingFromSlider;
using lintra::frei0r::sliderFromSetting;
using lintra::frei0r::SliderRange;

struct Range {
    SliderRange range;
    std::int32_t lowest;
    std::int32_t highest;
};

class SliderScale : public ::testing::TestWithParam<Range> {};

TEST_P(SliderScale, EveryWholeSettingHasAValueThatGivesExactlyIt) {
    const Range r = GetParam();
    double previous = -1;
    for (std::int32_t n = r.lowest; n <= r.highest; ++n) {
        const double x = sliderFromSetting(n, r.range);
        ASSERT_GE(x, 0.0) << n;
        ASSERT_LE(x, 1.0) << n;
        ASSERT_GT(x, previous) << n;
        ASSERT_EQ(settingFromSlider(x, r.range), n) << "slider " << x;
        previous = x;
    }
}

TEST_P(SliderScale, TheEndsGiveTheEndsAndEverythingElseIsHeld) {
    const Range r = GetParam();
    const double inf = std::numeric_limits<double>::infinity();
    const double nan = std::numeric_limits<double>::quiet_NaN();
    for (double low : {0.0, -0.0, -0.001, -5.0, -inf, nan}) {
        EXPECT_EQ(settingFromSlider(low, r.range), r.lowest) << low;
    }
    for (double high : {1.0, 1.0000001, 10.0, 511.0, inf}) {
        EXPECT_EQ(settingFromSlider(high, r.range), r.highest) << high;
    }
    EXPECT_EQ(sliderFromSetting(r.highest + 1000, r.range), 1.0);
    EXPECT_EQ(sliderFromSetting(-7, r.range), sliderFromSetting(r.lowest, r.range));
}

TEST_P(SliderScale, NeverStepsBackAlongTheSlider) {
    const Range r = GetParam();
    std::int32_t previous = r.lowest;
    for (int i = 0; i <= 100000; ++i) {
        const std::int32_t n = settingFromSlider(i / 100000.0, r.range);
        ASSERT_GE(n, previous) << i;
        ASSERT_LE(n - previous, 1) << i;
        previous = n;
    }
}

INSTANTIATE_TEST_SUITE_P(Ranges, SliderScale,
                         ::testing::Values(Range{SliderRange::length, 1, 1023},
                                           Range{SliderRange::threshold, 0, 511}),
                         [](const auto& range) {
                             return range.param.range == SliderRange::length ? "lengths"
                                                                             : "thresholds";
                         });

TEST(SliderScale, HundredthsAreStepsUpToTheKnee) {
    EXPECT_EQ(settingFromSlider(0.05, SliderRange::threshold), 5);
    EXPECT_EQ(settingFromSlider(0.20, SliderRange::threshold), 20);
    EXPECT_EQ(settingFromSlider(0.60, SliderRange::threshold), 60);
    EXPECT_EQ(settingFromSlider(0.10, SliderRange::length), 10);
    EXPECT_EQ(settingFromSlider(0.03, SliderRange::length), 3);
    EXPECT_EQ(settingFromSlider(0.01, SliderRange::length), 1);
    EXPECT_EQ(settingFromSlider(0.004, SliderRange::length), 1);
    EXPECT_EQ(settingFromSlider(0.8, SliderRange::threshold), 286);  // 60 + 0.2 * 1127.5
    EXPECT_EQ(settingFromSlider(0.8, SliderRange::length), 542);     // 60 + 0.2 * 2407.5
}

TEST(SliderScale, TheParametersStartAtTheDefaultSettings) {
    using namespace lintra::frei0r;
    lintra::FilterSettings got{}, want{};
    lintra::setDefaults(want);
    std::memset(&got, 0x55, sizeof got);
    for (int i = kParamRgb; i < kParamCount; ++i) {
        const double x = defaultParam(i);
        ASSERT_GE(x, 0.0) << i;
        ASSERT_LE(x, 1.0) << i;
        ASSERT_TRUE(applyNumberParam(got, i, x)) << i;
    }
    EXPECT_EQ(std::memcmp(&got, &want, sizeof got), 0);
    EXPECT_DOUBLE_EQ(defaultParam(kParamLumaThreshold), 0.05);
    EXPECT_DOUBLE_EQ(defaultParam(kParamLumaLength), 0.10);
}

}  // namespace
