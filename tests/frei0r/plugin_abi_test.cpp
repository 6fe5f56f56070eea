// The plug-in as a host sees it: loaded with dlopen and driven only through its f0r_ entry
// points; every frame is compared with the reference filter on the settings the parameters
// must produce.

#include <dlfcn.h>
#include <unistd.h>
extern "C" {
#include <frei0r.h>
}
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <limits>
#include <random>
#include <string>
#include <vector>

#include "engine/filter_settings.h"
#include "frontend/settings_rules.h"
#include "lintra_version.h"
#include "persistence/config_line.h"
#include "tests/reference/reference_filter.h"

namespace {

struct Plugin {
    void* handle = nullptr;
    decltype(&f0r_init) init = nullptr;
    decltype(&f0r_get_plugin_info) pluginInfo = nullptr;
    decltype(&f0r_get_param_info) paramInfo = nullptr;
    decltype(&f0r_construct) construct = nullptr;
    decltype(&f0r_destruct) destruct = nullptr;
    decltype(&f0r_set_param_value) setParam = nullptr;
    decltype(&f0r_get_param_value) getParam = nullptr;
    decltype(&f0r_update) update = nullptr;
    decltype(&f0r_update2) update2 = nullptr;
};

template <typename F>
void bind(void* handle, const char* name, F& f) {
    f = reinterpret_cast<F>(dlsym(handle, name));
}

const Plugin& plugin() {
    static const Plugin p = [] {
        Plugin q;
        q.handle = dlopen(LINTRA_FREI0R_PLUGIN, RTLD_NOW | RTLD_LOCAL);
        if (q.handle == nullptr) return q;
        bind(q.handle, "f0r_init", q.init);
        bind(q.handle, "f0r_get_plugin_info", q.pluginInfo);
        bind(q.handle, "f0r_get_param_info", q.paramInfo);
        bind(q.handle, "f0r_construct", q.construct);
        bind(q.handle, "f0r_destruct", q.destruct);
        bind(q.handle, "f0r_set_param_value", q.setParam);
        bind(q.handle, "f0r_get_param_value", q.getParam);
        bind(q.handle, "f0r_update", q.update);
        bind(q.handle, "f0r_update2", q.update2);
        if (q.init != nullptr) q.init();
        return q;
    }();
    return p;
}

constexpr int kLine = 0, kRgb = 1, kInterlaced = 2, kTestMode = 3, kLumaLength = 4,
              kLumaThreshold = 5, kChromaLength = 6, kChromaThreshold = 7, kParams = 8;

void setDouble(f0r_instance_t instance, int index, double v) {
    plugin().setParam(instance, &v, index);
}
void setText(f0r_instance_t instance, const char* text) {
    f0r_param_string s = const_cast<char*>(text);
    plugin().setParam(instance, &s, kLine);
}
double getDouble(f0r_instance_t instance, int index) {
    double v = -1;
    plugin().getParam(instance, &v, index);
    return v;
}
std::string getText(f0r_instance_t instance) {
    f0r_param_string s = nullptr;
    plugin().getParam(instance, &s, kLine);
    return s != nullptr ? s : "<null>";
}

// Random pictures with a small line-alternating pattern the filter takes for a comb, and
// random alpha.
std::vector<std::uint32_t> testFrame(int w, int h, std::uint32_t seed) {
    std::mt19937 rng(seed);
    std::vector<std::uint32_t> f(static_cast<std::size_t>(w) * static_cast<std::size_t>(h));
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            std::uint32_t px = rng() & 0xFF000000u;
            for (int k = 0; k < 3; ++k) {
                const int base = 60 + 40 * k + ((x / 5 + y / 7) % 3) * 30;
                const int comb = (y % 2 == 0 ? 1 : -1) * static_cast<int>(rng() % 6);
                px |= static_cast<std::uint32_t>(base + comb) << (8 * k);
            }
            f[static_cast<std::size_t>(y * w + x)] = px;
        }
    }
    return f;
}

// What the host must get: the reference's colour bytes with the input's alpha.
std::vector<std::uint32_t> expected(const lintra::FilterSettings& s, std::vector<std::uint32_t> in,
                                    int w, int h) {
    std::vector<std::uint32_t> out(in.size());
    const lintra::FrameView src{reinterpret_cast<std::uint8_t*>(in.data()), w, h, 0};
    const lintra::FrameView dst{reinterpret_cast<std::uint8_t*>(out.data()), w, h, 0};
    lintra::reference::filterFrame(s, src, dst);
    for (std::size_t i = 0; i < out.size(); ++i) {
        out[i] = (out[i] & 0x00FFFFFFu) | (in[i] & 0xFF000000u);
    }
    return out;
}

