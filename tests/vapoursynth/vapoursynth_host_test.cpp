// The plug-in inside VapourSynth's own core library, loaded by path as a script loads it:
// every argument with good and bad values, the messages a script author sees, whole frames
// against the reference filter, frame properties handed on, and frames requested out of
// order from several threads equal to the serial ones. (Labelled unit: the sanitizer build
// runs it too.)

#include <VapourSynth4.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <condition_variable>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <mutex>
#include <random>
#include <string>
#include <vector>

#include "engine/filter_settings.h"
#include "frontend/planar_correction.h"
#include "frontend/planar_rgb_view.h"
#include "frontend/settings_rules.h"
#include "persistence/config_line.h"
#include "tests/reference/reference_filter.h"

namespace {

using lintra::FilterSettings;

const VSAPI* vsapi() {
    static const VSAPI* api = getVapourSynthAPI(VAPOURSYNTH_API_VERSION);
    return api;
}

// A source of RGB24 frames whose pixels depend on the frame number, with a small pattern
// that alternates every two lines, and a few properties a capture's frames carry.
struct PatternSource {
    VSVideoInfo info;
};

std::uint8_t patternByte(int n, int plane, int x, int y) {
    const std::uint32_t h =
        std::uint32_t(n * 7919 + plane * 104729 + x * 31 + y * 17) * 2654435761u;
    const int base = (x * (2 + plane) + y * 3 + n * 5) % 190 + 30;
    const int comb = ((y >> 1) & 1) ? 2 : -2;
    return std::uint8_t(base + comb + int(h >> 30));
}

const VSFrame* VS_CC patternFrame(int n, int reason, void* data, void**, VSFrameContext*,
                                  VSCore* core, const VSAPI* api) {
    if (reason != arInitial) return nullptr;
    const auto* source = static_cast<PatternSource*>(data);
    const VSVideoInfo& vi = source->info;
    VSFrame* frame = api->newVideoFrame(&vi.format, vi.width, vi.height, nullptr, core);
    for (int p = 0; p < 3; ++p) {
        std::uint8_t* row = api->getWritePtr(frame, p);
        for (int y = 0; y < vi.height; ++y, row += api->getStride(frame, p)) {
            for (int x = 0; x < vi.width; ++x) row[x] = patternByte(n, p, x, y);
        }
    }
    VSMap* props = api->getFramePropertiesRW(frame);
    api->mapSetInt(props, "_Matrix", 0, maReplace);
    api->mapSetInt(props, "_FieldBased", 2, maReplace);
    api->mapSetInt(props, "_SARNum", 16, maReplace);
    api->mapSetInt(props, "_SARDen", 15, maReplace);
    api->mapSetInt(props, "CaptureFrame", n, maReplace);
    api->mapSetData(props, "Tape", "VHS 3", -1, dtUtf8, maReplace);
    return frame;
}

void VS_CC freePattern(void* data, VSCore*, const VSAPI*) {
    delete static_cast<PatternSource*>(data);
}

using Args = std::function<void(VSMap*)>;

class VapourSynthHost : public ::testing::Test {
  public:
    void SetUp() override {
        ASSERT_NE(vsapi(), nullptr) << "the VapourSynth core library does not provide API 4";
        api = vsapi();
        core = api->createCore(ccfDisableAutoLoading);
        VSMap* args = api->createMap();
        api->mapSetData(args, "path", LINTRA_VAPOURSYNTH_PLUGIN, -1, dtUtf8, maReplace);
        VSMap* result =
            api->invoke(api->getPluginByID("com.vapoursynth.std", core), "LoadPlugin", args);
        ASSERT_EQ(api->mapGetError(result), nullptr) << api->mapGetError(result);
        api->freeMap(result);
        api->freeMap(args);
        plugin = api->getPluginByNamespace("lintra", core);
        ASSERT_NE(plugin, nullptr);
    }

    void TearDown() override {
        for (VSNode* node : nodes) api->freeNode(node);
        api->freeCore(core);
    }

    VSNode* keep(VSNode* node) {
        nodes.push_back(node);
        return node;
    }

