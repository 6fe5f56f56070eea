// A stand-in for the Windows host: loads the module through its two exported entry points and
// drives every operation the way the host does, comparing frames with the engine called
// directly. Prints "N passed, M failed" and exits non-zero on any failure.
//
//   lintra_test_host MODULE [--dialog] [--screenshot FILE.bmp]
//
// --dialog (Windows only) drives the real settings dialog; --screenshot saves a picture of it.

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <vector>

#include "engine/filter_settings.h"
#include "engine/frame_driver.h"
#include "host/host_records.h"
#include "tests/host/dialog_driver.h"
#include "tests/host/host_checks.h"

#if defined(_WIN32)
#ifndef NOMINMAX
#define NOMINMAX
#endif
#define WIN32_LEAN_AND_MEAN
#include <windows.h>
#else
#include <dlfcn.h>
#endif

namespace lintra::testhost {
namespace {

using namespace lintra::host;

// ---- loading --------------------------------------------------------------------------------

struct LoadedModule {
    void* library = nullptr;
    ModuleInit init = nullptr;
    ModuleDeinit deinit = nullptr;
};

#if defined(_WIN32)
void* openLibrary(const char* path) {
    return LoadLibraryA(path);
}
void* entryPoint(void* library, const char* name) {
    return reinterpret_cast<void*>(GetProcAddress(static_cast<HMODULE>(library), name));
}
void closeLibrary(void* library) {
    FreeLibrary(static_cast<HMODULE>(library));
}
#else
void* openLibrary(const char* path) {
    return dlopen(path, RTLD_NOW | RTLD_LOCAL);
}
void* entryPoint(void* library, const char* name) {
    return dlsym(library, name);
}
void closeLibrary(void* library) {
    dlclose(library);
}
#endif

template <typename Function>
Function asFunction(void* address) {
    Function f;
    static_assert(sizeof f == sizeof address);
    std::memcpy(&f, &address, sizeof f);
    return f;
}

bool loadModule(const char* path, LoadedModule& module) {
    module.library = openLibrary(path);
    if (!check(module.library != nullptr, "the module loads")) return false;
    module.init = asFunction<ModuleInit>(entryPoint(module.library, "VirtualdubFilterModuleInit2"));
    module.deinit =
        asFunction<ModuleDeinit>(entryPoint(module.library, "VirtualdubFilterModuleDeinit"));
    check(module.init != nullptr, "VirtualdubFilterModuleInit2 is exported");
    check(module.deinit != nullptr, "VirtualdubFilterModuleDeinit is exported");
    return module.init != nullptr && module.deinit != nullptr;
}

// ---- the host's side of registration --------------------------------------------------------

struct Registry {
    bool refuse = false;
    int added = 0;
    int removed = 0;
    int descriptionSize = 0;
    void* removedHandle = nullptr;
    FilterDescription copy{};  // the host keeps its own copy and points it at the module record
};

Registry registry;
char handleToken;  // its address is the handle the host hands out

void* LINTRA_HOST_CALL addFilter(ModuleRecord* module, FilterDescription* description,
                                 int descriptionSize) {
    ++registry.added;
    registry.descriptionSize = descriptionSize;
    if (registry.refuse) return nullptr;
    registry.copy = *description;
    registry.copy.module = module;
    return &handleToken;
}

void LINTRA_HOST_CALL removeFilter(void* handle) {
    ++registry.removed;
    registry.removedHandle = handle;
}

const HostFunctionTable hostFunctions = {addFilter, removeFilter};

void testRefusedRegistration(const LoadedModule& module, ModuleRecord& record) {
    registry = Registry{};
    registry.refuse = true;
    std::int32_t version = -7;
    std::int32_t compatible = -7;
    checkEqual(module.init(&record, &hostFunctions, &version, &compatible), 1,
               "a refused registration returns 1");
    checkEqual(version, -7, "a refused registration writes no version");
    module.deinit(&record, &hostFunctions);
    checkEqual(registry.removed, 0, "nothing is withdrawn after a refused registration");
}

bool testRegistration(const LoadedModule& module, ModuleRecord& record) {
    registry = Registry{};
    std::int32_t version = 0;
    std::int32_t compatible = 0;
    checkEqual(module.init(&record, &hostFunctions, &version, &compatible), 0,
               "registration returns 0");
    checkEqual(registry.added, 1, "one filter is added");
    checkEqual(version, 6, "interface version");
    checkEqual(compatible, 4, "compatible interface version");
    checkEqual(registry.descriptionSize, static_cast<std::int64_t>(sizeof(FilterDescription)),
               "the description's size is passed with it");
    if (sizeof(void*) == 4) checkEqual(registry.descriptionSize, 72, "72-byte description");
    return registry.added == 1;
}

// ---- the registration record ----------------------------------------------------------------

bool sameText(const char* got, const char* want) {
    return got != nullptr && std::strcmp(got, want) == 0;
}

void testDescription(const FilterDescription& d) {
    check(d.hostReserved0 == nullptr && d.hostReserved1 == nullptr, "fields 1 and 2 are null");
    check(sameText(d.name, "Lintra 1.0"), "name");
    check(sameText(d.description, " "), "description is one space");
    check(sameText(d.maker, "Orvane"), "maker");
    check(d.hostReserved2 == nullptr, "field 7 is null");
    checkEqual(d.instanceSize, static_cast<std::int64_t>(sizeof(FilterInstance)), "instance size");
    if (sizeof(void*) == 4) checkEqual(d.instanceSize, 56, "56-byte instance on 32-bit");
    check(d.initialise != nullptr, "initialise operation present");
    check(d.hostReserved3 == nullptr, "field 10 is null");
    check(d.run != nullptr, "run operation present");
    check(d.changeFormat == nullptr, "no format-changing operation");
    check(d.configure != nullptr, "configure operation present");
    check(d.describe != nullptr, "text operation present");
    check(d.start != nullptr && d.end != nullptr, "start and end operations present");
    check(d.save != nullptr, "save operation present");
    if (!check(d.script != nullptr, "script object present")) return;
    const ScriptObject& s = *d.script;
    check(s.hostReserved0 == nullptr && s.hostReserved1 == nullptr && s.hostReserved2 == nullptr,
          "script object: only the function list is set");
    if (!check(s.functions != nullptr, "script function list present")) return;
    const ScriptFunctionEntry& config = s.functions[0];
    check(config.handler != nullptr, "Config handler present");
    check(sameText(config.name, "Config"), "script function name");
    check(sameText(config.prototype, "0iiii"), "script function prototype");
    const ScriptFunctionEntry& end = s.functions[1];
    check(end.handler == nullptr && end.name == nullptr && end.prototype == nullptr,
          "the function list ends with an all-null entry");
}

// ---- one instance ---------------------------------------------------------------------------

struct Session {
    const FilterDescription* filter;
    std::vector<std::uint8_t> storage;
    FilterActivation activation{};

