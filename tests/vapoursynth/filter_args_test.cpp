// The function's arguments: numbers of any size and sign held to the dialog's ranges with
// their coefficients derived, flags set by any non-zero number, a settings text winning over
// them all, and a bad text refused with the parser's own words.

#include "vapoursynth/filter_args.h"

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <limits>
#include <string>

#include "persistence/config_line.h"

namespace lintra::vs {
namespace {

FilterSettings defaultsWith(const std::function<void(FilterSettings&)>& edit) {
    FilterSettings s{};
    setDefaults(s);
    edit(s);
    return s;
}

FilterArgs withNumber(int arg, std::int64_t value) {
    FilterArgs args{};
    args.given[arg] = true;
    args.value[arg] = value;
    return args;
}

FilterArgs withSettings(const std::string& text) {
    FilterArgs args{};
    args.settingsGiven = true;
    args.settings = text;
    return args;
}

void expectSettings(const FilterArgs& args, const FilterSettings& want) {
    FilterSettings got{};
    std::memset(&got, 0x5A, sizeof got);
    std::string error;
    ASSERT_TRUE(settingsFromArgs(args, got, error)) << error;
    EXPECT_EQ(std::memcmp(&got, &want, sizeof got), 0);
}

TEST(FilterArgs, NoArgumentsGiveTheDefaults) {
    expectSettings(FilterArgs{}, defaultsWith([](auto&) {}));
}

struct NumberCase {
    int arg;
    std::int64_t value;
    std::function<void(FilterSettings&)> edit;
};

class FilterArgsNumber : public ::testing::TestWithParam<NumberCase> {};

TEST_P(FilterArgsNumber, IsHeldToTheDialogsRange) {
    const NumberCase& c = GetParam();
    SCOPED_TRACE(std::string(kNumberArgNames[c.arg]) + " = " + std::to_string(c.value));
    expectSettings(withNumber(c.arg, c.value), defaultsWith(c.edit));
}

constexpr std::int64_t kHuge = std::numeric_limits<std::int64_t>::max();
constexpr std::int64_t kMost = std::numeric_limits<std::int64_t>::min();

INSTANTIATE_TEST_SUITE_P(
    Numbers, FilterArgsNumber,
    ::testing::Values(
        NumberCase{kArgRgb, 1, [](auto& s) { s.rgbProcessing = 1; }},
        NumberCase{kArgRgb, -7, [](auto& s) { s.rgbProcessing = 1; }},
        NumberCase{kArgRgb, 0, [](auto&) {}},
        NumberCase{kArgInterlaced, 0, [](auto& s) { s.interlaced = 0; }},
        NumberCase{kArgInterlaced, 1LL << 40, [](auto& s) { s.interlaced = 1; }},
        NumberCase{kArgTestMode, 2, [](auto& s) { s.testMode = 1; }},
        NumberCase{kArgLumaLength, 16, [](auto& s) { s.yAverage = 16, s.yCoefficient = 233; }},
        NumberCase{kArgLumaLength, 2, [](auto& s) { s.yAverage = 2, s.yCoefficient = 64; }},
        NumberCase{kArgLumaLength, 1, [](auto& s) { s.yAverage = 1, s.yCoefficient = 0; }},
        NumberCase{kArgLumaLength, 0, [](auto& s) { s.yAverage = 1, s.yCoefficient = 0; }},
        NumberCase{kArgLumaLength, -5, [](auto& s) { s.yAverage = 1, s.yCoefficient = 0; }},
        NumberCase{kArgLumaLength, kMost, [](auto& s) { s.yAverage = 1, s.yCoefficient = 0; }},
        NumberCase{kArgLumaLength, 5000, [](auto& s) { s.yAverage = 1023, s.yCoefficient = 255; }},
        NumberCase{kArgLumaLength, kHuge, [](auto& s) { s.yAverage = 1023, s.yCoefficient = 255; }},
        // 2^32 + 3 must not wrap to 3.
        NumberCase{kArgChromaLength, (1LL << 32) + 3,
                   [](auto& s) { s.uvAverage = 1023, s.uvCoefficient = 255; }},
        NumberCase{kArgChromaLength, 5, [](auto& s) { s.uvAverage = 5, s.uvCoefficient = 181; }},
        NumberCase{kArgChromaLength, -1, [](auto& s) { s.uvAverage = 1, s.uvCoefficient = 0; }},
        NumberCase{kArgLumaThreshold, 8,
                   [](auto& s) { s.yVerticalThreshold = s.yHorizontalThreshold = 8; }},
        NumberCase{kArgLumaThreshold, 600,
                   [](auto& s) { s.yVerticalThreshold = s.yHorizontalThreshold = 511; }},
        NumberCase{kArgLumaThreshold, -3,
                   [](auto& s) { s.yVerticalThreshold = s.yHorizontalThreshold = 0; }},
        NumberCase{kArgChromaThreshold, 511,
                   [](auto& s) { s.uvVerticalThreshold = s.uvHorizontalThreshold = 511; }},
        NumberCase{kArgChromaThreshold, kMost,
                   [](auto& s) { s.uvVerticalThreshold = s.uvHorizontalThreshold = 0; }},
        NumberCase{kArgChromaThreshold, kHuge,
                   [](auto& s) { s.uvVerticalThreshold = s.uvHorizontalThreshold = 511; }}));

TEST(FilterArgs, AllNumbersTogether) {
    FilterArgs args{};
    const std::int64_t values[kNumberArgCount] = {1, 0, 1, 20, 9, 4, 33};
    for (int i = 0; i < kNumberArgCount; ++i) {
        args.given[i] = true;
        args.value[i] = values[i];
    }
    expectSettings(args, defaultsWith([](auto& s) {
                       s.rgbProcessing = 1, s.interlaced = 0, s.testMode = 1;
                       s.yAverage = 20, s.yCoefficient = 238;
                       s.uvAverage = 4, s.uvCoefficient = 161;
                       s.yVerticalThreshold = s.yHorizontalThreshold = 9;
                       s.uvVerticalThreshold = s.uvHorizontalThreshold = 33;
                   }));
}

TEST(FilterArgs, ASettingsLineWinsOverEveryNumber) {
    FilterArgs args = withSettings("Config(262153, 2621470, 1966092, 256)");
    for (int i = 0; i < kNumberArgCount; ++i) {
        args.given[i] = true;
        args.value[i] = 3;
    }
    FilterSettings want{};
    parseConfig(want, 262153, 2621470, 1966092, 256);
    expectSettings(args, want);
}

TEST(FilterArgs, SettingsOptionsStartFromTheDefaultsNotFromTheNumbers) {
    FilterArgs args = withSettings("--progressive --luma-threshold 700");
    args.given[kArgRgb] = true;
    args.value[kArgRgb] = 1;
    expectSettings(args, defaultsWith([](auto& s) {
                       s.interlaced = 0;
                       s.yVerticalThreshold = s.yHorizontalThreshold = 511;
                   }));
}

TEST(FilterArgs, BlankSettingsLeaveTheNumbers) {
    for (const char* blank : {"", "   ", "\t\n"}) {
        FilterArgs args = withSettings(blank);
        args.given[kArgLumaThreshold] = true;
        args.value[kArgLumaThreshold] = 9;
        expectSettings(
            args, defaultsWith([](auto& s) { s.yVerticalThreshold = s.yHorizontalThreshold = 9; }));
    }
}

struct Refused {
    std::string text;
    const char* message;
};

class FilterArgsRefused : public ::testing::TestWithParam<Refused> {};

TEST_P(FilterArgsRefused, WithTheParsersMessage) {
    FilterSettings got{};
    std::memset(&got, 0x5A, sizeof got);
    const FilterSettings before = got;
    std::string error;
    EXPECT_FALSE(settingsFromArgs(withSettings(GetParam().text), got, error));
    EXPECT_EQ(error, GetParam().message);
    EXPECT_EQ(std::memcmp(&got, &before, sizeof got), 0);
}

INSTANTIATE_TEST_SUITE_P(
    Texts, FilterArgsRefused,
    ::testing::Values(Refused{"--luma-threshold", "settings: --luma-threshold needs a value"},
                      Refused{"--luma-threshold -4",
                              "settings: --luma-threshold needs a non-negative integer, got '-4'"},
                      Refused{"--sharpen 3", "settings: unknown option '--sharpen'"},
                      Refused{"1 2 3",
                              "settings line: expected four integers, found 3, or settings options "
                              "such as --luma-threshold 8"},
                      Refused{
                          "Config(1, 2, 3, x)",
                          "settings line: expected an integer, found 'x', or settings options such "
                          "as --luma-threshold 8"},
                      Refused{std::string("--rgb\0--progressive", 19),
                              "settings: the text holds a NUL character"}));

// The declared argument list names the same arguments, in the same order, as the table the
// plug-in reads them with.
TEST(FilterArgs, DeclaredListMatchesTheNames) {
    std::string want = "clip:vnode;";
    for (const char* name : kNumberArgNames) want += std::string(name) + ":int:opt;";
    want += std::string(kSettingsArgName) + ":data:opt;";
    EXPECT_EQ(want, kFunctionArgs);
}

}  // namespace
}  // namespace lintra::vs
