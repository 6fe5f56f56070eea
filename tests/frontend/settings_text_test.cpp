// A plug-in's settings text: the command's options applied in order on the defaults, or a
// saved line; anything else refused with one line and the settings untouched.

#include "frontend/settings_text.h"

#include <gtest/gtest.h>

#include <cstring>
#include <functional>

#include "persistence/config_line.h"

namespace lintra {
namespace {

FilterSettings defaultsWith(const std::function<void(FilterSettings&)>& edit) {
    FilterSettings s{};
    setDefaults(s);
    edit(s);
    return s;
}

FilterSettings fromWords(std::int32_t a, std::int32_t b, std::int32_t c, std::int32_t d) {
    FilterSettings s{};
    parseConfig(s, a, b, c, d);
    return s;
}

struct Accepted {
    const char* text;
    FilterSettings want;
};

class SettingsTextAccepts : public ::testing::TestWithParam<Accepted> {};

TEST_P(SettingsTextAccepts, GivesTheSettingsTheCommandWould) {
    FilterSettings got{};
    std::memset(&got, 0x77, sizeof got);
    std::string error;
    ASSERT_TRUE(settingsFromText(GetParam().text, got, error)) << error;
    EXPECT_EQ(std::memcmp(&got, &GetParam().want, sizeof got), 0) << GetParam().text;
}

INSTANTIATE_TEST_SUITE_P(
    Texts, SettingsTextAccepts,
    ::testing::Values(Accepted{"--luma-threshold 8 --chroma-threshold 30 --progressive",
                               defaultsWith([](auto& s) {
                                   s.yVerticalThreshold = s.yHorizontalThreshold = 8;
                                   s.uvVerticalThreshold = s.uvHorizontalThreshold = 30;
                                   s.interlaced = 0;
                               })},
                      Accepted{"  --rgb\t--luma-length=20\n", defaultsWith([](auto& s) {
                                   s.rgbProcessing = 1;
                                   s.yAverage = 20;
                                   s.yCoefficient = 238;
                               })},
                      Accepted{"--test-mode --luma-length 0 --chroma-length 99999999999",
                               defaultsWith([](auto& s) {
                                   s.testMode = 1;
                                   s.yAverage = 1;
                                   s.yCoefficient = 0;
                                   s.uvAverage = 1023;
                                   s.uvCoefficient = 255;
                               })},
                      Accepted{"--rgb --yuv --interlaced", defaultsWith([](auto&) {})},
                      Accepted{"--config 'Config(655363, 327700, 327700, 0)' --luma-threshold 600",
                               defaultsWith([](auto& s) {
                                   s.interlaced = 0;
                                   s.yVerticalThreshold = s.yHorizontalThreshold = 511;
                               })},
                      Accepted{"--config=\"1, 2, 3, 4\"", fromWords(1, 2, 3, 4)},
                      Accepted{"Config(262153, 2621470, 1966092, 256)",
                               fromWords(262153, 2621470, 1966092, 256)},
                      Accepted{"-1 0 0 0", fromWords(-1, 0, 0, 0)}));

struct Refused {
    const char* text;
    const char* messagePart;
};

class SettingsTextRefuses : public ::testing::TestWithParam<Refused> {};

TEST_P(SettingsTextRefuses, WithOneLineAndTheSettingsUntouched) {
    FilterSettings got{};
    std::memset(&got, 0x77, sizeof got);
    const FilterSettings before = got;
    std::string error;
    EXPECT_FALSE(settingsFromText(GetParam().text, got, error));
    EXPECT_EQ(std::memcmp(&got, &before, sizeof got), 0);
    EXPECT_NE(error.find(GetParam().messagePart), std::string::npos) << error;
    EXPECT_EQ(error.find('\n'), std::string::npos) << error;
}

INSTANTIATE_TEST_SUITE_P(
    Texts, SettingsTextRefuses,
    ::testing::Values(Refused{"--fast", "unknown option '--fast'"},
                      Refused{"--progressive --size 10x10", "unknown option '--size'"},
                      Refused{"--luma-threshold", "--luma-threshold needs a value"},
                      Refused{"--luma-threshold -3", "needs a non-negative integer, got '-3'"},
                      Refused{"--luma-threshold 8 --progressive=1", "takes no value"},
                      Refused{"--luma-threshold 8 9", "unexpected '9'"},
                      Refused{"--config 'Config(1, 2, 3, 4)", "quote ' is not closed"},
                      Refused{"--config 1,2,3", "--config: expected 4 integers"},
                      Refused{"1 2 3", "or settings options such as --luma-threshold 8"},
                      Refused{"--rgb --test-mode --luma-threshold=x", "got 'x'"}));

TEST(SettingsText, BlankTextIsNoSettings) {
    for (const char* text : {static_cast<const char*>(nullptr), "", "  \t\n "}) {
        EXPECT_TRUE(isBlankSettingsText(text));
    }
    EXPECT_FALSE(isBlankSettingsText(" --rgb"));
}

}  // namespace
}  // namespace lintra
