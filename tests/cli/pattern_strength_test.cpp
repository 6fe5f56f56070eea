#include "cli/pattern_strength.h"

#include <gtest/gtest.h>

#include "cli/picture.h"

namespace lintra {
namespace {

// A grey picture whose rows are offset by amplitude * sign(y); sign from `period` lines.
Picture stripedGrey(int amplitude, int period) {
    Picture p;
    resizePicture(p, 8, 12);
    for (std::int32_t y = 0; y < p.height; ++y) {
        const int v = 128 + ((y / period) % 2 == 0 ? amplitude : -amplitude);
        for (std::int32_t x = 0; x < p.width; ++x) {
            for (int k = 0; k < 3; ++k) {
                p.bgrx[static_cast<std::size_t>((y * p.width + x) * 4 + k)] =
                    static_cast<std::uint8_t>(v);
            }
            p.bgrx[static_cast<std::size_t>((y * p.width + x) * 4 + 3)] = 255;
        }
    }
    return p;
}

TEST(PatternStrength, MeasuresTheLineAlternatingDepartureAtTheLineDistance) {
    Picture lineByLine = stripedGrey(3, 1);
    Picture fieldByField = stripedGrey(3, 2);
    // A pattern of +-3 departs by 6 from the average of its neighbours.
    EXPECT_DOUBLE_EQ(patternStrength(frameOf(lineByLine), 1), 6.0);
    EXPECT_DOUBLE_EQ(patternStrength(frameOf(lineByLine), 2), 0.0);
    EXPECT_DOUBLE_EQ(patternStrength(frameOf(fieldByField), 2), 6.0);
    // Progressive view of ++--: every row sits next to one like it and one unlike it.
    EXPECT_DOUBLE_EQ(patternStrength(frameOf(fieldByField), 1), 3.0);
}

TEST(PatternStrength, LeavesOutDetailAndIgnoresByte3) {
    Picture strong = stripedGrey(16, 1);  // departs by 32: still counted
    EXPECT_DOUBLE_EQ(patternStrength(frameOf(strong), 1), 32.0);
    Picture detail = stripedGrey(17, 1);  // departs by 34: picture detail
    EXPECT_DOUBLE_EQ(patternStrength(frameOf(detail), 1), 0.0);
}

TEST(PatternStrength, TooSmallFramesMeasureZero) {
    Picture p = stripedGrey(3, 1);
    FrameView f = frameOf(p);
    f.height = 4;
    EXPECT_DOUBLE_EQ(patternStrength(f, 2), 0.0);
    EXPECT_GT(patternStrength(f, 1), 0.0);
}

}  // namespace
}  // namespace lintra