    explicit Session(const FilterDescription& description, std::uint8_t fill = 0)
        : filter(&description), storage(static_cast<std::size_t>(description.instanceSize), fill) {
        activation.filter = filter;
        activation.instanceData = storage.data();
    }

    FilterInstance& instance() { return *reinterpret_cast<FilterInstance*>(storage.data()); }
    int initialise() { return filter->initialise(&activation, nullptr); }
    int start() { return filter->start(&activation, nullptr); }
    int run() { return filter->run(&activation, nullptr); }
    int end() { return filter->end(&activation, nullptr); }

    void config(std::int32_t a, std::int32_t b, std::int32_t c, std::int32_t d) {
        ScriptArgument arguments[4] = {};
        const std::int32_t values[4] = {a, b, c, d};
        for (int i = 0; i < 4; ++i) arguments[i].value.integer = values[i];
        filter->script->functions[0].handler(nullptr, &activation, arguments, 4);
    }

    bool save(char* buffer, int length) {
        return filter->save(&activation, nullptr, buffer, length);
    }
};

bool sameSettings(const FilterSettings& a, const FilterSettings& b) {
    return std::memcmp(&a, &b, sizeof a) == 0;
}

void testInitialise(const FilterDescription& d) {
    Session garbage(d, 0xA5);
    checkEqual(garbage.initialise(), 0, "initialise returns 0");
    FilterSettings defaults{};
    setDefaults(defaults);
    check(sameSettings(garbage.instance().settings, defaults), "initialise writes the defaults");
    check(garbage.instance().planeA == nullptr && garbage.instance().planeB == nullptr &&
              garbage.instance().planeC == nullptr,
          "initialise nulls the plane references of uninitialised storage");
    checkEqual(garbage.end(), 0, "end without a run returns 0");
}

void testSettingsLine(const FilterDescription& d) {
    Session session(d);
    session.initialise();
    char line[128];
    check(session.save(line, sizeof line), "save reports success");
    check(std::strcmp(line, "Config(655363, 327700, 327700, 16777216)") == 0,
          "the default settings line");

    char shortBuffer[16];
    std::memset(shortBuffer, 'x', sizeof shortBuffer);
    check(!session.save(shortBuffer, 10), "a buffer too short for the line is refused");
    check(shortBuffer[0] == '\0' && shortBuffer[10] == 'x', "a refused line leaves an empty one");

    char text[8];
    std::memset(text, 'x', sizeof text);
    d.describe(&session.activation, nullptr, text);
    check(text[0] == ' ' && text[1] == '\0' && text[2] == 'x', "describe copies one space");
}

void testConfigHandler(const FilterDescription& d) {
    Session session(d);
    session.initialise();
    session.config(20 * 65536 + 7, 3 * 65536 + 9, 4 * 65536 + 11, 0x00010100);
    const FilterSettings& s = session.instance().settings;
    const FilterSettings want = {
        20, 7, averagingCoefficient(20), averagingCoefficient(7), 3, 9, 4, 11, 0, 1, 1};
    check(sameSettings(s, want), "Config unpacks all four arguments");
    char line[128];
    session.save(line, sizeof line);
    check(std::strcmp(line, "Config(1310727, 196617, 262155, 65792)") == 0,
          "the restored settings save the same line");

    session.config(655363, 327700, 327700, -16777216);
    checkEqual(s.interlaced, 255, "a negative flags word is read unsigned");
    checkEqual(s.testMode + s.rgbProcessing, 0, "the other flags of 0xFF000000");
    session.config(65536, 0, 0, 0);
    checkEqual(s.yAverage * 1000 + s.yCoefficient, 1000, "length 1, coefficient 0");
    checkEqual(s.uvAverage * 1000 + s.uvCoefficient, 255, "length 0, coefficient 255");
}

// ---- frames ---------------------------------------------------------------------------------

constexpr std::uint8_t kGuard = 0xEE;
constexpr std::int32_t kMargin = 64;

// A frame inside a guarded buffer, rows top-down or bottom-up in memory.
struct FrameBuffer {
    std::int32_t width;
    std::int32_t height;
    std::int32_t gap;  // bytes between rows (>= 0)
    bool bottomUp;
    std::vector<std::uint8_t> bytes;