lintra::FilterSettings defaults() {
    lintra::FilterSettings s{};
    lintra::setDefaults(s);
    return s;
}

class PluginTest : public ::testing::Test {
  protected:
    void SetUp() override { ASSERT_NE(plugin().handle, nullptr) << dlerror(); }
};

TEST_F(PluginTest, DescribesABgraFilterWithEightParameters) {
    f0r_plugin_info_t info{};
    plugin().pluginInfo(&info);
    EXPECT_STREQ(info.name, "lintra");
    EXPECT_EQ(info.plugin_type, F0R_PLUGIN_TYPE_FILTER);
    EXPECT_EQ(info.color_model, F0R_COLOR_MODEL_BGRA8888);
    EXPECT_EQ(info.frei0r_version, FREI0R_MAJOR_VERSION);
    EXPECT_EQ(info.major_version, LINTRA_VERSION_MAJOR);
    EXPECT_EQ(info.minor_version, LINTRA_VERSION_MINOR);
    ASSERT_EQ(info.num_params, kParams);
    const int types[kParams] = {F0R_PARAM_STRING, F0R_PARAM_BOOL,   F0R_PARAM_BOOL,
                                F0R_PARAM_BOOL,   F0R_PARAM_DOUBLE, F0R_PARAM_DOUBLE,
                                F0R_PARAM_DOUBLE, F0R_PARAM_DOUBLE};
    for (int i = 0; i < kParams; ++i) {
        f0r_param_info_t p{};
        plugin().paramInfo(&p, i);
        EXPECT_EQ(p.type, types[i]) << i;
        ASSERT_NE(p.name, nullptr);
        ASSERT_NE(p.explanation, nullptr);
    }
    f0r_param_info_t untouched{"x", 99, nullptr};
    plugin().paramInfo(&untouched, kParams);
    plugin().paramInfo(&untouched, -1);
    EXPECT_EQ(untouched.type, 99);
}

TEST_F(PluginTest, RefusesEmptyFramesAndIgnoresNullPointers) {
    EXPECT_EQ(plugin().construct(0, 16), nullptr);
    EXPECT_EQ(plugin().construct(16, 0), nullptr);
    EXPECT_EQ(plugin().construct(1u << 31, 16), nullptr);
    double v = 3;
    plugin().setParam(nullptr, &v, kLumaLength);
    plugin().getParam(nullptr, &v, kLumaLength);
    plugin().update(nullptr, 0, nullptr, nullptr);
    plugin().destruct(nullptr);
    f0r_instance_t i = plugin().construct(16, 8);
    ASSERT_NE(i, nullptr);
    plugin().setParam(i, nullptr, kLumaLength);
    plugin().setParam(i, &v, 42);
    plugin().update(i, 0, nullptr, nullptr);
    EXPECT_DOUBLE_EQ(getDouble(i, kLumaLength), 0.10);
    plugin().destruct(i);
}

TEST_F(PluginTest, StartsWithTheDefaultsAndNoSettingsLine) {
    f0r_instance_t i = plugin().construct(16, 8);
    const double want[kParams] = {0, 0, 1, 0, 0.10, 0.05, 0.03, 0.20};
    for (int k = kRgb; k < kParams; ++k) EXPECT_DOUBLE_EQ(getDouble(i, k), want[k]) << k;
    EXPECT_EQ(getText(i), "");
    plugin().destruct(i);
}

struct Held {
    int index;
    double value;
    double readBack;
};

class ParamHoldTest : public PluginTest, public ::testing::WithParamInterface<Held> {};

// Numbers read back as set, held to [0, 1]; bools as 0 or 1.
TEST_P(ParamHoldTest, ReadsBackWhatWasSetHeldToItsRange) {
    const Held c = GetParam();
    f0r_instance_t i = plugin().construct(16, 8);
    setDouble(i, c.index, c.value);
    EXPECT_EQ(getDouble(i, c.index), c.readBack);
    plugin().destruct(i);
}

const double kNan = std::numeric_limits<double>::quiet_NaN();
const double kInf = std::numeric_limits<double>::infinity();
INSTANTIATE_TEST_SUITE_P(
    Params, ParamHoldTest,
    ::testing::Values(Held{kLumaLength, 0, 0}, Held{kLumaLength, 0.37, 0.37},
                      Held{kLumaLength, 0.6000001, 0.6000001}, Held{kLumaLength, 1, 1},
                      Held{kLumaLength, 5000, 1}, Held{kLumaLength, -3, 0},
                      Held{kLumaLength, kNan, 0}, Held{kChromaLength, kInf, 1},
                      Held{kChromaLength, -kInf, 0}, Held{kLumaThreshold, 0.05, 0.05},
                      Held{kChromaThreshold, 1e-300, 1e-300}, Held{kRgb, 0.49, 0},
                      Held{kRgb, 0.5, 1}, Held{kInterlaced, 0, 0}, Held{kTestMode, 7, 1},
                      Held{kTestMode, kNan, 0}));

