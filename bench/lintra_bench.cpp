// Frame times of the engine for the cases the project tracks, each with its ratio to the
// literal reference and to one memcpy of the frame, both timed in the same run on the same
// frame. Run through `make bench` (scripts/bench.sh), which pins and repeats it.

#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <sys/mman.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstring>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "bench/synthetic_scene.h"
#include "cli/raw_pipeline.h"
#include "cli/raw_stream.h"
#include "engine/cpu_level.h"
#include "engine/filter_instance.h"
#include "engine/frame_driver.h"
#include "tests/reference/reference_filter.h"

namespace lintra::bench {
namespace {

// The machines are shared: the CPU time of this thread is what one core spends on a frame,
// however often the scheduler lends the core to someone else meanwhile.
double cpuSeconds() {
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) * 1e-9;
}

enum class Scene { sample, noise };

struct Case {
    std::string name;
    std::int32_t width;
    std::int32_t height;
    Scene scene;
    bool rgb;
    bool testMode;
    CpuLevel cap;
    std::int32_t destinationOffset = 0;  // bytes past a 64-byte boundary
};

// Frames placed as hosts hand them: the first pixel on a 64-byte boundary, as ffmpeg's frames
// are, or a given number of bytes past one (where plain allocation leaves it), the same in
// every repetition, so that each case always takes the same way through the stores.
class PlacedPixels {
  public:
    void assign(const std::vector<std::uint32_t>& pixels, std::int32_t offset) {
        storage_.assign(pixels.size() + kSlack, 0);
        const auto address = reinterpret_cast<std::uintptr_t>(storage_.data());
        first_ = reinterpret_cast<std::uint32_t*>((address + 63) / 64 * 64 +
                                                  static_cast<std::uintptr_t>(offset));
        count_ = pixels.size();
        std::copy(pixels.begin(), pixels.end(), first_);
    }
    std::uint32_t* data() { return first_; }
    std::size_t size() const { return count_; }

