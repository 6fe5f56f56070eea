#include "cli/video_progress.h"

#include <gtest/gtest.h>

namespace {

using lintra::video::clockText;
using lintra::video::progressBar;
using lintra::video::progressLine;

TEST(Progress, ClockText) {
    EXPECT_EQ(clockText(0), "0:00");
    EXPECT_EQ(clockText(59.4), "0:59");
    EXPECT_EQ(clockText(59.6), "1:00");
    EXPECT_EQ(clockText(3725), "1:02:05");
    EXPECT_EQ(clockText(-3), "0:00");
}

TEST(Progress, PlainLineForLogs) {
    EXPECT_EQ(progressLine({120, 450, 4.0}), "lintra: 120/450 frames, 30.0 fps, 0:11 left");
    EXPECT_EQ(progressLine({120, 0, 4.0}), "lintra: 120 frames, 30.0 fps");
    // A total that was only an estimate and fell short is not shown.
    EXPECT_EQ(progressLine({500, 450, 10.0}), "lintra: 500 frames, 50.0 fps");
    EXPECT_EQ(progressLine({0, 450, 0.0}), "lintra: 0/450 frames, 0.0 fps");
}

TEST(Progress, BarFitsTheTerminal) {
    const std::string bar = progressBar({225, 450, 5.0}, 80);
    EXPECT_EQ(bar,
              "[####################--------------------]  225/450 frames  45.0 fps  0:05 left");
    EXPECT_LT(bar.size(), 80u);
    const std::string narrow = progressBar({225, 450, 5.0}, 45);
    EXPECT_LT(narrow.size(), 45u);
    EXPECT_EQ(narrow.find('['), std::string::npos);
    EXPECT_EQ(progressBar({450, 450, 5.0}, 80).find('-'), std::string::npos);
    EXPECT_EQ(progressBar({3, 0, 1.0}, 80), "  3 frames  3.0 fps");
}

}  // namespace
