#include "cli/suggest_estimate.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <random>

#include "cli/cli_options.h"
#include "cli/png_command.h"
#include "cli/suggest_command.h"
#include "engine/colour_constants.h"

namespace lintra {
namespace {

struct Rgb {
    int r, g, b;
};

// Rows alternate between colours `a` and `b`, `period` rows of each (1: line by line, as a
// progressive raster shows a subcarrier; 2: field by field, as woven fields show it).
Picture alternating(Rgb a, Rgb b, int period, std::int32_t w = 64, std::int32_t h = 48) {
    Picture p;
    resizePicture(p, w, h);
    for (std::int32_t y = 0; y < h; ++y) {
        const Rgb c = (y / period) % 2 == 0 ? a : b;
        for (std::int32_t x = 0; x < w; ++x) {
            std::uint8_t* px = &p.bgrx[static_cast<std::size_t>(y * w + x) * 4];
            px[0] = static_cast<std::uint8_t>(c.b);
            px[1] = static_cast<std::uint8_t>(c.g);
            px[2] = static_cast<std::uint8_t>(c.r);
        }
    }
    return p;
}

Suggestion suggestFor(const std::vector<Picture>& pictures, SuggestStats* out = nullptr) {
    SuggestStats stats;
    std::vector<Triplet> work;
    for (const Picture& p : pictures) addSuggestFrame(p, stats, work);
    if (out != nullptr) *out = stats;
    return suggestSettings(stats);
}

// The comb signal of a row of `m` between rows of `t`, as the filter computes it, in steps.
double lumaDeparture(Rgb t, Rgb m) {
    const Triplet a = yccFromBgr(t.b, t.g, t.r), b = yccFromBgr(m.b, m.g, m.r);
    return std::abs((a.c[0] >> 1) + (a.c[0] >> 1) - b.c[0]) / 16.0;
}

double chromaDeparture(Rgb t, Rgb m) {
    const Triplet a = yccFromBgr(t.b, t.g, t.r), b = yccFromBgr(m.b, m.g, m.r);
    const double cr = (a.c[1] >> 1) + (a.c[1] >> 1) - b.c[1];
    const double cb = (a.c[2] >> 1) + (a.c[2] >> 1) - b.c[2];
    return std::hypot(cr, cb) / 16.0;
}

struct PatternCase {
    int period;
    int distance;
    Rgb a, b;
};

class KnownPattern : public ::testing::TestWithParam<PatternCase> {};

// A pattern of known amplitude: the suggestion finds its line distance, a chroma threshold
// 1.5 times its departure (which lands in one whole-step bin, read at 99 % of its width) and
// a luma threshold of its luma departure rounded up (90 % of its bin). Chroma departing by
// less than kChromaEvidenceSteps and luma by less than a step count as no pattern.
TEST_P(KnownPattern, GivesTheExpectedDistanceAndThresholds) {
    const PatternCase c = GetParam();
    const Suggestion s = suggestFor({alternating(c.a, c.b, c.period)});
    const double luma = lumaDeparture(c.a, c.b), chroma = chromaDeparture(c.a, c.b);
    EXPECT_EQ(s.distance, c.distance);
    EXPECT_EQ(s.settings.interlaced, c.distance == 2 ? 1 : 0);
    EXPECT_EQ(s.chromaPattern, chroma >= kChromaEvidenceSteps);
    EXPECT_EQ(s.settings.uvVerticalThreshold,
              s.chromaPattern ? static_cast<int>(std::ceil((std::floor(chroma) + 0.99) * 1.5)) : 0);
    EXPECT_EQ(s.settings.uvHorizontalThreshold, s.settings.uvVerticalThreshold);
    EXPECT_EQ(s.lumaPattern, luma >= 1);
    EXPECT_EQ(s.settings.yVerticalThreshold,
              s.lumaPattern ? static_cast<int>(std::ceil(std::floor(luma) + 0.9)) : 0);
    EXPECT_EQ(s.settings.yHorizontalThreshold, s.settings.yVerticalThreshold);
    // Constant along the line: the comb signal keeps its sign as far as it is followed, so
    // a luma pattern gets the longest smoothing; chroma keeps the default length.
    EXPECT_EQ(s.settings.yAverage, s.lumaPattern ? 2 * kMaxLag - 1 : 10);
    EXPECT_EQ(s.settings.uvAverage, 3);
}

INSTANTIATE_TEST_SUITE_P(
    Suggest, KnownPattern,
    ::testing::Values(PatternCase{2, 2, {140, 120, 110}, {120, 124, 136}},  // chroma only
                      PatternCase{1, 1, {140, 120, 110}, {120, 124, 136}},
                      PatternCase{2, 2, {200, 60, 90}, {120, 90, 200}},  // luma and chroma
                      PatternCase{1, 1, {200, 60, 90}, {120, 90, 200}},
                      PatternCase{1, 1, {110, 110, 110}, {100, 100, 100}},  // luma only
                      PatternCase{2, 2, {110, 110, 110}, {100, 100, 100}},
                      PatternCase{2, 2, {90, 100, 110}, {94, 99, 105}}));  // too faint

// A clean picture (ramps, soft detail, hard edges, a little noise): nothing looks like a
// pattern, the thresholds are 0 and the filter leaves the picture exactly as it is.
TEST(Suggest, ACleanPictureGetsSettingsThatLeaveItAlone) {
    Picture p;
    resizePicture(p, 96, 64);
    std::mt19937 random(7);
    std::uniform_int_distribution<int> noise(-1, 1);
    for (std::int32_t y = 0; y < p.height; ++y) {
        for (std::int32_t x = 0; x < p.width; ++x) {
            std::uint8_t* px = &p.bgrx[static_cast<std::size_t>(y * p.width + x) * 4];
            const int edge = (x > 40 && y > 20) ? 90 : 0;
            const int soft = static_cast<int>(20 * std::sin(x * 0.2) * std::cos(y * 0.15));
            px[0] = static_cast<std::uint8_t>(std::clamp(60 + x + edge + noise(random), 0, 255));
            px[1] = static_cast<std::uint8_t>(std::clamp(80 + soft + y + noise(random), 0, 255));
            px[2] = static_cast<std::uint8_t>(
                std::clamp(100 + 2 * y - edge / 2 + noise(random), 0, 255));
        }
    }
    const Suggestion s = suggestFor({p});
    EXPECT_FALSE(s.lumaPattern);
    EXPECT_FALSE(s.chromaPattern);
    EXPECT_EQ(s.distance, 2);
    EXPECT_EQ(s.settings.yVerticalThreshold, 0);
    EXPECT_EQ(s.settings.uvVerticalThreshold, 0);
    Picture filtered = p;
    ASSERT_TRUE(filterPicture(s.settings, filtered));
    for (std::size_t i = 0; i < p.bgrx.size(); i += 4) {
        ASSERT_EQ(filtered.bgrx[i], p.bgrx[i]);
        ASSERT_EQ(filtered.bgrx[i + 1], p.bgrx[i + 1]);
        ASSERT_EQ(filtered.bgrx[i + 2], p.bgrx[i + 2]);
    }
}

// Fields of a moving picture woven together comb its edges line by line: picture, not
// pattern. Here a third of the frame combs; nothing is suggested for it.
TEST(Suggest, CombingOfMovingWovenFieldsIsNoPattern) {
    Picture p = alternating({100, 100, 100}, {100, 100, 100}, 1, 96, 64);
    for (std::int32_t y = 0; y < p.height; ++y) {
        const std::int32_t edge = 30 + (y % 2) * 6;  // the bottom field is 6 pixels on
        for (std::int32_t x = edge; x < 62; ++x) {
            std::uint8_t* px = &p.bgrx[static_cast<std::size_t>(y * p.width + x) * 4];
            px[0] = 40;
            px[1] = 160;
            px[2] = 220;
        }
    }
    const Suggestion s = suggestFor({p});
    EXPECT_EQ(s.settings.interlaced, 1);
    EXPECT_EQ(s.settings.yVerticalThreshold, 0);
}

TEST(Suggest, NoFramesOrTooFewRowsGiveTheQuietSettings) {
    SuggestStats stats;
    std::vector<Triplet> work;
    addSuggestFrame(alternating({140, 120, 110}, {120, 124, 136}, 2, 8, 4), stats, work);
    EXPECT_EQ(stats.frames, 0);
    for (const SuggestStats& st : {SuggestStats{}, stats}) {
        const Suggestion s = suggestSettings(st);
        EXPECT_EQ(s.settings.interlaced, 1);
        EXPECT_EQ(s.settings.yVerticalThreshold, 0);
        EXPECT_EQ(s.settings.uvVerticalThreshold, 0);
        EXPECT_EQ(s.settings.yAverage, 10);
        EXPECT_EQ(s.settings.uvAverage, 3);
    }
}

TEST(Suggest, FramesAddUp) {
    const Picture a = alternating({140, 120, 110}, {120, 124, 136}, 2);
    SuggestStats one, two;
    suggestFor({a}, &one);
    suggestFor({a, a}, &two);
    EXPECT_EQ(two.frames, 2);
    EXPECT_EQ(two.distance[1].pixels, 2 * one.distance[1].pixels);
    EXPECT_EQ(two.distance[1].chromaPattern, [&] {
        auto doubled = one.distance[1].chromaPattern;
        for (auto& b : doubled) b *= 2;
        return doubled;
    }());
}

TEST(HistogramPercentile, InterpolatesWithinTheBin) {
    std::array<std::int64_t, kDepartureBins> bins{};
    EXPECT_EQ(histogramPercentile(bins, 0.9), 0.0);
    bins[5] = 10;
    EXPECT_DOUBLE_EQ(histogramPercentile(bins, 0.5), 5.5);
    EXPECT_DOUBLE_EQ(histogramPercentile(bins, 1.0), 6.0);
    bins[1] = 30;  // 30 of 40 below 2 steps
    EXPECT_DOUBLE_EQ(histogramPercentile(bins, 0.75), 2.0);
    EXPECT_DOUBLE_EQ(histogramPercentile(bins, 0.875), 5.5);
}

// The options text is what `lintra` reads back into the same settings.
TEST(Suggest, OptionsTextGivesTheSuggestedSettings) {
    for (const int period : {1, 2}) {
        const Suggestion s = suggestFor({alternating({200, 60, 90}, {120, 90, 200}, period)});
        std::vector<std::string> words = {"lintra"};
        std::string text = suggestionOptions(s) + " in.png out.png";
        for (std::size_t at = 0; at < text.size();) {
            const std::size_t end = std::min(text.find(' ', at), text.size());
            words.push_back(text.substr(at, end - at));
            at = end + 1;
        }
        std::vector<char*> argv;
        for (std::string& w : words) argv.push_back(w.data());
        CliOptions options;
        std::string error;
        ASSERT_TRUE(parseCommandLine(static_cast<int>(argv.size()), argv.data(), options, error))
            << error;
        EXPECT_EQ(std::memcmp(&options.settings, &s.settings, sizeof s.settings), 0) << text;
    }
}

}  // namespace
}  // namespace lintra
