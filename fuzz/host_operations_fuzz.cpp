// The module as a host sees it: lintra_module.so loaded with dlopen, registered through its
// entry point, and its operations called in any order on instance storage that starts
// zero-filled or full of garbage. A model of the instance predicts every result, the settings
// after each call and the frames (compared with the literal reference, guards included).
//
// Contract fuzzed: on dirty storage the first call is initialise (it nulls the plane
// references; nothing can tell garbage from planes before it). Initialise is not called again
// while planes are held, since it would drop them: hosts initialise new storage only.

#include <dlfcn.h>
#include <fuzzer/FuzzedDataProvider.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "engine/filter_instance.h"
#include "fuzz/settings_checks.h"
#include "host/host_records.h"
#include "persistence/config_line.h"
#include "tests/reference/reference_filter.h"
#include "tests/reliability/guarded_frame.h"

namespace {

using namespace lintra;
using namespace lintra::host;
using fuzzing::check;
using lintra::testing::GuardedFrame;
using lintra::testing::guardedFrame;

constexpr std::int32_t kMaxSide = 24;

// The registration record the module hands over, and the host's copy of it that operations
// receive (its module field set, as a host does).
struct LoadedModule {
    const FilterDescription* registered = nullptr;
    FilterDescription hostCopy{};
    ModuleRecord moduleRecord{};
};

LoadedModule* loading = nullptr;

void* LINTRA_HOST_CALL addFilter(ModuleRecord* module, FilterDescription* description, int size) {
    check(size == static_cast<int>(sizeof(FilterDescription)), "description size");
    loading->registered = description;
    loading->hostCopy = *description;
    loading->hostCopy.module = module;
    return loading;
}

void LINTRA_HOST_CALL removeFilter(void* handle) {
    check(handle == loading, "handle");
}

const HostFunctionTable kHost{addFilter, removeFilter};

LoadedModule& module() {
    static LoadedModule loaded;
    static bool done = false;
    if (!done) {
        void* library = dlopen(LINTRA_MODULE_PATH, RTLD_NOW | RTLD_LOCAL);
        if (library == nullptr) {
            std::fprintf(stderr, "cannot load %s: %s\n", LINTRA_MODULE_PATH, dlerror());
            std::abort();
        }
        auto init = reinterpret_cast<ModuleInit>(dlsym(library, "VirtualdubFilterModuleInit2"));
        check(init != nullptr, "VirtualdubFilterModuleInit2 not exported");
        std::int32_t version = 0;
        std::int32_t compatible = 0;
        loading = &loaded;
        check(init(&loaded.moduleRecord, &kHost, &version, &compatible) == 0, "registration");
        check(version == kInterfaceVersion && compatible == kCompatibleInterfaceVersion,
              "versions");
        check(loaded.hostCopy.instanceSize == static_cast<std::intptr_t>(sizeof(FilterInstance)),
              "instance size");
        done = true;
    }
    return loaded;
}

// What the instance must hold after each call.
struct Model {
    FilterSettings settings{};
    bool planes = false;
    std::int64_t capacity = 0;
};

struct Session {
    FuzzedDataProvider& in;
    const FilterDescription& ops;
    std::vector<std::uint8_t> storage;
    Model model;
    FilterActivation activation{};

