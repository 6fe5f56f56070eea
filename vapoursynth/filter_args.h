#pragma once
// The arguments of core.lintra.Lintra as a script passes them, and the settings they give:
// numbers held to the dialog's ranges, a settings text winning when it is given.

#include <cstdint>
#include <string>

#include "engine/filter_settings.h"

namespace lintra::vs {

// The optional number arguments, in the order the function declares them.
enum NumberArg : int {
    kArgRgb,
    kArgInterlaced,
    kArgTestMode,
    kArgLumaLength,
    kArgLumaThreshold,
    kArgChromaLength,
    kArgChromaThreshold,
    kNumberArgCount
};

// Their names as a script writes them.
inline constexpr const char* kNumberArgNames[kNumberArgCount] = {
    "rgb",           "interlaced",       "test_mode", "luma_length", "luma_threshold",
    "chroma_length", "chroma_threshold",
};
inline constexpr const char* kSettingsArgName = "settings";

// The function's argument list as VapourSynth reads it.
inline constexpr const char* kFunctionArgs =
    "clip:vnode;rgb:int:opt;interlaced:int:opt;test_mode:int:opt;luma_length:int:opt;"
    "luma_threshold:int:opt;chroma_length:int:opt;chroma_threshold:int:opt;settings:data:opt;";

struct FilterArgs {
    bool given[kNumberArgCount];
    std::int64_t value[kNumberArgCount];
    bool settingsGiven;
    std::string settings;  // as passed, which may hold any bytes
};

// The settings the arguments give. Flags are set by any non-zero number; lengths and
// thresholds of any size or sign are clamped as the dialog clamps them. A settings text
// that is not blank replaces them all. False with a one-line message (without the
// function's name) when the settings text gives no settings.
bool settingsFromArgs(const FilterArgs& args, FilterSettings& out, std::string& error);

}  // namespace lintra::vs
