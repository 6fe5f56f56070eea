#include "frei0r/plugin_instance.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <new>

#include "engine/frame_driver.h"
#include "frontend/cpu_environment.h"
#include "frontend/settings_text.h"

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
    for (int i = 0; i < kParamCount; ++i) instance->params[i] = defaultParam(i);
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
    if (!applyNumberParam(instance.fromParams, index, value)) return;
    instance.params[index] = heldParam(index, value);
    chooseSettings(instance);
}

double numberParam(const PluginInstance& instance, int index) noexcept {
    if (index == kParamSettingsLine || paramDescription(index) == nullptr) return 0.0;
    return instance.params[index];
}

void setLineParam(PluginInstance& instance, const char* text) noexcept {
    try {
        instance.line = text != nullptr ? text : "";
        std::string error;
        instance.lineGiven =
            !isBlankSettingsText(text) && settingsFromText(text, instance.fromLine, error);
        const bool reported =
            std::find(instance.reportedTexts.begin(), instance.reportedTexts.end(),
                      instance.line) != instance.reportedTexts.end();
        if (!isBlankSettingsText(text) && !instance.lineGiven && !reported) {
            instance.reportedTexts.push_back(instance.line);
            std::fprintf(stderr, "lintra: ignoring the settings \"%s\" (%s)\n",
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