// Settings a frame must be filtered with after the parameters of one case are set.
struct FrameCase {
    const char* name;
    std::vector<std::pair<int, double>> numbers;
    const char* line;  // set after the numbers; null: not set
    lintra::FilterSettings want;
};

lintra::FilterSettings with(void (*edit)(lintra::FilterSettings&)) {
    lintra::FilterSettings s = defaults();
    edit(s);
    return s;
}

lintra::FilterSettings fromLine(std::int32_t a, std::int32_t b, std::int32_t c, std::int32_t d) {
    lintra::FilterSettings s{};
    lintra::parseConfig(s, a, b, c, d);
    return s;
}

std::vector<FrameCase> frameCases() {
    const auto lineSettings = fromLine(4 * 65536 + 9, 40 * 65536 + 30, 30 * 65536 + 12, 0x00000100);
    return {
        {"defaults", {}, nullptr, defaults()},
        {"rgb", {{kRgb, 1}}, nullptr, with([](auto& s) { s.rgbProcessing = 1; })},
        {"progressive", {{kInterlaced, 0}}, nullptr, with([](auto& s) { s.interlaced = 0; })},
        {"testYuv", {{kTestMode, 1}}, nullptr, with([](auto& s) { s.testMode = 1; })},
        {"testRgb", {{kTestMode, 1}, {kRgb, 1}, {kLumaThreshold, 0.40}}, nullptr, with([](auto& s) {
             s.testMode = s.rgbProcessing = 1;
             s.yVerticalThreshold = s.yHorizontalThreshold = 40;
         })},
        {"heldToTheEnds",
         {{kLumaLength, -1},
          {kLumaThreshold, 600},
          {kChromaLength, 5000},
          {kChromaThreshold, 0.02}},
         nullptr,
         with([](auto& s) {
             s.yAverage = 1;
             s.yCoefficient = 0;
             s.yVerticalThreshold = s.yHorizontalThreshold = 511;
             s.uvAverage = 1023;
             s.uvCoefficient = 255;
             s.uvVerticalThreshold = s.uvHorizontalThreshold = 2;
         })},
        {"slidersAboveTheKnee",
         {{kLumaLength, 0.8}, {kChromaThreshold, 0.61}, {kLumaThreshold, 0.08}},
         nullptr,
         with([](auto& s) {
             s.yAverage = 542;
             s.yCoefficient = 255;
             s.yVerticalThreshold = s.yHorizontalThreshold = 8;
             s.uvVerticalThreshold = s.uvHorizontalThreshold = 71;
         })},
        {"options",
         {{kRgb, 1}},
         "--luma-threshold 8 --chroma-threshold 30 --progressive",
         with([](auto& s) {
             s.yVerticalThreshold = s.yHorizontalThreshold = 8;
             s.uvVerticalThreshold = s.uvHorizontalThreshold = 30;
             s.interlaced = 0;
         })},
        {"badOptionsLeaveParams",
         {{kInterlaced, 0}},
         "--luma-threshold 8 --fast",
         with([](auto& s) { s.interlaced = 0; })},
        {"lineWins",
         {{kRgb, 0}, {kLumaLength, 0.30}},
         "Config(262153, 2621470, 1966092, 256)",
         lineSettings},
        {"lineWithSpaces", {}, " 262153 2621470 1966092 256 ", lineSettings},
        {"lineWithSlashes", {}, "262153/2621470/1966092/256", lineSettings},
        {"lineWithSemicolons", {}, "262153;2621470;1966092;256", lineSettings},
        {"lineWithCommas", {}, "Config(262153,2621470,1966092,256)", lineSettings},
        {"lineUnsignedAndNegative",
         {},
         "655363 327700 327700 4278190080",
         fromLine(655363, 327700, 327700, -16777216)},
        {"badLineLeavesParams", {{kInterlaced, 0}}, "Config(1, 2, 3)", with([](auto& s) {
             s.interlaced = 0;
         })},
        {"blankLineWithdraws", {{kTestMode, 1}}, "  ", with([](auto& s) { s.testMode = 1; })},
    };
}

void PrintTo(const FrameCase& c, std::ostream* os) {
    *os << c.name;
}

class FrameTest : public PluginTest, public ::testing::WithParamInterface<FrameCase> {};