  private:
    static constexpr std::size_t kSlack = 32;  // 128 bytes: room for any placement
    std::vector<std::uint32_t> storage_;
    std::uint32_t* first_ = nullptr;
    std::size_t count_ = 0;
};

struct Frames {
    PlacedPixels source;
    PlacedPixels destination;
};

FrameView viewOf(PlacedPixels& pixels, std::int32_t w, std::int32_t h) {
    return FrameView{reinterpret_cast<std::uint8_t*>(pixels.data()), w, h, 0};
}

FilterSettings settingsOf(const Case& c) {
    FilterSettings s{};
    setDefaults(s);  // interlaced, as the defaults are
    s.rgbProcessing = c.rgb ? 1 : 0;
    s.testMode = c.testMode ? 1 : 0;
    return s;
}

double medianSeconds(int runs, const std::function<void()>& work) {
    std::vector<double> times;
    for (int i = 0; i < runs; ++i) {
        const double start = cpuSeconds();
        work();
        times.push_back(cpuSeconds() - start);
    }
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

// The reference is slow; it is timed a few times per distinct frame and setting, once per run.
double referenceSeconds(const Case& c, Frames& f) {
    static std::map<std::string, double> cache;
    const std::string key = std::to_string(c.width) + "x" + std::to_string(c.height) + "/" +
                            std::to_string(static_cast<int>(c.scene)) +
                            c.name.substr(0, c.name.find('/'));
    const auto found = cache.find(key);
    if (found != cache.end()) return found->second;
    const FilterSettings s = settingsOf(c);
    const FrameView in = viewOf(f.source, c.width, c.height);
    const FrameView out = viewOf(f.destination, c.width, c.height);
    const double t = medianSeconds(3, [&] { reference::filterFrame(s, in, out); });
    cache[key] = t;
    return t;
}

double memcpySeconds(Frames& f) {
    const std::size_t bytes = f.source.size() * sizeof(std::uint32_t);
    return medianSeconds(51, [&] {
        std::memcpy(f.destination.data(), f.source.data(), bytes);
        benchmark::ClobberMemory();
    });
}

void runCase(benchmark::State& state, const Case& c) {
    Frames f;
    const std::vector<std::uint32_t> scene = c.scene == Scene::sample
                                                 ? syntheticScene(c.width, c.height)
                                                 : noiseFrame(c.width, c.height);
    f.source.assign(scene, 0);
    f.destination.assign(std::vector<std::uint32_t>(scene.size(), 0), c.destinationOffset);
    const FrameView in = viewOf(f.source, c.width, c.height);
    const FrameView out = viewOf(f.destination, c.width, c.height);
    const double reference = referenceSeconds(c, f);
    const double copy = memcpySeconds(f);

    FilterInstance instance{};
    instance.settings = settingsOf(c);
    if (startRun(instance, in, c.cap) != 0) {
        state.SkipWithError("startRun failed");
        return;
    }
    state.SetLabel(cpuLevelName(runLevel(instance)));
    const double start = cpuSeconds();
    for (auto _ : state) {
        runFrame(instance, in, out);
        benchmark::ClobberMemory();
    }
    const double perFrame = (cpuSeconds() - start) / static_cast<double>(state.iterations());
    endRun(instance);
    const double megapixels = static_cast<double>(c.width) * c.height / 1e6;
    state.counters["ms/frame"] = perFrame * 1e3;
    state.counters["frames/s"] = 1.0 / perFrame;
    state.counters["MP/s"] = megapixels / perFrame;
    state.counters["x_ref"] = reference / perFrame;
    state.counters["x_memcpy"] = perFrame / copy;
}

void memcpyCase(benchmark::State& state, std::int32_t w, std::int32_t h) {
    std::vector<std::uint32_t> a = syntheticScene(w, h), b(a.size());
    for (auto _ : state) {
        std::memcpy(b.data(), a.data(), a.size() * sizeof(std::uint32_t));
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) *
                            static_cast<std::int64_t>(a.size() * sizeof(std::uint32_t)));
}

// 1080p frames through the command's raw-stream path (`lintra --size`): read from a file in
// memory, filtered, written to /dev/null, reading and writing on threads of their own. Timed
// by the wall clock, the way a user waits for it; it runs unpinned, as users run it.
void rawPipeCase(benchmark::State& state) {
    constexpr std::int32_t w = 1920, h = 1080;
    constexpr int kFrames = 16;
    const std::vector<std::uint32_t> scene = syntheticScene(w, h);
    const std::size_t frameBytes = scene.size() * sizeof(std::uint32_t);
    const int input = memfd_create("lintra-bench-frames", MFD_CLOEXEC);
    const int sink = open("/dev/null", O_WRONLY | O_CLOEXEC);
    for (int i = 0; i < kFrames; ++i) {
        writeFully(input, reinterpret_cast<const std::uint8_t*>(scene.data()), frameBytes);
    }
    FilterInstance instance{};
    setDefaults(instance.settings);
    if (input < 0 || sink < 0 || startRun(instance, FrameView{nullptr, w, h, 0}) != 0) {
        state.SkipWithError("no memory file, /dev/null or planes");
        return;
    }
    state.SetLabel(cpuLevelName(runLevel(instance)));
    const auto filter = [&](const std::uint8_t* in, std::uint8_t* out) {
        runFrame(instance, FrameView{const_cast<std::uint8_t*>(in), w, h, 0},
                 FrameView{out, w, h, 0});
    };
    const auto start = std::chrono::steady_clock::now();
    for (auto _ : state) {
        lseek(input, 0, SEEK_SET);
        if (pipeFrames(input, sink, frameBytes, filter).frames != kFrames) {
            state.SkipWithError("the pipeline lost frames");
            break;
        }
    }
    const std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - start;
    endRun(instance);
    close(input);
    close(sink);
    const double perFrame = elapsed.count() / static_cast<double>(state.iterations() * kFrames);
    state.counters["ms/frame"] = perFrame * 1e3;
    state.counters["frames/s"] = 1.0 / perFrame;
}

std::vector<Case> cases() {
    const CpuLevel best = detectCpuLevel();
    std::vector<Case> list = {
        {"yuv_1080p/best", 1920, 1080, Scene::sample, false, false, best},
        {"yuv_1080p/avx2", 1920, 1080, Scene::sample, false, false, CpuLevel::avx2},
        {"yuv_1080p/sse2", 1920, 1080, Scene::sample, false, false, CpuLevel::sse2},
        {"yuv_1080p/portable", 1920, 1080, Scene::sample, false, false, CpuLevel::scalar},
        {"rgb_1080p/best", 1920, 1080, Scene::sample, true, false, best},
        {"yuv_1080p_noise/best", 1920, 1080, Scene::noise, false, false, best},
        {"yuv_576p/best", 720, 576, Scene::sample, false, false, best},
        {"yuv_test_1080p/best", 1920, 1080, Scene::sample, false, true, best},
        {"rgb_test_1080p/best", 1920, 1080, Scene::sample, true, true, best},
        {"yuv_1080p_offset16/best", 1920, 1080, Scene::sample, false, false, best, 16},
        // Rows 8 KiB apart, which crowd the cache's sets: copied band by band first.
        {"yuv_2048x1080/best", 2048, 1080, Scene::sample, false, false, best},
    };
    return list;
}

}  // namespace
}  // namespace lintra::bench

int main(int argc, char** argv) {
    using namespace lintra::bench;
    for (const Case& c : cases()) {
        benchmark::RegisterBenchmark(c.name.c_str(), [c](benchmark::State& s) {
            runCase(s, c);
        })->Unit(benchmark::kMillisecond);
    }
    benchmark::RegisterBenchmark("memcpy_1080p", [](benchmark::State& s) {
        memcpyCase(s, 1920, 1080);
    })->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("raw_pipe_1080p/best", rawPipeCase)
        ->Unit(benchmark::kMillisecond)
        ->UseRealTime();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
