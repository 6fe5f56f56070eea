#include <gtest/gtest.h>

#include "engine/filter_settings.h"

namespace lintra {
namespace {

TEST(Settings, DefaultsInFieldOrder) {
    FilterSettings s{};
    EXPECT_EQ(setDefaults(s), 0);
    const std::int32_t expected[11] = {10, 3, 219, 128, 5, 20, 5, 20, 1, 0, 0};
    const std::int32_t* fields = &s.yAverage;
    for (int i = 0; i < 11; ++i) EXPECT_EQ(fields[i], expected[i]) << "field " << i;
}

struct CoefficientCase {
    std::int32_t length;
    std::int32_t coefficient;
};

class AveragingCoefficient : public testing::TestWithParam<CoefficientCase> {};

TEST_P(AveragingCoefficient, MatchesTable) {
    EXPECT_EQ(averagingCoefficient(GetParam().length), GetParam().coefficient);
}

// 2 and 3 land exactly on .5 and must floor down; 0 and 711+ overflow 255 and are capped.
INSTANTIATE_TEST_SUITE_P(
    Lengths, AveragingCoefficient,
    testing::Values(CoefficientCase{2, 64}, CoefficientCase{3, 128}, CoefficientCase{4, 161},
                    CoefficientCase{5, 181}, CoefficientCase{6, 194}, CoefficientCase{8, 210},
                    CoefficientCase{10, 219}, CoefficientCase{16, 233}, CoefficientCase{20, 238},
                    CoefficientCase{32, 245}, CoefficientCase{50, 249}, CoefficientCase{100, 252},
                    CoefficientCase{200, 254}, CoefficientCase{236, 254}, CoefficientCase{237, 255},
                    CoefficientCase{710, 255}, CoefficientCase{711, 255},
                    CoefficientCase{1023, 255}, CoefficientCase{65535, 255}, CoefficientCase{1, 0},
                    CoefficientCase{0, 255}));

TEST(Settings, CoefficientNeverExceeds255) {
    for (std::int32_t n = -70000; n <= 70000; n += 7) {
        const std::int32_t c = averagingCoefficient(n);
        EXPECT_GE(c, 0) << n;
        EXPECT_LE(c, 255) << n;
    }
}

}  // namespace
}  // namespace lintra