    VSNode* patternClip(int width, int height, int frames) {
        auto* source = new PatternSource{};
        api->queryVideoFormat(&source->info.format, cfRGB, stInteger, 8, 0, 0, core);
        source->info.width = width;
        source->info.height = height;
        source->info.numFrames = frames;
        source->info.fpsNum = 25;
        source->info.fpsDen = 1;
        return keep(api->createVideoFilter2("Pattern", &source->info, patternFrame, freePattern,
                                            fmParallel, nullptr, 0, source, core));
    }

    VSNode* blankClip(const Args& setArgs) {
        VSMap* args = api->createMap();
        setArgs(args);
        VSMap* result =
            api->invoke(api->getPluginByID("com.vapoursynth.std", core), "BlankClip", args);
        VSNode* node = api->mapGetNode(result, "clip", 0, nullptr);
        api->freeMap(result);
        api->freeMap(args);
        return keep(node);
    }

    // Lintra(clip, ...): the node, or null with the message in `error`.
    VSNode* lintra(VSNode* clip, const Args& setArgs, std::string* error = nullptr) {
        VSMap* args = api->createMap();
        api->mapSetNode(args, "clip", clip, maReplace);
        setArgs(args);
        VSMap* result = api->invoke(plugin, "Lintra", args);
        VSNode* node = nullptr;
        if (const char* message = api->mapGetError(result)) {
            if (error != nullptr) *error = message;
        } else {
            node = keep(api->mapGetNode(result, "clip", 0, nullptr));
        }
        api->freeMap(result);
        api->freeMap(args);
        return node;
    }

    std::string creationError(VSNode* clip, const Args& setArgs) {
        std::string error = "(created)";
        lintra(clip, setArgs, &error);
        return error;
    }

    // The frame's pixels packed as the engine's 32-bit B, G, R, 0.
    std::vector<std::uint8_t> packed(const VSFrame* frame) {
        const int w = api->getFrameWidth(frame, 0), h = api->getFrameHeight(frame, 0);
        std::vector<std::uint8_t> out(std::size_t(w) * std::size_t(h) * 4, 0);
        for (int p = 0; p < 3; ++p) {
            const std::uint8_t* row = api->getReadPtr(frame, p);
            for (int y = 0; y < h; ++y, row += api->getStride(frame, p)) {
                for (int x = 0; x < w; ++x) out[std::size_t((y * w + x) * 4 + 2 - p)] = row[x];
            }
        }
        return out;
    }

    // Frame n of the node in the form `bytesOf` gives it (empty when the frame fails).
    template <typename BytesOf>
    std::vector<std::uint8_t> frameAs(VSNode* node, int n, BytesOf bytesOf) {
        char error[256] = "";
        const VSFrame* frame = api->getFrame(n, node, error, sizeof error);
        EXPECT_NE(frame, nullptr) << error;
        if (frame == nullptr) return {};
        std::vector<std::uint8_t> bytes = bytesOf(frame);
        api->freeFrame(frame);
        return bytes;
    }

    std::vector<std::uint8_t> frameBytes(VSNode* node, int n) {
        return frameAs(node, n, [this](const VSFrame* f) { return packed(f); });
    }

    std::vector<std::uint8_t> expected(VSNode* source, int n, const FilterSettings& settings) {
        std::vector<std::uint8_t> in = frameBytes(source, n);
        const VSVideoInfo* vi = api->getVideoInfo(source);
        std::vector<std::uint8_t> out(in.size());
        lintra::reference::filterFrame(settings, {in.data(), vi->width, vi->height, 0},
                                       {out.data(), vi->width, vi->height, 0});
        for (std::size_t i = 3; i < out.size(); i += 4) out[i] = 0;  // not part of RGB24
        return out;
    }

