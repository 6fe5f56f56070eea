#include "frei0r/plugin_instance.h"

#include <cstdio>
#include <cstring>
#include <new>

#include "cli/cpu_environment.h"
#include "engine/frame_driver.h"
#include "frei0r/plugin_params.h"
#include "frei0r/settings_line_text.h"

namespace lintra::frei0r {
namespace {

constexpr std::size_t kBytesPerPixel = 4;
constexpr std::size_t kAlphaByte = 3;

std::size_t frameBytes(const PluginInstance& instance) {
    return static_cast<std::size_t>(instance.width) * static_cast<std::size_t>(instance.height) *
           kBytesPerPixel;
}

// A settings line, when given, wins over the single parameters.
void chooseSettings(PluginInstance& instance) {
    instance.filter.settings = instance.lineGiven ? instance.fromLine : instance.fromParams;
}

void copyAlpha(const std::uint8_t* in, std::uint8_t* out, std::size_t bytes) {
    for (std::size_t i = kAlphaByte; i < bytes; i += kBytesPerPixel) out[i] = in[i];
}

}  // namespace

PluginInstance* createInstance(unsigned width, unsigned height) noexcept {
    if (width == 0 || height == 0 || width > INT32_MAX || height > INT32_MAX) return nullptr;
    auto* instance = new (std::nothrow) PluginInstance{};
    if (instance == nullptr) return nullptr;
    instance->width = static_cast<std::int32_t>(width);
    instance->height = static_cast<std::int32_t>(height);
    setDefaults(instance->fromParams);
    chooseSettings(*instance);
    // LINTRA_CPU caps the instruction set as it does for the command; a bad value is
    // reported and the best level used, since a plug-in has no way to fail a setting.
    CpuLevel cap = CpuLevel::avx512;
    std::string error;
    if (!cpuCapFromEnvironment(cap, error)) std::fprintf(stderr, "lintra.so: %s\n", error.c_str());
    const FrameView size{nullptr, instance->width, instance->height, 0};
    if (startRun(instance->filter, size, cap) != 0) {
        destroyInstance(instance);
        return nullptr;
    }
    return instance;
}

void destroyInstance(PluginInstance* instance) noexcept {
    if (instance == nullptr) return;
    endRun(instance->filter);
    delete instance;
}

void setNumberParam(PluginInstance& instance, int index, double value) noexcept {
    if (applyNumberParam(instance.fromParams, index, value)) chooseSettings(instance);
}

void setLineParam(PluginInstance& instance, const char* text) noexcept {
    try {
        instance.line = text != nullptr ? text : "";
        std::string error;
        instance.lineGiven = !isBlankLine(text) && settingsFromLine(text, instance.fromLine, error);
        if (!isBlankLine(text) && !instance.lineGiven) {
            std::fprintf(stderr, "lintra: ignoring the settings line \"%s\" (%s)\n",
                         instance.line.c_str(), error.c_str());
        }
    } catch (...) {
        instance.lineGiven = false;
    }
    chooseSettings(instance);
}

void updateFrame(PluginInstance& instance, const std::uint32_t* in, std::uint32_t* out) noexcept {
    if (in == nullptr || out == nullptr) return;
    const std::size_t bytes = frameBytes(instance);
    const auto* source = reinterpret_cast<const std::uint8_t*>(in);
    auto* destination = reinterpret_cast<std::uint8_t*>(out);
    // The engine writes byte 3 of every output pixel, so filtering in place needs the source
    // (and its alpha) kept aside.
    if (source == destination) {
        try {
            instance.inPlaceCopy.resize(bytes);
        } catch (...) {
            return;
        }
        std::memcpy(instance.inPlaceCopy.data(), source, bytes);
        source = instance.inPlaceCopy.data();
    }
    const FrameView from{const_cast<std::uint8_t*>(source), instance.width, instance.height, 0};
    const FrameView to{destination, instance.width, instance.height, 0};
    if (runFrame(instance.filter, from, to) != 0) return;
    copyAlpha(source, destination, bytes);
}

}  // namespace lintra::frei0r
