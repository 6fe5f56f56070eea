#include <gtest/gtest.h>

#include <cstdlib>

#include "cli/pattern_strength.h"
#include "cli/png_command.h"
#include "cli/sample_picture.h"

namespace lintra {
namespace {

FilterSettings defaults() {
    FilterSettings s{};
    setDefaults(s);
    return s;
}

// Largest per-channel difference of two pictures inside the fine-line patch, leaving out the
// two rows at its top and bottom edge, where the patch meets the background.
int largestDifferenceInPatch(const Picture& a, const Picture& b, SampleRegion r) {
    int largest = 0;
    for (std::int32_t y = r.y + 2; y < r.y + r.height - 2; ++y) {
        for (std::int32_t x = r.x; x < r.x + r.width; ++x) {
            for (int k = 0; k < 3; ++k) {
                const auto i = static_cast<std::size_t>((y * a.width + x) * 4 + k);
                largest = std::max(largest, std::abs(a.bgrx[i] - b.bgrx[i]));
            }
        }
    }
    return largest;
}

class SampleTest : public ::testing::Test {
  protected:
    void SetUp() override {
        makeSamplePicture(clean_, false);
        makeSamplePicture(patterned_, true);
    }
    Picture clean_;
    Picture patterned_;
};

TEST_F(SampleTest, IsDeterministicAndCarriesThePatternEverywhere) {
    Picture again;
    makeSamplePicture(again, true);
    EXPECT_EQ(again.bgrx, patterned_.bgrx);
    EXPECT_EQ(patterned_.width, kSampleWidth);
    EXPECT_EQ(patterned_.height, kSampleHeight);
    EXPECT_GT(patternStrength(frameOf(patterned_), 2), 8.0);
    EXPECT_LT(patternStrength(frameOf(clean_), 2), 0.5);
}

TEST_F(SampleTest, DefaultSettingsRemoveMostOfThePattern) {
    Picture filtered = patterned_;
    ASSERT_TRUE(filterPicture(defaults(), filtered));
    const double before = patternStrength(frameOf(patterned_), 2);
    const double after = patternStrength(frameOf(filtered), 2);
    EXPECT_LT(after, before / 10.0) << "before " << before << " after " << after;
}

TEST_F(SampleTest, FineHorizontalLinesOfACleanPictureComeThroughUnchanged) {
    Picture filtered = clean_;
    ASSERT_TRUE(filterPicture(defaults(), filtered));
    for (const SampleRegion& r : sampleDetailRegions()) {
        EXPECT_LE(largestDifferenceInPatch(filtered, clean_, r), 1) << "patch at x " << r.x;
    }
}

TEST_F(SampleTest, FineHorizontalLinesSurviveWhileThePatternGoes) {
    // With the pattern on top, the lines come out as in the clean picture, give or take the
    // part of the pattern that rides on detail too strong to be touched (about 2 steps).
    Picture filtered = patterned_;
    ASSERT_TRUE(filterPicture(defaults(), filtered));
    for (const SampleRegion& r : sampleDetailRegions()) {
        EXPECT_LE(largestDifferenceInPatch(filtered, clean_, r), 3) << "patch at x " << r.x;
    }
}

TEST_F(SampleTest, ProgressiveSettingsKeepTheFineLinesToo) {
    FilterSettings progressive = defaults();
    progressive.interlaced = 0;
    Picture filtered = clean_;
    ASSERT_TRUE(filterPicture(progressive, filtered));
    for (const SampleRegion& r : sampleDetailRegions()) {
        EXPECT_LE(largestDifferenceInPatch(filtered, clean_, r), 1) << "patch at x " << r.x;
    }
}

}  // namespace
}  // namespace lintra