TEST_P(FrameTest, FiltersLikeTheReferenceAndKeepsAlpha) {
    const FrameCase& c = GetParam();
    constexpr int w = 37, h = 23;
    f0r_instance_t i = plugin().construct(w, h);
    ASSERT_NE(i, nullptr);
    for (const auto& [index, value] : c.numbers) setDouble(i, index, value);
    if (c.line != nullptr) setText(i, c.line);
    for (std::uint32_t frame = 0; frame < 3; ++frame) {
        const auto in = testFrame(w, h, 100 + frame);
        const auto want = expected(c.want, in, w, h);
        ASSERT_NE(want, in) << "the test frame must give the filter something to do";
        std::vector<std::uint32_t> out(in.size(), 0xDEADBEEFu);
        plugin().update(i, frame / 25.0, in.data(), out.data());
        ASSERT_EQ(out, want) << "frame " << frame;
    }
    plugin().destruct(i);
}

INSTANTIATE_TEST_SUITE_P(Cases, FrameTest, ::testing::ValuesIn(frameCases()),
                         [](const auto& c) { return std::string(c.param.name); });

TEST_F(PluginTest, ALineWinsOverNumbersSetAfterItAndReadsBackAsGiven) {
    constexpr int w = 24, h = 16;
    f0r_instance_t i = plugin().construct(w, h);
    setText(i, "655363/327700/327700/0");
    setDouble(i, kInterlaced, 1);
    setDouble(i, kRgb, 1);
    EXPECT_EQ(getText(i), "655363/327700/327700/0");
    EXPECT_EQ(getDouble(i, kRgb), 1);
    const auto in = testFrame(w, h, 7);
    std::vector<std::uint32_t> out(in.size());
    plugin().update(i, 0, in.data(), out.data());
    EXPECT_EQ(out, expected(fromLine(655363, 327700, 327700, 0), in, w, h));
    plugin().destruct(i);
}

TEST_F(PluginTest, FilteringInPlaceGivesTheSameFrame) {
    constexpr int w = 40, h = 24;
    for (const double rgb : {0.0, 1.0}) {
        f0r_instance_t i = plugin().construct(w, h);
        setDouble(i, kRgb, rgb);
        auto frame = testFrame(w, h, 11);
        const auto want = expected(
            rgb != 0 ? with([](auto& s) { s.rgbProcessing = 1; }) : defaults(), frame, w, h);
        plugin().update2(i, 0, frame.data(), nullptr, nullptr, frame.data());
        EXPECT_EQ(frame, want) << "rgb " << rgb;
        plugin().destruct(i);
    }
}

TEST_F(PluginTest, InstancesKeepTheirOwnSettings) {
    constexpr int w = 32, h = 12;
    f0r_instance_t a = plugin().construct(w, h);
    f0r_instance_t b = plugin().construct(w, h);
    setDouble(b, kTestMode, 1);
    const auto in = testFrame(w, h, 3);
    std::vector<std::uint32_t> outA(in.size()), outB(in.size());
    plugin().update(a, 0, in.data(), outA.data());
    plugin().update(b, 0, in.data(), outB.data());
    EXPECT_EQ(outA, expected(defaults(), in, w, h));
    EXPECT_EQ(outB, expected(with([](auto& s) { s.testMode = 1; }), in, w, h));
    plugin().destruct(a);
    plugin().destruct(b);
}

// Some hosts (MLT) set every parameter again before each frame: a bad text is still reported
// once per instance and text.
TEST_F(PluginTest, ABadSettingsTextIsReportedOncePerInstanceAndText) {
    std::fflush(stderr);
    const int saved = dup(2);
    std::FILE* log = std::tmpfile();
    ASSERT_NE(log, nullptr);
    dup2(fileno(log), 2);
    f0r_instance_t a = plugin().construct(16, 8);
    f0r_instance_t b = plugin().construct(16, 8);
    for (int frame = 0; frame < 50; ++frame) {
        setText(a, "Config(1, 2, 3)");
        setText(a, frame % 10 == 0 ? "--fast" : "Config(1, 2, 3)");
        setText(b, "Config(1, 2, 3)");
        setText(a, "--progressive");
    }
    plugin().destruct(a);
    plugin().destruct(b);
    std::fflush(stderr);
    dup2(saved, 2);
    close(saved);
    std::rewind(log);
    std::vector<std::string> lines;
    char buffer[512];
    while (std::fgets(buffer, sizeof buffer, log) != nullptr) lines.emplace_back(buffer);
    std::fclose(log);
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_NE(lines[0].find("\"Config(1, 2, 3)\""), std::string::npos) << lines[0];
    EXPECT_NE(lines[1].find("unknown option '--fast'"), std::string::npos) << lines[1];
    EXPECT_NE(lines[2].find("\"Config(1, 2, 3)\""), std::string::npos) << lines[2];
}

}  // namespace
