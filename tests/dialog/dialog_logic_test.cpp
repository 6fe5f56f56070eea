// The dialog's logic against a scripted set of controls: what it shows, the order in which OK
// reads, ends and clamps, and what each entry becomes.

#include "dialog/dialog_logic.h"

#include <gtest/gtest.h>

#include <cctype>
#include <cstdint>
#include <cstring>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "dialog/dialog_ids.h"
#include "engine/filter_settings.h"

namespace lintra {
namespace {

// Controls that remember what was set, answer from a script and log every call in order.
class ScriptedControls final : public DialogControls {
  public:
    std::map<int, bool> checked;
    std::map<int, std::string> text;
    std::vector<std::string> calls;
    const FilterSettings* watched = nullptr;
    FilterSettings atEnd{};
    int endCode = -99;

    bool isChecked(int id) override {
        calls.push_back("checked? " + std::to_string(id));
        return checked[id];
    }
    void setChecked(int id, bool on) override { checked[id] = on; }
    void showNumber(int id, std::uint32_t value) override { text[id] = std::to_string(value); }
    void readText(int id, char* buffer, std::size_t size) override {
        calls.push_back("read " + std::to_string(id));
        const std::string& t = text[id];
        const std::size_t n = t.size() < size - 1 ? t.size() : size - 1;
        std::memcpy(buffer, t.data(), n);
        buffer[n] = '\0';
    }
    void endDialog(int code) override {
        calls.push_back("end " + std::to_string(code));
        endCode = code;
        if (watched != nullptr) atEnd = *watched;
    }
};

FilterSettings defaults() {
    FilterSettings s{};
    setDefaults(s);
    return s;
}

// A test name from what is typed: letters and digits kept, everything else '_'.
std::string entryName(const char* typed) {
    std::string name = *typed == '\0' ? "empty" : "typed_";
    for (const char* p = typed; *p != '\0'; ++p)
        name += std::isalnum(static_cast<unsigned char>(*p)) != 0 ? *p : '_';
    return name;
}

bool same(const FilterSettings& a, const FilterSettings& b) {
    return std::memcmp(&a, &b, sizeof a) == 0;
}

TEST(DialogInitialise, ShowsTheDefaults) {
    ScriptedControls c;
    initialiseDialog(defaults(), c);
    EXPECT_EQ(c.text[LINTRA_ID_Y_AVERAGE], "10");
    EXPECT_EQ(c.text[LINTRA_ID_Y_THRESHOLD], "5");
    EXPECT_EQ(c.text[LINTRA_ID_UV_AVERAGE], "3");
    EXPECT_EQ(c.text[LINTRA_ID_UV_THRESHOLD], "20");
    EXPECT_FALSE(c.checked[LINTRA_ID_TEST_MODE]);
    EXPECT_TRUE(c.checked[LINTRA_ID_INTERLACED]);
    EXPECT_FALSE(c.checked[LINTRA_ID_RGB_PROCESSING]);
    EXPECT_TRUE(c.checked[LINTRA_ID_YUV_PROCESSING]);
}

TEST(DialogInitialise, ShowsVerticalThresholdsAndNonZeroFlagsAsChecked) {
    FilterSettings s = defaults();
    s.yHorizontalThreshold = 3;
    s.yVerticalThreshold = 4;
    s.uvHorizontalThreshold = 9;
    s.uvVerticalThreshold = 11;
    s.interlaced = 0;
    s.testMode = 255;
    s.rgbProcessing = 2;
    ScriptedControls c;
    initialiseDialog(s, c);
    EXPECT_EQ(c.text[LINTRA_ID_Y_THRESHOLD], "4");
    EXPECT_EQ(c.text[LINTRA_ID_UV_THRESHOLD], "11");
    EXPECT_TRUE(c.checked[LINTRA_ID_TEST_MODE]);
    EXPECT_FALSE(c.checked[LINTRA_ID_INTERLACED]);
    EXPECT_TRUE(c.checked[LINTRA_ID_RGB_PROCESSING]);
    EXPECT_FALSE(c.checked[LINTRA_ID_YUV_PROCESSING]);
}

// OK reads flags, lengths and thresholds, ends the dialog with 0 while the values are still
// as typed, and only then clamps and derives.
TEST(DialogConfirm, ReadsEndsThenClampsInThatOrder) {
    FilterSettings s = defaults();
    ScriptedControls c;
    c.watched = &s;
    c.checked = {{LINTRA_ID_TEST_MODE, true}, {LINTRA_ID_RGB_PROCESSING, true}};
    c.text = {{LINTRA_ID_Y_AVERAGE, "5000"},
              {LINTRA_ID_UV_AVERAGE, "0"},
              {LINTRA_ID_Y_THRESHOLD, "600"},
              {LINTRA_ID_UV_THRESHOLD, "4294967296"}};
    confirmDialog(s, c);

    const std::vector<std::string> order = {"checked? 1000", "checked? 1001", "checked? 1007",
                                            "read 1004",     "read 1012",     "read 1003",
                                            "read 1011",     "end 0"};
    EXPECT_EQ(c.calls, order);
    const FilterSettings typed = {5000, 0, 219, 128, 600, INT32_MAX, 600, INT32_MAX, 0, 1, 1};
    EXPECT_TRUE(same(c.atEnd, typed));
    const FilterSettings stored = {1023, 1, 255, 0, 511, 511, 511, 511, 0, 1, 1};
    EXPECT_TRUE(same(s, stored));
}

struct LengthCase {
    const char* typed;
    std::int32_t length;
    std::int32_t coefficient;
};

class DialogLength : public testing::TestWithParam<LengthCase> {};

TEST_P(DialogLength, IsClampedWithItsCoefficient) {
    const LengthCase& p = GetParam();
    FilterSettings s = defaults();
    ScriptedControls c;
    initialiseDialog(s, c);
    c.text[LINTRA_ID_Y_AVERAGE] = p.typed;
    c.text[LINTRA_ID_UV_AVERAGE] = p.typed;
    confirmDialog(s, c);
    EXPECT_EQ(s.yAverage, p.length);
    EXPECT_EQ(s.yCoefficient, p.coefficient);
    EXPECT_EQ(s.uvAverage, p.length);
    EXPECT_EQ(s.uvCoefficient, p.coefficient);
}

INSTANTIATE_TEST_SUITE_P(
    Entries, DialogLength,
    testing::Values(LengthCase{"0", 1, 0}, LengthCase{"1", 1, 0}, LengthCase{"2", 2, 64},
                    LengthCase{"3", 3, 128}, LengthCase{"10", 10, 219}, LengthCase{"236", 236, 254},
                    LengthCase{"237", 237, 255}, LengthCase{"1023", 1023, 255},
                    LengthCase{"1024", 1023, 255}, LengthCase{"5000", 1023, 255},
                    LengthCase{"2147483647", 1023, 255}, LengthCase{"2147483648", 1023, 255},
                    LengthCase{"4294967296", 1023, 255},
                    LengthCase{"99999999999999999999999", 1023, 255}, LengthCase{"", 1, 0},
                    LengthCase{"abc", 1, 0}, LengthCase{"-5", 1, 0}, LengthCase{"  16", 16, 233},
                    LengthCase{"20x", 20, 238}),
    [](const testing::TestParamInfo<LengthCase>& p) { return entryName(p.param.typed); });

struct ThresholdCase {
    const char* typed;
    std::int32_t stored;
};

class DialogThreshold : public testing::TestWithParam<ThresholdCase> {};

TEST_P(DialogThreshold, IsClampedIntoBothFieldsOfItsGroup) {
    const ThresholdCase& p = GetParam();
    FilterSettings s = defaults();
    ScriptedControls c;
    initialiseDialog(s, c);
    c.text[LINTRA_ID_Y_THRESHOLD] = p.typed;
    c.text[LINTRA_ID_UV_THRESHOLD] = p.typed;
    confirmDialog(s, c);
    EXPECT_EQ(s.yVerticalThreshold, p.stored);
    EXPECT_EQ(s.yHorizontalThreshold, p.stored);
    EXPECT_EQ(s.uvVerticalThreshold, p.stored);
    EXPECT_EQ(s.uvHorizontalThreshold, p.stored);
}

INSTANTIATE_TEST_SUITE_P(
    Entries, DialogThreshold,
    testing::Values(ThresholdCase{"0", 0}, ThresholdCase{"1", 1}, ThresholdCase{"511", 511},
                    ThresholdCase{"512", 511}, ThresholdCase{"600", 511},
                    ThresholdCase{"2147483648", 511}, ThresholdCase{"4294967295", 511},
                    ThresholdCase{"", 0}, ThresholdCase{"-3", 0}),
    [](const testing::TestParamInfo<ThresholdCase>& p) { return entryName(p.param.typed); });

TEST(DialogNumber, SaturatesAtTheLargestSignedValue) {
    EXPECT_EQ(readDialogNumber("2147483646"), 2147483646);
    EXPECT_EQ(readDialogNumber("2147483647"), INT32_MAX);
    EXPECT_EQ(readDialogNumber("2147483648"), INT32_MAX);
    EXPECT_EQ(readDialogNumber("21474836470"), INT32_MAX);
    EXPECT_EQ(readDialogNumber("000000000000000000000000042"), 42);
}

TEST(DialogCancel, EndsWithOneAndTouchesNothing) {
    FilterSettings s = defaults();
    s.yHorizontalThreshold = 77;
    const FilterSettings before = s;
    ScriptedControls c;
    initialiseDialog(s, c);
    c.text[LINTRA_ID_Y_AVERAGE] = "5000";
    c.calls.clear();
    cancelDialog(c);
    EXPECT_EQ(c.calls, std::vector<std::string>{"end 1"});
    EXPECT_TRUE(same(s, before));
}

// Any record within the dialog's ranges, with the coefficients derived from its lengths,
// comes back unchanged from OK without edits.
TEST(DialogConfirm, KeepsEveryInRangeRecordUnchanged) {
    const unsigned seed = 20261209u;
    std::mt19937 random(seed);
    auto pick = [&](int low, int high) {
        return std::uniform_int_distribution<int>(low, high)(random);
    };
    for (int i = 0; i < 2000; ++i) {
        FilterSettings s{};
        s.yAverage = pick(1, 1023);
        s.uvAverage = pick(1, 1023);
        s.yCoefficient = s.yAverage == 1 ? 0 : averagingCoefficient(s.yAverage);
        s.uvCoefficient = s.uvAverage == 1 ? 0 : averagingCoefficient(s.uvAverage);
        s.yHorizontalThreshold = s.yVerticalThreshold = pick(0, 511);
        s.uvHorizontalThreshold = s.uvVerticalThreshold = pick(0, 511);
        s.interlaced = pick(0, 1);
        s.testMode = pick(0, 1);
        s.rgbProcessing = pick(0, 1);
        const FilterSettings before = s;
        ScriptedControls c;
        initialiseDialog(s, c);
        confirmDialog(s, c);
        ASSERT_TRUE(same(s, before)) << "seed " << seed << " record " << i;
        ASSERT_EQ(c.endCode, kDialogConfirmed);
    }
}

}  // namespace
}  // namespace lintra
