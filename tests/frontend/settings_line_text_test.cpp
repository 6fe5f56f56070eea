// The forms a settings line may take in a filter graph, and the ones it may not.

#include "frontend/settings_line_text.h"

#include <gtest/gtest.h>

#include <cstring>

#include "persistence/config_line.h"

namespace {

using lintra::canonicalLine;
using lintra::settingsFromLine;

struct Accepted {
    const char* text;
    const char* canonical;
};

class AcceptedLine : public ::testing::TestWithParam<Accepted> {};

TEST_P(AcceptedLine, RestoresWhatTheConfigLineRestores) {
    std::string line, error;
    ASSERT_TRUE(canonicalLine(GetParam().text, line, error)) << error;
    EXPECT_EQ(line, GetParam().canonical);
    lintra::FilterSettings got{}, want{};
    ASSERT_TRUE(settingsFromLine(GetParam().text, got, error)) << error;
    lintra::parseConfig(want, 655363, 327700, 327700, -16777216);
    EXPECT_EQ(std::memcmp(&got, &want, sizeof got), 0);
}

INSTANTIATE_TEST_SUITE_P(
    Forms, AcceptedLine,
    ::testing::Values(
        Accepted{"Config(655363, 327700, 327700, -16777216)",
                 "Config(655363, 327700, 327700, -16777216)"},
        Accepted{"  Config ( 655363,327700 ,327700, 4278190080 )  ",
                 "Config(655363, 327700, 327700, 4278190080)"},
        Accepted{"655363 327700 327700 -16777216", "Config(655363, 327700, 327700, -16777216)"},
        Accepted{"655363/327700/327700/-16777216", "Config(655363, 327700, 327700, -16777216)"},
        Accepted{"655363;327700;327700;-16777216", "Config(655363, 327700, 327700, -16777216)"},
        Accepted{"655363, 327700,\t327700 ,-16777216", "Config(655363, 327700, 327700, -16777216)"},
        Accepted{"Config(655363/327700/327700/-16777216)",
                 "Config(655363, 327700, 327700, -16777216)"}));

class RefusedLine : public ::testing::TestWithParam<const char*> {};

TEST_P(RefusedLine, SaysWhyAndLeavesTheSettings) {
    lintra::FilterSettings s{};
    lintra::setDefaults(s);
    const lintra::FilterSettings before = s;
    std::string error;
    EXPECT_FALSE(settingsFromLine(GetParam(), s, error));
    EXPECT_FALSE(error.empty());
    EXPECT_EQ(std::memcmp(&s, &before, sizeof s), 0);
}

INSTANTIATE_TEST_SUITE_P(Forms, RefusedLine,
                         ::testing::Values("1 2 3", "1 2 3 4 5", "Config(1, 2, 3, 4",
                                           "Config 1 2 3 4", "Config(1, 2, 3, 4))", "1 2 x 4",
                                           "4294967296 0 0 0", "-2147483649 0 0 0", "1.5 2 3 4", "",
                                           "Config()"));

TEST(BlankLine, IsNotGiven) {
    EXPECT_TRUE(lintra::isBlankLine(nullptr));
    EXPECT_TRUE(lintra::isBlankLine(" \t "));
    EXPECT_FALSE(lintra::isBlankLine(" 0 "));
}

}  // namespace
