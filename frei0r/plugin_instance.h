#pragma once
// One frei0r instance: the engine instance with its planes for the frame size fixed at
// construction, the settings from the single parameters and from a settings line, and the
// alpha hand-over that lets editors composite the result.

#include <cstdint>
#include <string>
#include <vector>

#include "engine/filter_instance.h"
#include "frei0r/plugin_params.h"

namespace lintra::frei0r {

struct PluginInstance {
    FilterInstance filter;  // the settings frames are filtered with, and the planes
    std::int32_t width;
    std::int32_t height;
    FilterSettings fromParams;  // the single parameters, clamped as the dialog does
    FilterSettings fromLine;    // valid when lineGiven
    bool lineGiven;
    double params[kParamCount];              // bools and numbers as a host reads them back
    std::string line;                        // the settings text as last set
    std::vector<std::string> reportedTexts;  // bad settings texts already reported
    std::vector<std::uint8_t> inPlaceCopy;   // the source when a host filters in place
};

// An instance with default settings and planes for width x height, or null when the size is
// unusable or memory is short. Never throws.
PluginInstance* createInstance(unsigned width, unsigned height) noexcept;
void destroyInstance(PluginInstance* instance) noexcept;

// A bool or double parameter; other indices are ignored.
void setNumberParam(PluginInstance& instance, int index, double value) noexcept;

// The value a host reads back for a bool or double parameter; 0 for other indices.
double numberParam(const PluginInstance& instance, int index) noexcept;

// The settings text: blank text withdraws it; text that gives no settings withdraws it too,
// so the single parameters apply, and is reported on stderr once per instance and text (some
// hosts set every parameter again before each frame).
void setLineParam(PluginInstance& instance, const char* text) noexcept;

// Filters one packed frame of the constructed size. The output's byte 3 is the input's
// alpha. `in` may equal `out`.
void updateFrame(PluginInstance& instance, const std::uint32_t* in, std::uint32_t* out) noexcept;

}  // namespace lintra::frei0r
