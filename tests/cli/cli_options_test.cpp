#include "cli/cli_options.h"

#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "frontend/settings_text.h"

namespace lintra {
namespace {

struct Parsed {
    bool ok;
    CliOptions options;
    std::string error;
};

Parsed parse(std::vector<const char*> args) {
    args.insert(args.begin(), "lintra");
    Parsed p;
    p.ok = parseCommandLine(static_cast<int>(args.size()), args.data(), p.options, p.error);
    return p;
}

TEST(CliOptions, DefaultsWithTwoFilesFilterPng) {
    const Parsed p = parse({"in.png", "out.png"});
    ASSERT_TRUE(p.ok) << p.error;
    EXPECT_EQ(p.options.action, CliAction::filter);
    EXPECT_FALSE(p.options.raw);
    EXPECT_EQ(p.options.input, "in.png");
    EXPECT_EQ(p.options.output, "out.png");
    FilterSettings defaults{};
    setDefaults(defaults);
    EXPECT_EQ(p.options.settings.yAverage, defaults.yAverage);
    EXPECT_EQ(p.options.settings.interlaced, 1);
}

TEST(CliOptions, OptionsApplyInCommandLineOrder) {
    // --config replaces everything before it; later options change single settings.
    Parsed p = parse({"--luma-threshold", "9", "--config", "Config(65537, 0, 0, 0)",
                      "--chroma-threshold=7", "--rgb", "in", "out"});
    ASSERT_TRUE(p.ok) << p.error;
    const FilterSettings& s = p.options.settings;
    EXPECT_EQ(s.yAverage, 1);
    EXPECT_EQ(s.uvAverage, 1);
    EXPECT_EQ(s.yVerticalThreshold, 0);
    EXPECT_EQ(s.uvVerticalThreshold, 7);
    EXPECT_EQ(s.uvHorizontalThreshold, 7);
    EXPECT_EQ(s.interlaced, 0);
    EXPECT_EQ(s.rgbProcessing, 1);

    p = parse({"--progressive", "--test-mode", "--interlaced", "--yuv", "a", "b"});
    ASSERT_TRUE(p.ok);
    EXPECT_EQ(p.options.settings.interlaced, 1);
    EXPECT_EQ(p.options.settings.testMode, 1);
    EXPECT_EQ(p.options.settings.rgbProcessing, 0);
}

struct LengthCase {
    const char* value;
    std::int32_t length;
    std::int32_t coefficient;
};

class LengthClamping : public ::testing::TestWithParam<LengthCase> {};

TEST_P(LengthClamping, FollowsTheDialogForLumaAndChroma) {
    const LengthCase& c = GetParam();
    Parsed p = parse({"--luma-length", c.value, "--chroma-length", c.value, "a", "b"});
    ASSERT_TRUE(p.ok) << p.error;
    EXPECT_EQ(p.options.settings.yAverage, c.length);
    EXPECT_EQ(p.options.settings.yCoefficient, c.coefficient);
    EXPECT_EQ(p.options.settings.uvAverage, c.length);
    EXPECT_EQ(p.options.settings.uvCoefficient, c.coefficient);
}

INSTANTIATE_TEST_SUITE_P(Values, LengthClamping,
                         ::testing::Values(LengthCase{"0", 1, 0}, LengthCase{"1", 1, 0},
                                           LengthCase{"2", 2, 64}, LengthCase{"3", 3, 128},
                                           LengthCase{"10", 10, 219}, LengthCase{"1023", 1023, 255},
                                           LengthCase{"5000", 1023, 255},
                                           // Beyond 32 bits: the largest value, not a wrap.
                                           LengthCase{"4294967296", 1023, 255},
                                           LengthCase{"99999999999999999999", 1023, 255}));

TEST(CliOptions, ThresholdsSetBothOfTheirGroupAndClamp) {
    Parsed p = parse({"--luma-threshold", "600", "--chroma-threshold", "0", "a", "b"});
    ASSERT_TRUE(p.ok);
    EXPECT_EQ(p.options.settings.yVerticalThreshold, 511);
    EXPECT_EQ(p.options.settings.yHorizontalThreshold, 511);
    EXPECT_EQ(p.options.settings.uvVerticalThreshold, 0);
    EXPECT_EQ(p.options.settings.uvHorizontalThreshold, 0);
    p = parse({"--luma-threshold", "2147483648", "a", "b"});
    ASSERT_TRUE(p.ok);
    EXPECT_EQ(p.options.settings.yVerticalThreshold, 511);
}

TEST(CliOptions, SizeSelectsRawFrames) {
    Parsed p = parse({"--size", "720x576", "-", "-"});
    ASSERT_TRUE(p.ok) << p.error;
    EXPECT_TRUE(p.options.raw);
    EXPECT_EQ(p.options.rawWidth, 720);
    EXPECT_EQ(p.options.rawHeight, 576);
    EXPECT_EQ(p.options.input, "-");
    EXPECT_EQ(p.options.output, "-");
}

// --version wins over files and other actions, but the options around it still apply: --cpu
// after it shows in what it prints, and a bad option is still an error.
TEST(CliOptions, VersionTakesTheCpuCapFromAnywhere) {
    Parsed p = parse({"--version", "--cpu=sse2"});
    ASSERT_TRUE(p.ok) << p.error;
    EXPECT_EQ(p.options.action, CliAction::version);
    EXPECT_TRUE(p.options.cpuGiven);
    EXPECT_EQ(p.options.cpuCap, CpuLevel::sse2);
    EXPECT_EQ(parse({"--version", "--write-sample", "s.png"}).options.action, CliAction::version);
    EXPECT_EQ(parse({"--measure", "m.png", "--version"}).options.action, CliAction::version);
    EXPECT_EQ(parse({"in.png", "out.png", "--version"}).options.action, CliAction::version);
    EXPECT_EQ(parse({"--print-config", "--version"}).options.action, CliAction::version);
    EXPECT_FALSE(parse({"--version", "--bogus"}).ok);
    EXPECT_FALSE(parse({"--version=1"}).ok);
}

TEST(CliOptions, ActionsWithoutFiles) {
    EXPECT_EQ(parse({"--print-config"}).options.action, CliAction::printConfig);
    EXPECT_EQ(parse({"--bogus", "--help"}).ok, false);
    EXPECT_EQ(parse({"x", "--help"}).options.action, CliAction::help);
    Parsed p = parse({"--write-sample", "s.png"});
    EXPECT_EQ(p.options.action, CliAction::writeSample);
    EXPECT_FALSE(p.options.cleanSample);
    EXPECT_EQ(p.options.output, "s.png");
    p = parse({"--progressive", "--measure", "m.png"});
    EXPECT_EQ(p.options.action, CliAction::measure);
    EXPECT_EQ(p.options.settings.interlaced, 0);
    p = parse({"--print-config", "a", "b"});
    EXPECT_EQ(p.options.action, CliAction::filter);
    EXPECT_TRUE(p.options.printConfig);
}

struct UsageError {
    std::vector<const char*> args;
    const char* messagePart;
};

class CliUsageErrors : public ::testing::TestWithParam<UsageError> {};

TEST_P(CliUsageErrors, AreRefusedWithOneLine) {
    const Parsed p = parse(GetParam().args);
    EXPECT_FALSE(p.ok);
    EXPECT_NE(p.error.find(GetParam().messagePart), std::string::npos) << p.error;
    EXPECT_EQ(p.error.find('\n'), std::string::npos);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, CliUsageErrors,
    ::testing::Values(UsageError{{}, "missing INPUT and OUTPUT"},
                      UsageError{{"in.png"}, "missing OUTPUT"},
                      UsageError{{"a", "b", "c"}, "unexpected argument 'c'"},
                      UsageError{{"--frobnicate", "a", "b"}, "unknown option '--frobnicate'"},
                      UsageError{{"-x", "a", "b"}, "unknown option '-x'"},
                      UsageError{{"a", "b", "--luma-length"}, "--luma-length needs a value"},
                      UsageError{{"--luma-length", "-5", "a", "b"},
                                 "non-negative integer, got '-5'"},
                      UsageError{{"--chroma-threshold", "12abc", "a", "b"}, "got '12abc'"},
                      UsageError{{"--luma-threshold=", "a", "b"}, "got ''"},
                      UsageError{{"--rgb=1", "a", "b"}, "--rgb takes no value"},
                      UsageError{{"--config", "Config(1, 2)", "a", "b"}, "--config: "},
                      UsageError{{"--size", "720", "a", "b"}, "--size needs WIDTHxHEIGHT"},
                      UsageError{{"--size", "0x576", "a", "b"}, "got '0x576'"},
                      UsageError{{"--size", "70000x10", "a", "b"}, "--size"},
                      UsageError{{"--size", "65535x65535", "a", "b"}, "--size"},
                      UsageError{{"--write-sample", "s.png", "a", "b"}, "take no INPUT"},
                      UsageError{{"--cpu=fast", "a", "b"},
                                 "--cpu needs scalar, sse2, avx2 or avx512, got 'fast'"}));

TEST(FrameSize, AcceptsWxHOnly) {
    std::int32_t w = 0, h = 0;
    EXPECT_TRUE(parseFrameSize("1x1", w, h));
    EXPECT_EQ(w, 1);
    EXPECT_EQ(h, 1);
    EXPECT_TRUE(parseFrameSize("16384x16384", w, h));
    for (const char* bad : {"", "x", "10x", "x10", "10X10", "10x10x", " 10x10", "-1x10", "10x0"}) {
        EXPECT_FALSE(parseFrameSize(bad, w, h)) << bad;
    }
}

TEST(CliOptions, DoubleDashEndsOptions) {
    const Parsed p = parse({"--", "-weird.png", "--out.png"});
    ASSERT_TRUE(p.ok) << p.error;
    EXPECT_EQ(p.options.input, "-weird.png");
    EXPECT_EQ(p.options.output, "--out.png");
}

// A plug-in's settings text with the command's options gives what the command line gives.
TEST(CliOptions, SettingsTextsGiveWhatTheCommandLineGives) {
    const std::vector<std::vector<std::string>> choices = {
        {"--rgb"},
        {"--yuv"},
        {"--interlaced"},
        {"--progressive"},
        {"--test-mode"},
        {"--luma-length", "0"},
        {"--luma-length=17"},
        {"--chroma-length", "4000"},
        {"--luma-threshold", "3"},
        {"--chroma-threshold=600"},
        {"--chroma-threshold", "99999999999"},
        {"--config", "Config(65537, 1310730, 196611, 16842752)"},
        {"--config=-1, 0, 7, 256"},
    };
    std::mt19937 rng(2024);
    for (int round = 0; round < 2000; ++round) {
        std::vector<std::string> words;
        const int count = static_cast<int>(rng() % 7) + 1;
        for (int i = 0; i < count; ++i) {
            const auto& pick = choices[rng() % choices.size()];
            words.insert(words.end(), pick.begin(), pick.end());
        }
        std::vector<const char*> args;
        std::string text;
        for (const std::string& w : words) {
            args.push_back(w.c_str());
            const bool quote = w.find(' ') != std::string::npos;
            text += (quote ? "'" + w + "'" : w) + " ";
        }
        args.push_back("in");
        args.push_back("out");
        const Parsed p = parse(args);
        ASSERT_TRUE(p.ok) << text << ": " << p.error;
        FilterSettings fromText{};
        std::string error;
        ASSERT_TRUE(settingsFromText(text.c_str(), fromText, error)) << text << ": " << error;
        ASSERT_EQ(std::memcmp(&fromText, &p.options.settings, sizeof fromText), 0) << text;
    }
}

}  // namespace
}  // namespace lintra
