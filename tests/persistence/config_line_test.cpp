#include "persistence/config_line.h"

#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <string>

namespace lintra {
namespace {

std::string format(const FilterSettings& s) {
    char buffer[80];
    EXPECT_TRUE(formatConfig(s, buffer, sizeof buffer));
    return buffer;
}

// The four integers of a formatted line, as the host's script interpreter would pass them.
void parseLine(const std::string& line, FilterSettings& s) {
    long long v[4];
    ASSERT_EQ(
        std::sscanf(line.c_str(), "Config(%lld, %lld, %lld, %lld)", &v[0], &v[1], &v[2], &v[3]), 4)
        << line;
    for (long long x : v) {
        ASSERT_GE(x, INT32_MIN);
        ASSERT_LE(x, INT32_MAX);
    }
    parseConfig(s, static_cast<std::int32_t>(v[0]), static_cast<std::int32_t>(v[1]),
                static_cast<std::int32_t>(v[2]), static_cast<std::int32_t>(v[3]));
}

bool sameSettings(const FilterSettings& a, const FilterSettings& b) {
    return std::memcmp(&a, &b, sizeof a) == 0;
}

TEST(ConfigLine, DefaultsLine) {
    FilterSettings s{};
    setDefaults(s);
    EXPECT_EQ(format(s), "Config(655363, 327700, 327700, 16777216)");
    FilterSettings parsed{};
    parseConfig(parsed, 655363, 327700, 327700, 16777216);
    EXPECT_TRUE(sameSettings(parsed, s));
}

TEST(ConfigLine, WordsAreReadUnsigned) {
    FilterSettings s{};
    parseConfig(s, 0, -1, 65536 * 7 + 9, -16777216);
    EXPECT_EQ(s.yAverage, 0);
    EXPECT_EQ(s.uvAverage, 0);
    EXPECT_EQ(s.yCoefficient, 255);
    EXPECT_EQ(s.uvCoefficient, 255);
    EXPECT_EQ(s.yHorizontalThreshold, 65535);
    EXPECT_EQ(s.uvHorizontalThreshold, 65535);
    EXPECT_EQ(s.yVerticalThreshold, 7);
    EXPECT_EQ(s.uvVerticalThreshold, 9);
    EXPECT_EQ(s.interlaced, 255);
    EXPECT_EQ(s.testMode, 0);
    EXPECT_EQ(s.rgbProcessing, 0);

    parseConfig(s, 65536, 0, 0, 0x00FFFFFF);
    EXPECT_EQ(s.yAverage, 1);
    EXPECT_EQ(s.yCoefficient, 0);
    EXPECT_EQ(s.uvAverage, 0);
    EXPECT_EQ(s.uvCoefficient, 255);
    EXPECT_EQ(s.interlaced, 0);
    EXPECT_EQ(s.testMode, 255);
    EXPECT_EQ(s.rgbProcessing, 255);
}

// Every record the dialog can produce, sampled with all range boundaries.
TEST(ConfigLine, DialogRecordsRoundTrip) {
    std::mt19937 rng(99);
    auto length = [&]() { return std::uniform_int_distribution<std::int32_t>(1, 1023)(rng); };
    auto threshold = [&]() { return std::uniform_int_distribution<std::int32_t>(0, 511)(rng); };
    for (int i = 0; i < 20000; ++i) {
        FilterSettings s{};
        s.yAverage = i < 4 ? (i & 1 ? 1023 : 1) : length();
        s.uvAverage = i < 4 ? (i & 2 ? 1023 : 1) : length();
        s.yCoefficient = s.yAverage < 2 ? 0 : averagingCoefficient(s.yAverage);
        s.uvCoefficient = s.uvAverage < 2 ? 0 : averagingCoefficient(s.uvAverage);
        s.yHorizontalThreshold = s.yVerticalThreshold = i < 4 ? (i & 1 ? 511 : 0) : threshold();
        s.uvHorizontalThreshold = s.uvVerticalThreshold = i < 4 ? (i & 2 ? 0 : 511) : threshold();
        s.interlaced = i & 1;
        s.testMode = (i >> 1) & 1;
        s.rgbProcessing = (i >> 2) & 1;
        const std::string line = format(s);
        EXPECT_LE(line.size(), 46u);
        FilterSettings parsed{};
        parseLine(line, parsed);
        ASSERT_TRUE(sameSettings(parsed, s)) << line;
    }
}

// Anything parseConfig produces formats back to the same four words, the longest line included.
TEST(ConfigLine, EveryParsedRecordRoundTrips) {
    std::mt19937 rng(5);
    for (int i = 0; i < 20000; ++i) {
        std::int32_t w[4];
        for (auto& x : w) x = static_cast<std::int32_t>(rng());
        if (i < 2) w[0] = w[1] = w[2] = i ? INT32_MIN : -1;
        w[3] &= ~0xFF;  // the lowest byte is not stored
        FilterSettings s{};
        parseConfig(s, w[0], w[1], w[2], w[3]);
        const std::string line = format(s);
        EXPECT_LE(line.size(), 58u);
        FilterSettings again{};
        parseLine(line, again);
        ASSERT_TRUE(sameSettings(again, s)) << line;
    }
}

// A short buffer never receives a cut line: all of it or an empty string and false.
TEST(ConfigLine, ShortBuffersGetNothingPartial) {
    FilterSettings s{};
    setDefaults(s);
    const std::string line = "Config(655363, 327700, 327700, 16777216)";
    for (std::size_t length = 0; length <= line.size() + 4; ++length) {
        char buffer[64];
        std::memset(buffer, '#', sizeof buffer);
        const bool ok = formatConfig(s, buffer, length);
        EXPECT_EQ(ok, length > line.size()) << length;
        if (ok) {
            EXPECT_EQ(std::string(buffer), line);
        } else if (length > 0) {
            EXPECT_EQ(buffer[0], '\0');
        }
        const std::size_t untouchedFrom = ok ? line.size() + 1 : (length > 0 ? 1 : 0);
        for (std::size_t i = untouchedFrom; i < sizeof buffer; ++i) {
            ASSERT_EQ(buffer[i], '#') << "length " << length << " byte " << i;
        }
    }
}

}  // namespace
}  // namespace lintra
