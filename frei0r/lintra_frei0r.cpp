// The frei0r entry points: a C boundary over PluginInstance. Every pointer a host hands in is
// checked before use, and nothing throws across it.

// frei0r.h declares the entry points without C linkage of its own.
extern "C" {
#include <frei0r.h>
}

#include "frei0r/plugin_instance.h"
#include "frei0r/plugin_params.h"
#include "lintra_version.h"

#define LINTRA_EXPORT extern "C" __attribute__((visibility("default")))

namespace {

using lintra::frei0r::PluginInstance;

constexpr int kPluginMajorVersion = LINTRA_VERSION_MAJOR;
constexpr int kPluginMinorVersion = LINTRA_VERSION_MINOR;

PluginInstance* instanceFrom(f0r_instance_t instance) {
    return static_cast<PluginInstance*>(instance);
}

int hostType(lintra::frei0r::ParamType type) {
    switch (type) {
        case lintra::frei0r::ParamType::kBool:
            return F0R_PARAM_BOOL;
        case lintra::frei0r::ParamType::kDouble:
            return F0R_PARAM_DOUBLE;
        case lintra::frei0r::ParamType::kString:
            break;
    }
    return F0R_PARAM_STRING;
}

}  // namespace

LINTRA_EXPORT int f0r_init(void) {
    return 1;
}

LINTRA_EXPORT void f0r_deinit(void) {}

LINTRA_EXPORT void f0r_get_plugin_info(f0r_plugin_info_t* info) {
    if (info == nullptr) return;
    info->name = "lintra";
    info->author = "Lintra developers";
    info->plugin_type = F0R_PLUGIN_TYPE_FILTER;
    info->color_model = F0R_COLOR_MODEL_BGRA8888;
    info->frei0r_version = FREI0R_MAJOR_VERSION;
    info->major_version = kPluginMajorVersion;
    info->minor_version = kPluginMinorVersion;
    info->num_params = lintra::frei0r::kParamCount;
    info->explanation =
        "Line-comb filter: removes dot crawl, cross-colour and residual combing from analog "
        "captures while keeping vertical detail";
}

LINTRA_EXPORT void f0r_get_param_info(f0r_param_info_t* info, int param_index) {
    const auto* param = lintra::frei0r::paramDescription(param_index);
    if (info == nullptr || param == nullptr) return;
    info->name = param->name;
    info->type = hostType(param->type);
    info->explanation = param->explanation;
}

LINTRA_EXPORT f0r_instance_t f0r_construct(unsigned int width, unsigned int height) {
    return lintra::frei0r::createInstance(width, height);
}

LINTRA_EXPORT void f0r_destruct(f0r_instance_t instance) {
    lintra::frei0r::destroyInstance(instanceFrom(instance));
}

LINTRA_EXPORT void f0r_set_param_value(f0r_instance_t instance, f0r_param_t param,
                                       int param_index) {
    PluginInstance* self = instanceFrom(instance);
    if (self == nullptr || param == nullptr) return;
    if (param_index == lintra::frei0r::kParamSettingsLine) {
        lintra::frei0r::setLineParam(*self, *static_cast<f0r_param_string*>(param));
        return;
    }
    lintra::frei0r::setNumberParam(*self, param_index, *static_cast<const double*>(param));
}

LINTRA_EXPORT void f0r_get_param_value(f0r_instance_t instance, f0r_param_t param,
                                       int param_index) {
    const PluginInstance* self = instanceFrom(instance);
    if (self == nullptr || param == nullptr) return;
    if (param_index == lintra::frei0r::kParamSettingsLine) {
        // The host reads our copy and must not free it.
        *static_cast<f0r_param_string*>(param) = const_cast<char*>(self->line.c_str());
        return;
    }
    if (lintra::frei0r::paramDescription(param_index) == nullptr) return;
    *static_cast<double*>(param) = lintra::frei0r::numberParam(*self, param_index);
}

LINTRA_EXPORT void f0r_update(f0r_instance_t instance, double /*time*/, const uint32_t* inframe,
                              uint32_t* outframe) {
    PluginInstance* self = instanceFrom(instance);
    if (self == nullptr) return;
    lintra::frei0r::updateFrame(*self, inframe, outframe);
}

LINTRA_EXPORT void f0r_update2(f0r_instance_t instance, double time, const uint32_t* inframe1,
                               const uint32_t* /*inframe2*/, const uint32_t* /*inframe3*/,
                               uint32_t* outframe) {
    f0r_update(instance, time, inframe1, outframe);
}
