#pragma once
// One frei0r instance: the engine instance with its planes for the frame size fixed at
// construction, the settings from the single parameters and from a settings line, and the
// alpha hand-over that lets editors composite the result.

#include <cstdint>
#include <string>
#include <vector>

#include "engine/filter_instance.h"

namespace lintra::frei0r {

struct PluginInstance {
    FilterInstance filter;  // the settings frames are filtered with, and the planes
    std::int32_t width;
    std::int32_t height;
    FilterSettings fromParams;  // the single parameters, clamped as the dialog does
    FilterSettings fromLine;    // valid when lineGiven
    bool lineGiven;
    std::string line;                       // the settings-line parameter as last set
    std::vector<std::uint8_t> inPlaceCopy;  // the source when a host filters in place
};

// An instance with default settings and planes for width x height, or null when the size is
// unusable or memory is short. Never throws.
PluginInstance* createInstance(unsigned width, unsigned height) noexcept;
void destroyInstance(PluginInstance* instance) noexcept;

// A bool or double parameter; other indices are ignored.
void setNumberParam(PluginInstance& instance, int index, double value) noexcept;

// The settings-line parameter: blank text withdraws it; text that is not a settings line is
// reported once on stderr and withdraws it too, so the single parameters apply.
void setLineParam(PluginInstance& instance, const char* text) noexcept;

// Filters one packed frame of the constructed size. The output's byte 3 is the input's
// alpha. `in` may equal `out`.
void updateFrame(PluginInstance& instance, const std::uint32_t* in, std::uint32_t* out) noexcept;

}  // namespace lintra::frei0r
