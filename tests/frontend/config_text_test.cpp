#include "frontend/config_text.h"

#include <gtest/gtest.h>

#include <cstring>

#include "persistence/config_line.h"

namespace lintra {
namespace {

bool sameSettings(const FilterSettings& a, const FilterSettings& b) {
    return std::memcmp(&a, &b, sizeof a) == 0;
}

struct Accepted {
    const char* text;
    std::int32_t a, b, c, d;
};

class ConfigTextAccepts : public ::testing::TestWithParam<Accepted> {};

TEST_P(ConfigTextAccepts, RestoresWhatParseConfigRestoresFromTheWords) {
    const Accepted& p = GetParam();
    FilterSettings expected{};
    parseConfig(expected, p.a, p.b, p.c, p.d);
    FilterSettings got{};
    std::string error;
    ASSERT_TRUE(parseConfigText(p.text, got, error)) << p.text << ": " << error;
    EXPECT_TRUE(sameSettings(got, expected)) << p.text;
}

INSTANTIATE_TEST_SUITE_P(
    Lines, ConfigTextAccepts,
    ::testing::Values(
        Accepted{"Config(655363, 327700, 327700, 16777216)", 655363, 327700, 327700, 16777216},
        Accepted{"655363, 327700, 327700, 16777216", 655363, 327700, 327700, 16777216},
        Accepted{"  Config ( 1,2 ,3,\t4 ) ; ", 1, 2, 3, 4},
        Accepted{"Config(655363, 327700, 327700, 16777216);", 655363, 327700, 327700, 16777216},
        // The unsigned spelling of a word and its signed spelling are the same word.
        Accepted{"4294967295, 4294967295, 4294967295, 4294967295", -1, -1, -1, -1},
        Accepted{"-1, -1, -1, -1", -1, -1, -1, -1},
        Accepted{"-2147483648, 2147483648, 2147483647, 0", INT32_MIN, INT32_MIN, INT32_MAX, 0},
        Accepted{"Config(0, 65536, +7, -16777216)", 0, 65536, 7, -16777216},
        Accepted{"Config(00000000000000000000655363, 0, 0, 0)", 655363, 0, 0, 0}));

TEST(ConfigText, TakesWordsWithoutRangeChecks) {
    FilterSettings s{};
    std::string error;
    ASSERT_TRUE(parseConfigText("Config(0, 4294967295, 65536, -16777216)", s, error));
    EXPECT_EQ(s.yAverage, 0);
    EXPECT_EQ(s.yCoefficient, 255);
    EXPECT_EQ(s.yHorizontalThreshold, 65535);
    EXPECT_EQ(s.uvHorizontalThreshold, 65535);
    EXPECT_EQ(s.yVerticalThreshold, 1);
    EXPECT_EQ(s.uvVerticalThreshold, 0);
    EXPECT_EQ(s.interlaced, 255);
    EXPECT_EQ(s.testMode, 0);
    EXPECT_EQ(s.rgbProcessing, 0);
}

struct Rejected {
    const char* text;
    const char* messagePart;
};

class ConfigTextRejects : public ::testing::TestWithParam<Rejected> {};

TEST_P(ConfigTextRejects, LeavesSettingsAloneAndSaysWhy) {
    const Rejected& p = GetParam();
    FilterSettings s{};
    setDefaults(s);
    const FilterSettings before = s;
    std::string error;
    EXPECT_FALSE(parseConfigText(p.text, s, error)) << p.text;
    EXPECT_TRUE(sameSettings(s, before)) << p.text;
    EXPECT_NE(error.find(p.messagePart), std::string::npos) << p.text << " -> " << error;
    EXPECT_EQ(error.find('\n'), std::string::npos);
}

INSTANTIATE_TEST_SUITE_P(
    Lines, ConfigTextRejects,
    ::testing::Values(
        Rejected{"", "expected an integer"}, Rejected{"Config()", "expected an integer"},
        Rejected{"Config(1, 2, 3)", "found 3"}, Rejected{"1, 2, 3, 4, 5", "unexpected text"},
        Rejected{"Config(1, 2, 3, 4", "expected ')'"},
        Rejected{"Config 1, 2, 3, 4", "expected '('"}, Rejected{"Config(1, 2, x, 4)", "'x'"},
        Rejected{"Config(1, 2, 3.5, 4)", "3.5"},
        Rejected{"Config(1, 2, 3, 4294967296)", "4294967296 is out of range"},
        Rejected{"-2147483649, 0, 0, 0", "-2147483649 is out of range"},
        Rejected{"99999999999999999999999, 0, 0, 0", "out of range"},
        Rejected{"config(1, 2, 3, 4)", "expected an integer"},
        Rejected{"Config(1, 2, 3, 4) junk", "unexpected text"},
        Rejected{"- 1, 2, 3, 4", "expected an integer"}));

TEST(ConfigText, NullTextIsAnError) {
    FilterSettings s{};
    std::string error;
    EXPECT_FALSE(parseConfigText(nullptr, s, error));
    EXPECT_FALSE(error.empty());
}

}  // namespace
}  // namespace lintra