    const VSAPI* api = nullptr;
    VSCore* core = nullptr;
    VSPlugin* plugin = nullptr;
    std::vector<VSNode*> nodes;
};

FilterSettings defaultsWith(const std::function<void(FilterSettings&)>& edit) {
    FilterSettings s{};
    lintra::setDefaults(s);
    edit(s);
    return s;
}

Args none = [](VSMap*) {};

Args ints(std::vector<std::pair<const char*, std::int64_t>> values) {
    return [values](VSMap* m) {
        for (const auto& [key, v] : values) vsapi()->mapSetInt(m, key, v, maReplace);
    };
}

Args text(const char* settings) {
    return [settings](VSMap* m) {
        vsapi()->mapSetData(m, "settings", settings, -1, dtUtf8, maReplace);
    };
}

TEST_F(VapourSynthHost, DeclaresItselfWithTheProjectsVersion) {
    EXPECT_STREQ(api->getPluginID(plugin), "lintra.linecomb");
    EXPECT_EQ(api->getPluginVersion(plugin),
              VS_MAKE_VERSION(LINTRA_VERSION_MAJOR, LINTRA_VERSION_MINOR));
    VSPluginFunction* function = api->getPluginFunctionByName("Lintra", plugin);
    ASSERT_NE(function, nullptr);
    EXPECT_STREQ(api->getPluginFunctionReturnType(function), "clip:vnode;");
}

struct ArgsCase {
    const char* name;
    Args args;
    FilterSettings settings;
};

class VapourSynthHostFrames : public VapourSynthHost,
                              public ::testing::WithParamInterface<ArgsCase> {};

TEST_P(VapourSynthHostFrames, EqualTheReference) {
    for (const auto& [w, h] : {std::pair{48, 32}, std::pair{37, 19}, std::pair{3, 2}}) {
        SCOPED_TRACE(std::to_string(w) + "x" + std::to_string(h));
        VSNode* source = patternClip(w, h, 3);
        VSNode* filtered = lintra(source, GetParam().args);
        ASSERT_NE(filtered, nullptr);
        if (w > 8) {
            EXPECT_NE(frameBytes(filtered, 0), frameBytes(source, 0)) << "nothing filtered";
        }
        for (int n = 0; n < 3; ++n) {
            EXPECT_EQ(frameBytes(filtered, n), expected(source, n, GetParam().settings))
                << "frame " << n;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(
    Arguments, VapourSynthHostFrames,
    ::testing::Values(ArgsCase{"defaults", none, defaultsWith([](auto&) {})},
                      ArgsCase{"rgb_progressive_test",
                               ints({{"rgb", 1}, {"interlaced", 0}, {"test_mode", 1}}),
                               defaultsWith([](auto& s) {
                                   s.rgbProcessing = 1, s.interlaced = 0, s.testMode = 1;
                               })},
                      ArgsCase{"clamped",
                               ints({{"luma_length", -5},
                                     {"luma_threshold", 100000},
                                     {"chroma_length", 5000},
                                     {"chroma_threshold", -1}}),
                               defaultsWith([](auto& s) {
                                   s.yAverage = 1, s.yCoefficient = 0;
                                   s.yVerticalThreshold = s.yHorizontalThreshold = 511;
                                   s.uvAverage = 1023, s.uvCoefficient = 255;
                                   s.uvVerticalThreshold = s.uvHorizontalThreshold = 0;
                               })},
                      ArgsCase{"settings_line_wins",
                               [](VSMap* m) {
                                   ints({{"rgb", 0}, {"luma_threshold", 3}})(m);
                                   text("262153 2621470 1966092 256")(m);
                               },
                               [] {
                                   FilterSettings s{};
                                   lintra::parseConfig(s, 262153, 2621470, 1966092, 256);
                                   return s;
                               }()},
                      ArgsCase{"settings_options", text("--rgb --luma-threshold 8 --progressive"),
                               defaultsWith([](auto& s) {
                                   s.rgbProcessing = 1, s.interlaced = 0;
                                   s.yVerticalThreshold = s.yHorizontalThreshold = 8;
                               })}),
    [](const auto& param) { return std::string(param.param.name); });

TEST_F(VapourSynthHost, FramePropertiesAreHandedOn) {
    VSNode* filtered = lintra(patternClip(16, 8, 4), none);
    ASSERT_NE(filtered, nullptr);
    char error[256] = "";
    const VSFrame* frame = api->getFrame(2, filtered, error, sizeof error);
    ASSERT_NE(frame, nullptr) << error;
    const VSMap* props = api->getFramePropertiesRO(frame);
    EXPECT_EQ(api->mapGetInt(props, "_Matrix", 0, nullptr), 0);
    EXPECT_EQ(api->mapGetInt(props, "_FieldBased", 0, nullptr), 2);
    EXPECT_EQ(api->mapGetInt(props, "_SARNum", 0, nullptr), 16);
    EXPECT_EQ(api->mapGetInt(props, "_SARDen", 0, nullptr), 15);
    EXPECT_EQ(api->mapGetInt(props, "CaptureFrame", 0, nullptr), 2);
    EXPECT_STREQ(api->mapGetData(props, "Tape", 0, nullptr), "VHS 3");
    api->freeFrame(frame);
    const VSVideoInfo* vi = api->getVideoInfo(filtered);
    EXPECT_EQ(vi->numFrames, 4);
    EXPECT_EQ(vi->fpsNum, 25);
    EXPECT_EQ(vi->width, 16);
}

struct RefusedCase {
    const char* name;
    std::function<VSNode*(VapourSynthHost&)> clip;
    Args args;
    const char* message;
};

class VapourSynthHostRefuses : public VapourSynthHost,
                               public ::testing::WithParamInterface<RefusedCase> {};

TEST_P(VapourSynthHostRefuses, WithTheMessageAScriptShows) {
    EXPECT_EQ(creationError(GetParam().clip(*this), GetParam().args), GetParam().message);
}

VSNode* rgbClip(VapourSynthHost& host) {
    return host.patternClip(8, 8, 1);
}

std::function<VSNode*(VapourSynthHost&)> blank(const Args& args) {
    return [args](VapourSynthHost& host) { return host.blankClip(args); };
}

INSTANTIATE_TEST_SUITE_P(
    Clips, VapourSynthHostRefuses,
    ::testing::Values(
        RefusedCase{"float", blank(ints({{"format", pfRGBS}})), none,
                    "Lintra: the clip is RGBS, but Lintra takes integer samples of 8 to 16 bits "
                    "with chroma subsampled at most 4:1:0; convert it with "
                    "core.resize.Bicubic(clip, format=vs.RGB48) before Lintra"},
        RefusedCase{"variable_format", blank(ints({{"varformat", 1}})), none,
                    "Lintra: the clip varies in format or size from frame to frame; give it one "
                    "format and size first (e.g. core.resize.Bicubic(clip, width=W, height=H, "
                    "format=vs.YUV422P10))"},
        RefusedCase{"variable_size", blank(ints({{"format", pfRGB24}, {"varsize", 1}})), none,
                    "Lintra: the clip varies in format or size from frame to frame; give it one "
                    "format and size first (e.g. core.resize.Bicubic(clip, width=W, height=H, "
                    "format=vs.YUV422P10))"},
        RefusedCase{"unknown_option", rgbClip, text("--luma-threshold 8 --sharpen"),
                    "Lintra: settings: unknown option '--sharpen'"},
        RefusedCase{"option_value", rgbClip, text("--chroma-length ten"),
                    "Lintra: settings: --chroma-length needs a non-negative integer, got 'ten'"},
        RefusedCase{"short_line", rgbClip, text("Config(655363, 327700)"),
                    "Lintra: settings line: expected four integers, found 2, or settings options "
                    "such as --luma-threshold 8"},
        RefusedCase{"open_quote", rgbClip, text("--config 'Config(1, 2, 3, 4)"),
                    "Lintra: settings: a quote ' is not closed"},
        RefusedCase{"nul", rgbClip,
                    [](VSMap* m) {
                        vsapi()->mapSetData(m, "settings", "--rgb\0x", 7, dtBinary, maReplace);
                    },
                    "Lintra: settings: the text holds a NUL character"}),
    [](const auto& param) { return std::string(param.param.name); });

// LINTRA_CPU caps the level for the filters created while it is set; a value that names no
// level refuses the filter.
TEST_F(VapourSynthHost, CpuCapFromTheEnvironment) {
    VSNode* source = patternClip(40, 24, 2);
    setenv("LINTRA_CPU", "fast", 1);
    EXPECT_EQ(creationError(source, none),
              "Lintra: LINTRA_CPU needs scalar, sse2, avx2 or avx512, got 'fast'");
    setenv("LINTRA_CPU", "scalar", 1);
    VSNode* scalar = lintra(source, none);
    unsetenv("LINTRA_CPU");
    ASSERT_NE(scalar, nullptr);
    EXPECT_EQ(frameBytes(scalar, 1), expected(source, 1, defaultsWith([](auto&) {})));
}

// A few hundred frames requested all at once in a shuffled order, on one thread and on four:
// every frame equals the reference, whichever thread's work entry filtered it.
std::uint64_t fnv(const std::vector<std::uint8_t>& bytes) {
    std::uint64_t h = 1469598103934665603ull;
    for (std::uint8_t b : bytes) h = (h ^ b) * 1099511628211ull;
    return h;
}

std::vector<std::uint64_t> hashesOutOfOrder(
    const VSAPI* api, VSNode* node, int frames, std::uint32_t seed,
    std::function<std::vector<std::uint8_t>(const VSFrame*)> pack) {
    std::vector<int> order(std::size_t(frames), 0);
    for (int i = 0; i < frames; ++i) order[std::size_t(i)] = i;
    std::shuffle(order.begin(), order.end(), std::mt19937(seed));
    struct State {
        std::mutex mutex;
        std::condition_variable done;
        int pending;
        std::vector<std::uint64_t> hashes;
        std::string error;
        std::function<std::vector<std::uint8_t>(const VSFrame*)> pack;
        const VSAPI* api;
    } state{{}, {}, frames, std::vector<std::uint64_t>(std::size_t(frames)), {}, pack, api};
    for (int n : order) {
        api->getFrameAsync(
            n, node,
            [](void* data, const VSFrame* f, int index, VSNode*, const char* errorMsg) {
                auto* s = static_cast<State*>(data);
                const std::uint64_t h = f != nullptr ? fnv(s->pack(f)) : 0;
                if (f != nullptr) s->api->freeFrame(f);
                std::lock_guard<std::mutex> lock(s->mutex);
                if (f == nullptr) s->error = errorMsg != nullptr ? errorMsg : "?";
                s->hashes[std::size_t(index)] = h;
                if (--s->pending == 0) s->done.notify_all();
            },
            &state);
    }
    std::unique_lock<std::mutex> lock(state.mutex);
    state.done.wait(lock, [&] { return state.pending == 0; });
    EXPECT_EQ(state.error, "");
    return state.hashes;
}

TEST_F(VapourSynthHost, FramesOutOfOrderOnSeveralThreadsEqualTheSerialOnes) {
    constexpr int kFrames = 240;
    auto pack = [this](const VSFrame* f) { return packed(f); };
    std::vector<std::uint64_t> want;
    VSNode* source = patternClip(40, 24, kFrames);
    for (int n = 0; n < kFrames; ++n)
        want.push_back(fnv(expected(source, n, defaultsWith([](auto&) {}))));

    api->setThreadCount(1, core);
    VSNode* serial = lintra(patternClip(40, 24, kFrames), none);
    ASSERT_NE(serial, nullptr);
    EXPECT_EQ(hashesOutOfOrder(api, serial, kFrames, 1, pack), want);

    api->setThreadCount(4, core);
    VSNode* parallel = lintra(patternClip(40, 24, kFrames), none);
    ASSERT_NE(parallel, nullptr);
    EXPECT_EQ(hashesOutOfOrder(api, parallel, kFrames, 2, pack), want);
}

// Clips in their own planar formats: a smooth picture with a small pattern that alternates
// every two lines in every plane, and the colour properties of the case.
struct PlanarSource {
    VSVideoInfo info;
    std::int64_t props[4];  // _Matrix, _ColorRange, _ChromaLocation, _FieldBased; -1: not set
};

// A smooth picture in the middle of the range, with a pattern of two 8-bit steps that
// alternates every two lines in luma (and every channel of RGB); chroma smooth and near grey.
int planarSample(int n, int plane, int x, int y, int bits, bool chroma) {
    const int top = (1 << bits) - 1;
    const int spread = chroma ? 10 : 30;
    const int base = (top * (50 - spread / 2 + (x * 2 + y + n * 3 + plane * 5) % spread)) / 100;
    const int comb = chroma ? 0 : (((y >> 1) & 1) ? 2 : -2) << (bits - 8);
    return std::clamp(base + comb, 0, top);
}

const VSFrame* VS_CC planarFrame(int n, int reason, void* data, void**, VSFrameContext*,
                                 VSCore* core, const VSAPI* api) {
    if (reason != arInitial) return nullptr;
    const auto* source = static_cast<PlanarSource*>(data);
    const VSVideoFormat& f = source->info.format;
    VSFrame* frame = api->newVideoFrame(&f, source->info.width, source->info.height, nullptr, core);
    for (int p = 0; p < f.numPlanes; ++p) {
        std::uint8_t* row = api->getWritePtr(frame, p);
        for (int y = 0; y < api->getFrameHeight(frame, p); ++y, row += api->getStride(frame, p)) {
            for (int x = 0; x < api->getFrameWidth(frame, p); ++x) {
                const int v =
                    planarSample(n, p, x, y, f.bitsPerSample, f.colorFamily == cfYUV && p > 0);
                if (f.bytesPerSample == 1) {
                    row[x] = std::uint8_t(v);
                } else {
                    reinterpret_cast<std::uint16_t*>(row)[x] = std::uint16_t(v);
                }
            }
        }
    }
    VSMap* props = api->getFramePropertiesRW(frame);
    const char* keys[4] = {"_Matrix", "_ColorRange", "_ChromaLocation", "_FieldBased"};
    for (int i = 0; i < 4; ++i) {
        if (source->props[i] >= 0) api->mapSetInt(props, keys[i], source->props[i], maReplace);
    }
    return frame;
}

void VS_CC freePlanar(void* data, VSCore*, const VSAPI*) {
    delete static_cast<PlanarSource*>(data);
}

struct PlanarCase {
    const char* name;
    int family, bits, subW, subH;
    std::int64_t props[4];
    lintra::planar::Colours colours;  // what the properties must be read as
};

class VapourSynthHostPlanar : public VapourSynthHost,
                              public ::testing::WithParamInterface<PlanarCase> {
  public:
    VSNode* planarClip(int width, int height, int frames) {
        const PlanarCase& c = GetParam();
        auto* source = new PlanarSource{{}, {c.props[0], c.props[1], c.props[2], c.props[3]}};
        api->queryVideoFormat(&source->info.format, c.family, stInteger, c.bits, c.subW, c.subH,
                              core);
        source->info.width = width;
        source->info.height = height;
        source->info.numFrames = frames;
        source->info.fpsNum = 25;
        source->info.fpsDen = 1;
        return keep(api->createVideoFilter2("Planar", &source->info, planarFrame, freePlanar,
                                            fmParallel, nullptr, 0, source, core));
    }

    // The picture's samples, plane after plane, row after row, without padding.
    std::vector<std::uint8_t> planes(const VSFrame* frame) {
        const VSVideoFormat* f = api->getVideoFrameFormat(frame);
        std::vector<std::uint8_t> out;
        for (int p = 0; p < f->numPlanes; ++p) {
            const std::uint8_t* row = api->getReadPtr(frame, p);
            const int bytes = api->getFrameWidth(frame, p) * f->bytesPerSample;
            for (int y = 0; y < api->getFrameHeight(frame, p);
                 ++y, row += api->getStride(frame, p)) {
                out.insert(out.end(), row, row + bytes);
            }
        }
        return out;
    }

    std::vector<std::uint8_t> planesOf(VSNode* node, int n) {
        return frameAs(node, n, [this](const VSFrame* f) { return planes(f); });
    }

    // What the filter must give: the frame's RGB view through the literal reference, the
    // change carried back by the planar code, with the colours the case's properties name.
    std::vector<std::uint8_t> expectedPlanar(VSNode* source, int n,
                                             const FilterSettings& settings) {
        namespace planar = lintra::planar;
        const PlanarCase& c = GetParam();
        char error[256] = "";
        const VSFrame* frame = api->getFrame(n, source, error, sizeof error);
        const VSVideoFormat* f = api->getVideoFrameFormat(frame);
        const int w = api->getFrameWidth(frame, 0), h = api->getFrameHeight(frame, 0);
        planar::PictureView in{{}, {}, w, h, {planar::Family::yuv, c.bits, c.subW, c.subH}};
        in.format.family = c.family == cfYUV    ? planar::Family::yuv
                           : c.family == cfGray ? planar::Family::grey
                                                : planar::Family::rgb;
        std::vector<std::uint8_t> copy = planes(frame);
        planar::PictureTarget out{{}, {}, w, h, in.format};
        std::size_t at = 0;
        for (int p = 0; p < f->numPlanes; ++p) {
            in.planes[p] = api->getReadPtr(frame, p);
            in.strides[p] = api->getStride(frame, p);
            out.planes[p] = copy.data() + at;
            out.strides[p] = api->getFrameWidth(frame, p) * f->bytesPerSample;
            at += std::size_t(out.strides[p]) * std::size_t(api->getFrameHeight(frame, p));
        }
        std::vector<std::uint8_t> before(std::size_t(w) * std::size_t(h) * 4), after(before.size());
        std::vector<std::int32_t> scratch(planar::planarScratchCount(w));
        const planar::Scratch s{scratch.data(), scratch.size()};
        EXPECT_EQ(planar::makeRgbView(in, c.colours, {before.data(), w, h, 0}, s), 0);
        lintra::reference::filterFrame(settings, {before.data(), w, h, 0}, {after.data(), w, h, 0});
        EXPECT_EQ(planar::applyCorrection(in, c.colours, {before.data(), w, h, 0},
                                          {after.data(), w, h, 0}, out, s),
                  0);
        api->freeFrame(frame);
        return copy;
    }
};

TEST_P(VapourSynthHostPlanar, CarriesTheFiltersChangeIntoTheClipsOwnFormat) {
    // VapourSynth wants sizes that are whole numbers of chroma samples.
    for (const auto& [w, h] : {std::pair{48, 32}, std::pair{36, 20}}) {
        SCOPED_TRACE(std::to_string(w) + "x" + std::to_string(h));
        VSNode* source = planarClip(w, h, 2);
        for (const auto& [args, settings] :
             {std::pair{none, defaultsWith([](auto&) {})},
              std::pair{ints({{"rgb", 1}, {"interlaced", 0}}),
                        defaultsWith([](auto& s) { s.rgbProcessing = 1, s.interlaced = 0; })}}) {
            VSNode* filtered = lintra(source, args);
            ASSERT_NE(filtered, nullptr);
            EXPECT_NE(planesOf(filtered, 0), planesOf(source, 0)) << "nothing filtered";
            for (int n = 0; n < 2; ++n) {
                EXPECT_EQ(planesOf(filtered, n), expectedPlanar(source, n, settings)) << n;
            }
        }
    }
}

using lintra::planar::ChromaLocation;
using lintra::planar::Matrix;
using lintra::planar::Range;
INSTANTIATE_TEST_SUITE_P(
    Formats, VapourSynthHostPlanar,
    ::testing::Values(PlanarCase{"yuv420p8_untagged",
                                 cfYUV,
                                 8,
                                 1,
                                 1,
                                 {-1, -1, -1, -1},
                                 {Matrix::bt601, Range::limited, ChromaLocation::left, false}},
                      PlanarCase{"yuv422p10_bt709_tff",
                                 cfYUV,
                                 10,
                                 1,
                                 0,
                                 {1, 1, 0, 2},
                                 {Matrix::bt709, Range::limited, ChromaLocation::left, true}},
                      PlanarCase{"yuv420p10_full_topleft_bff",
                                 cfYUV,
                                 10,
                                 1,
                                 1,
                                 {6, 0, 2, 1},
                                 {Matrix::bt601, Range::full, ChromaLocation::topLeft, true}},
                      PlanarCase{"yuv411p8_ntsc",
                                 cfYUV,
                                 8,
                                 2,
                                 0,
                                 {6, 1, -1, 1},
                                 {Matrix::bt601, Range::limited, ChromaLocation::left, true}},
                      PlanarCase{"yuv444p16_bt2020_full",
                                 cfYUV,
                                 16,
                                 0,
                                 0,
                                 {9, 0, -1, 0},
                                 {Matrix::bt2020nc, Range::full, ChromaLocation::left, false}},
                      PlanarCase{"gray16",
                                 cfGray,
                                 16,
                                 0,
                                 0,
                                 {-1, -1, -1, -1},
                                 {Matrix::bt601, Range::limited, ChromaLocation::left, false}},
                      PlanarCase{"rgb30",
                                 cfRGB,
                                 10,
                                 0,
                                 0,
                                 {0, -1, -1, -1},
                                 {Matrix::bt601, Range::full, ChromaLocation::left, false}}),
    [](const auto& param) { return std::string(param.param.name); });

// What the filter leaves alone comes back exactly, whatever the format.
TEST_F(VapourSynthHost, UntouchedPlanarFramesComeBackExactly) {
    for (int format : {pfYUV422P10, pfYUV420P8, pfYUV444P16, pfGray8, pfRGB48}) {
        VSNode* flat = blankClip(ints({{"format", format}, {"width", 40}, {"height", 24}}));
        VSNode* filtered = lintra(flat, none);
        ASSERT_NE(filtered, nullptr);
        char error[256] = "";
        const VSFrame* a = api->getFrame(0, flat, error, sizeof error);
        const VSFrame* b = api->getFrame(0, filtered, error, sizeof error);
        ASSERT_NE(b, nullptr) << error;
        for (int p = 0; p < api->getVideoFrameFormat(a)->numPlanes; ++p) {
            const int bytes =
                api->getFrameWidth(a, p) * api->getVideoFrameFormat(a)->bytesPerSample;
            for (int y = 0; y < api->getFrameHeight(a, p); ++y) {
                ASSERT_EQ(std::memcmp(api->getReadPtr(a, p) + y * api->getStride(a, p),
                                      api->getReadPtr(b, p) + y * api->getStride(b, p),
                                      std::size_t(bytes)),
                          0)
                    << "format " << format << " plane " << p << " row " << y;
            }
        }
        api->freeFrame(a);
        api->freeFrame(b);
    }
}

// A frame whose properties name colours the filter cannot convert fails with the reason.
TEST_F(VapourSynthHost, AFrameWithAMatrixItCannotTakeFailsWithTheReason) {
    VSNode* clip = blankClip(ints({{"format", pfYUV420P8}, {"width", 16}, {"height", 16}}));
    VSMap* args = api->createMap();
    api->mapSetNode(args, "clip", clip, maReplace);
    api->mapSetInt(args, "_Matrix", 10, maReplace);
    VSMap* result =
        api->invoke(api->getPluginByID("com.vapoursynth.std", core), "SetFrameProps", args);
    VSNode* tagged = keep(api->mapGetNode(result, "clip", 0, nullptr));
    api->freeMap(result);
    api->freeMap(args);
    VSNode* filtered = lintra(tagged, none);
    ASSERT_NE(filtered, nullptr);
    char error[512] = "";
    EXPECT_EQ(api->getFrame(0, filtered, error, sizeof error), nullptr);
    EXPECT_STREQ(error,
                 "Lintra: frame 0: a frame's _Matrix 10 is not one Lintra takes (BT.601, BT.709, "
                 "BT.2020 non-constant, FCC, SMPTE 240M); convert it with "
                 "core.resize.Bicubic(clip, matrix_s=\"709\")");
}

}  // namespace