    FilterInstance instance() const {
        FilterInstance view;
        std::memcpy(&view, storage.data(), sizeof view);
        return view;
    }
};

void checkState(const Session& s) {
    const FilterInstance view = s.instance();
    check(std::memcmp(&view.settings, &s.model.settings, sizeof view.settings) == 0,
          "settings differ from the model");
    const bool held = view.planeA != nullptr && view.planeB != nullptr && view.planeC != nullptr;
    check(held == s.model.planes, "planes differ from the model");
}

FrameRecord recordOf(GuardedFrame& frame) {
    FrameRecord r{};
    r.pixels = frame.view().pixels;
    r.width = frame.width;
    r.height = frame.height;
    r.rowGap = frame.rowGap;
    return r;
}

std::int32_t pickGap(FuzzedDataProvider& in, std::int32_t width) {
    const std::int32_t rowBytes = width > 0 ? width * 4 : 0;
    return in.ConsumeBool() ? in.ConsumeIntegralInRange(0, 12)
                            : -2 * rowBytes - in.ConsumeIntegralInRange(0, 12);
}

void initialise(Session& s) {
    check(s.ops.initialise(&s.activation, nullptr) == 0, "initialise result");
    setDefaults(s.model.settings);
    s.model.planes = false;
}

void start(Session& s) {
    const std::int32_t w = s.in.ConsumeIntegralInRange(-1, kMaxSide);
    const std::int32_t h = s.in.ConsumeIntegralInRange(-1, kMaxSide);
    GuardedFrame source = guardedFrame(w, h, 0);
    FrameRecord record = recordOf(source);
    s.activation.source = &record;
    const int expected = w > 0 && h > 0 ? 0 : 1;
    check(s.ops.start(&s.activation, nullptr) == expected, "start result");
    s.activation.source = nullptr;
    s.model.planes = expected == 0;
    s.model.capacity = expected == 0 ? std::int64_t{w} * h : 0;
}

void run(Session& s) {
    const std::int32_t w = s.in.ConsumeIntegralInRange(-1, kMaxSide);
    const std::int32_t h = s.in.ConsumeIntegralInRange(-1, kMaxSide);
    const std::int32_t dw = s.in.ConsumeBool() ? w : s.in.ConsumeIntegralInRange(-1, kMaxSide);
    const std::int32_t dh = s.in.ConsumeBool() ? h : s.in.ConsumeIntegralInRange(-1, kMaxSide);
    GuardedFrame source = guardedFrame(w, h, pickGap(s.in, w));
    const std::uint8_t seed = s.in.ConsumeIntegral<std::uint8_t>();
    for (std::size_t i = 0; i < source.bytes.size(); ++i) {
        source.bytes[i] = static_cast<std::uint8_t>((i * 37 + seed) ^ ((i / 16) & 1 ? 0x0F : 0));
    }
    GuardedFrame actual = guardedFrame(dw, dh, pickGap(s.in, dw));
    GuardedFrame expected = actual;
    const bool accepted = s.model.planes && w > 0 && h > 0 &&
                          std::int64_t{w} * h <= s.model.capacity && dw >= w && dh >= h;
    if (accepted) reference::filterFrame(s.model.settings, source.view(), expected.view());

    FrameRecord sourceRecord = recordOf(source);
    FrameRecord destinationRecord = recordOf(actual);
    s.activation.source = &sourceRecord;
    s.activation.destination = &destinationRecord;
    check(s.ops.run(&s.activation, nullptr) == (accepted ? 0 : 1), "run result");
    s.activation.source = nullptr;
    s.activation.destination = nullptr;
    check(actual.bytes == expected.bytes, "run wrote other than the reference");
}

void end(Session& s) {
    check(s.ops.end(&s.activation, nullptr) == 0, "end result");
    s.model.planes = false;
}

void save(Session& s) {
    const int length = s.in.ConsumeIntegralInRange(-2, 70);
    const std::string line = fuzzing::lineOf(s.model.settings);
    std::vector<char> buffer(static_cast<std::size_t>(length > 0 ? length : 0) + 16, 'x');
    const bool fits = length > 0 && line.size() + 1 <= static_cast<std::size_t>(length);
    check(s.ops.save(&s.activation, nullptr, buffer.data(), length) == fits, "save result");
    if (fits) check(line == buffer.data(), "saved line");
    if (!fits && length > 0) check(buffer[0] == '\0', "cut line left in the buffer");
    const std::size_t untouched = length > 0 ? static_cast<std::size_t>(length) : 0;
    for (std::size_t i = untouched; i < buffer.size(); ++i) {
        check(buffer[i] == 'x', "save wrote past the buffer length");
    }
}

void config(Session& s) {
    ScriptArgument arguments[4]{};
    for (ScriptArgument& a : arguments) a.value.integer = s.in.ConsumeIntegral<std::int32_t>();
    const ScriptFunctionEntry& entry = s.ops.script->functions[0];
    check(std::strcmp(entry.name, "Config") == 0 && std::strcmp(entry.prototype, "0iiii") == 0,
          "script function entry");
    entry.handler(nullptr, &s.activation, arguments, 4);
    parseConfig(s.model.settings, arguments[0].value.integer, arguments[1].value.integer,
                arguments[2].value.integer, arguments[3].value.integer);
}

void describe(Session& s) {
    char buffer[8];
    std::memset(buffer, 'x', sizeof buffer);
    s.ops.describe(&s.activation, nullptr, buffer);
    check(std::strcmp(buffer, " ") == 0 && buffer[2] == 'x', "describe");
}

void configure(Session& s) {
    // No windowing system here: the dialog cannot be created and nothing changes.
    check(s.ops.configure(&s.activation, nullptr, nullptr) == -1, "configure result");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider in(data, size);
    LoadedModule& loaded = module();
    Session s{in, loaded.hostCopy, {}, {}, {}};
    s.storage.assign(static_cast<std::size_t>(loaded.hostCopy.instanceSize), 0);
    s.activation.filter = &loaded.hostCopy;
    s.activation.instanceData = s.storage.data();

    const bool dirty = in.ConsumeBool();
    if (dirty) {
        for (std::uint8_t& b : s.storage) b = in.ConsumeIntegral<std::uint8_t>() | 0x01;
        initialise(s);
    }
    checkState(s);
    for (int calls = 0; calls < 24 && in.remaining_bytes() > 0; ++calls) {
        switch (in.ConsumeIntegralInRange(0, 7)) {
            case 0:
                if (!s.model.planes) initialise(s);
                break;
            case 1:
                start(s);
                break;
            case 2:
                run(s);
                break;
            case 3:
                end(s);
                break;
            case 4:
                save(s);
                break;
            case 5:
                config(s);
                break;
            case 6:
                describe(s);
                break;
            default:
                configure(s);
                break;
        }
        checkState(s);
    }
    end(s);  // the host ends a run before it drops the instance
    checkState(s);
    return 0;
}