    FrameBuffer(std::int32_t w, std::int32_t h, std::int32_t g, bool up)
        : width(w),
          height(h),
          gap(g),
          bottomUp(up),
          bytes(static_cast<std::size_t>((w * 4 + g) * h + 2 * kMargin), kGuard) {}

    std::int32_t distance() const { return width * 4 + gap; }
    std::uint8_t* row(std::int32_t y) {
        const std::int32_t slot = bottomUp ? height - 1 - y : y;
        return bytes.data() + kMargin + slot * distance();
    }
    FrameRecord record() {
        FrameRecord r{};
        r.pixels = row(0);
        r.width = width;
        r.height = height;
        r.rowGap = bottomUp ? -(width * 4 + distance()) : gap;
        return r;
    }
    FrameView view() {
        const FrameRecord r = record();
        return FrameView{r.pixels, r.width, r.height, r.rowGap};
    }
    // Everything outside the rows' pixel bytes still holds the guard value.
    bool guardIntact() {
        std::vector<bool> pixel(bytes.size(), false);
        for (std::int32_t y = 0; y < height; ++y) {
            const auto start = static_cast<std::size_t>(row(y) - bytes.data());
            for (std::size_t i = 0; i < static_cast<std::size_t>(width) * 4; ++i)
                pixel[start + i] = true;
        }
        for (std::size_t i = 0; i < bytes.size(); ++i)
            if (!pixel[i] && bytes[i] != kGuard) return false;
        return true;
    }
};

// A smooth picture with a small pattern that flips sign every second line, so the filter
// has something to remove in both interlaced and progressive mode.
void paintCombed(FrameBuffer& frame, std::uint32_t seed) {
    for (std::int32_t y = 0; y < frame.height; ++y) {
        std::uint8_t* p = frame.row(y);
        const int sign = ((y >> 1) & 1) != 0 ? 1 : -1;
        for (std::int32_t x = 0; x < frame.width; ++x) {
            seed = seed * 1664525u + 1013904223u;
            for (int c = 0; c < 3; ++c) {
                const int base = 60 + 2 * x + 3 * y + 40 * c + static_cast<int>(seed >> 31);
                p[x * 4 + c] = static_cast<std::uint8_t>(base + sign);
            }
            p[x * 4 + 3] = static_cast<std::uint8_t>(seed >> 8);
        }
    }
}

// Runs one frame through the module and the same frame through the engine directly.
void compareFrame(const FilterDescription& d, const char* what, std::int32_t configD, bool sourceUp,
                  std::int32_t destinationGap, bool destinationUp) {
    const std::int32_t w = 37;
    const std::int32_t h = 23;
    Session session(d);
    session.initialise();
    session.config(655363, 327700, 327700, configD);
    FrameBuffer source(w, h, 0, sourceUp);
    paintCombed(source, 12345u);
    FrameBuffer out(w, h, destinationGap, destinationUp);
    FrameBuffer expected(w, h, destinationGap, destinationUp);
    FrameRecord sourceRecord = source.record();
    FrameRecord outRecord = out.record();
    session.activation.source = &sourceRecord;
    session.activation.destination = &outRecord;

    char label[160];
    std::snprintf(label, sizeof label, "%s: start returns 0", what);
    checkEqual(session.start(), 0, label);
    std::snprintf(label, sizeof label, "%s: run returns 0", what);
    checkEqual(session.run(), 0, label);
    checkEqual(session.end(), 0, "end returns 0");
    check(session.instance().planeA == nullptr && session.instance().planeC == nullptr,
          "end nulls the planes");
    checkEqual(session.end(), 0, "a second end is harmless");

    FilterInstance direct{};
    direct.settings = session.instance().settings;
    startRun(direct, source.view());
    runFrame(direct, source.view(), expected.view());
    endRun(direct);

    std::snprintf(label, sizeof label, "%s: the module's frame equals the engine's", what);
    check(out.bytes == expected.bytes, label);
    std::snprintf(label, sizeof label, "%s: destination row gaps and margins untouched", what);
    check(out.guardIntact(), label);
    bool changed = false;
    for (std::int32_t y = 0; y < h; ++y)
        for (std::int32_t x = 0; x < w * 4; x += 4)
            changed |= std::memcmp(out.row(y) + x, source.row(y) + x, 3) != 0;
    std::snprintf(label, sizeof label, "%s: the filter changed the picture", what);
    check(changed, label);
}

void testFrames(const FilterDescription& d) {
    const std::int32_t interlacedYuv = 0x01000000;
    const std::int32_t interlacedRgb = 0x01000100;
    const std::int32_t yuvTestMode = 0x01010000;
    compareFrame(d, "top-down YUV", interlacedYuv, false, 0, false);
    compareFrame(d, "bottom-up source, gapped destination", interlacedYuv, true, 12, false);
    compareFrame(d, "bottom-up gapped destination", interlacedYuv, false, 16, true);
    compareFrame(d, "RGB, bottom-up", interlacedRgb, true, 8, true);
    compareFrame(d, "test mode", yuvTestMode, false, 4, false);
}

// The dialog template is found through the module record; without one there is no dialog.
void testConfigureWithoutModule(const FilterDescription& d) {
    FilterDescription orphan = d;
    orphan.module = nullptr;
    Session session(orphan);
    session.initialise();
    const FilterSettings before = session.instance().settings;
    checkEqual(orphan.configure(&session.activation, nullptr, nullptr), -1,
               "configure without a module record fails");
    check(sameSettings(session.instance().settings, before), "and changes nothing");
}

void testConfigureWithoutDialog(const FilterDescription& d) {
    Session session(d);
    session.initialise();
    const FilterSettings before = session.instance().settings;
    checkEqual(d.configure(&session.activation, nullptr, nullptr), -1,
               "configure reports the platform's failure value without a dialog");
    check(sameSettings(session.instance().settings, before), "a failed dialog changes nothing");
}

}  // namespace
}  // namespace lintra::testhost

int main(int argc, char** argv) {
    using namespace lintra::testhost;
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s MODULE [--dialog] [--screenshot FILE.bmp]\n", argv[0]);
        return 2;
    }
    bool dialog = false;
    const char* screenshot = nullptr;
    for (int i = 2; i < argc; ++i) {
        if (std::strcmp(argv[i], "--dialog") == 0) dialog = true;
        if (std::strcmp(argv[i], "--screenshot") == 0 && i + 1 < argc) screenshot = argv[++i];
    }

    LoadedModule module;
    if (loadModule(argv[1], module)) {
        ModuleRecord record{nullptr, nullptr, module.library};
        testRefusedRegistration(module, record);
        if (testRegistration(module, record)) {
            const lintra::host::FilterDescription& d = registry.copy;
            testDescription(d);
            testInitialise(d);
            testSettingsLine(d);
            testConfigHandler(d);
            testFrames(d);
            testConfigureWithoutModule(d);
            if (dialog || screenshot != nullptr)
                runDialogTests(d, module.library, screenshot);
            else
                testConfigureWithoutDialog(d);
            module.deinit(&record, &hostFunctions);
            checkEqual(registry.removed, 1, "unload withdraws the filter once");
            check(registry.removedHandle == &handleToken, "with the handle the host returned");
        }
        closeLibrary(module.library);
    }
    std::printf("%d passed, %d failed\n", tally().passed, tally().failed);
    return tally().failed == 0 ? 0 : 1;
}
