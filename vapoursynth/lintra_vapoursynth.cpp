// The VapourSynth entry point and the filter Lintra: arguments and clip checked before anything
// is allocated, frames filtered in parallel mode on work memory from a pool, nothing thrown
// across the boundary.

#include <VapourSynth4.h>

#include <cstdio>
#include <new>
#include <string>

#include "engine/cpu_level.h"
#include "frontend/cpu_environment.h"
#include "lintra_version.h"
#include "vapoursynth/clip_format.h"
#include "vapoursynth/filter_args.h"
#include "vapoursynth/frame_colours.h"
#include "vapoursynth/planar_frame.h"
#include "vapoursynth/rgb24_frame.h"
#include "vapoursynth/work_pool.h"

namespace {

using namespace lintra;
using namespace lintra::vs;

constexpr const char* kFunctionName = "Lintra";

struct LintraFilter {
    VSNode* node;
    VSVideoInfo info;
    InputPath path;
    WorkPool pool;
};

void failCreation(VSMap* out, const VSAPI* api, const std::string& message) {
    api->mapSetError(out, (std::string(kFunctionName) + ": " + message).c_str());
}

void readArgs(const VSMap* in, const VSAPI* api, FilterArgs& args) {
    for (int arg = 0; arg < kNumberArgCount; ++arg) {
        int error = 0;
        args.value[arg] = api->mapGetInt(in, kNumberArgNames[arg], 0, &error);
        args.given[arg] = error == 0;
    }
    int error = 0;
    const char* text = api->mapGetData(in, kSettingsArgName, 0, &error);
    args.settingsGiven = error == 0 && text != nullptr;
    if (args.settingsGiven) {
        const int size = api->mapGetDataSize(in, kSettingsArgName, 0, &error);
        args.settings.assign(text, size > 0 ? static_cast<std::size_t>(size) : 0);
    }
}

std::string formatName(const VSVideoFormat& format, const VSAPI* api) {
    char name[32] = "unknown";
    if (format.colorFamily != cfUndefined) api->getVideoFormatName(&format, name);
    return name;
}

// The run's CPU level, taken once for this filter: the best the processor has, at most
// what LINTRA_CPU allows.
bool runLevelFromEnvironment(CpuLevel& level, std::string& error) {
    CpuLevel cap = CpuLevel::avx512;
    if (!cpuCapFromEnvironment(cap, error)) return false;
    level = lowerLevel(cap, detectCpuLevel());
    return true;
}

// Formatted here rather than with std::to_string, whose digit table would be exported as a
// unique symbol of libstdc++.
std::string sizeMessage(const VSVideoInfo& info) {
    char text[80];
    std::snprintf(text, sizeof text, "not enough memory for frames of %dx%d", info.width,
                  info.height);
    return text;
}

std::string frameMessage(int n, const std::string& reason) {
    char prefix[48];
    std::snprintf(prefix, sizeof prefix, "%s: frame %d: ", kFunctionName, n);
    return prefix + (reason.empty() ? std::string("not enough memory to filter a frame") : reason);
}

bool sameShape(const VSFrame* frame, const VSVideoInfo& info, const VSAPI* api) {
    const VSVideoFormat* f = api->getVideoFrameFormat(frame);
    return f != nullptr && f->colorFamily == info.format.colorFamily &&
           f->sampleType == info.format.sampleType &&
           f->bitsPerSample == info.format.bitsPerSample &&
           f->subSamplingW == info.format.subSamplingW &&
           f->subSamplingH == info.format.subSamplingH &&
           api->getFrameWidth(frame, 0) == info.width &&
           api->getFrameHeight(frame, 0) == info.height;
}

PlanarRgb planesOf(const VSFrame* frame, std::uint8_t* const planes[3], const VSVideoInfo& info,
                   const VSAPI* api) {
    PlanarRgb p{{planes[0], planes[1], planes[2]}, {}, info.width, info.height};
    for (int i = 0; i < 3; ++i) p.strides[i] = api->getStride(frame, i);
    return p;
}

std::int64_t propertyOr(const VSMap* props, const char* key, const VSAPI* api) {
    int error = 0;
    const std::int64_t value = api->mapGetInt(props, key, 0, &error);
    return error == 0 ? value : -1;
}

FrameProperties propertiesOf(const VSFrame* frame, const VSAPI* api) {
    const VSMap* props = api->getFramePropertiesRO(frame);
    return FrameProperties{propertyOr(props, "_Matrix", api), propertyOr(props, "_ColorRange", api),
                           propertyOr(props, "_ChromaLocation", api),
                           propertyOr(props, "_FieldBased", api)};
}

template <typename Picture, typename Bytes>
Picture pictureOf(const VSFrame* frame, Bytes planes[3], const VSVideoInfo& info,
                  const VSAPI* api) {
    Picture p{{planes[0], planes[1], planes[2]},
              {},
              info.width,
              info.height,
              planarFormatOf(info.format)};
    for (int i = 0; i < info.format.numPlanes; ++i) p.strides[i] = api->getStride(frame, i);
    return p;
}

// A frame the filter cannot take (its properties name colours it has no way to convert)
// fails with that reason; any other failure is memory.
bool filterPlanarFrame(const LintraFilter& filter, WorkEntry& entry, const VSFrame* source,
                       VSFrame* destination, const VSAPI* api, std::string& error) {
    planar::Colours colours{};
    if (!coloursOf(propertiesOf(source, api), planarFormatOf(filter.info.format), filter.info.width,
                   filter.info.height, colours, error)) {
        return false;
    }
    const std::uint8_t* in[3] = {nullptr, nullptr, nullptr};
    std::uint8_t* out[3] = {nullptr, nullptr, nullptr};
    for (int i = 0; i < filter.info.format.numPlanes; ++i) {
        in[i] = api->getReadPtr(source, i);
        out[i] = api->getWritePtr(destination, i);
    }
    return filterPlanar(entry, pictureOf<planar::PictureView>(source, in, filter.info, api),
                        colours,
                        pictureOf<planar::PictureTarget>(destination, out, filter.info, api)) == 0;
}

// The one place where each kind of clip takes its own way through the engine.
bool filterFrame(LintraFilter& filter, WorkEntry& entry, const VSFrame* source,
                 VSFrame* destination, const VSAPI* api, std::string& error) {
    switch (filter.path) {
        case InputPath::planar:
            return filterPlanarFrame(filter, entry, source, destination, api, error);
        case InputPath::rgb24: {
            std::uint8_t* in[3];
            std::uint8_t* out[3];
            for (int i = 0; i < 3; ++i) {
                in[i] = const_cast<std::uint8_t*>(api->getReadPtr(source, i));
                out[i] = api->getWritePtr(destination, i);
            }
            return filterRgb24(entry, planesOf(source, in, filter.info, api),
                               planesOf(destination, out, filter.info, api)) == 0;
        }
        case InputPath::refused:
            break;
    }
    return false;
}

const VSFrame* filterOneFrame(int n, LintraFilter& filter, VSFrameContext* context, VSCore* core,
                              const VSAPI* api) {
    const VSFrame* source = api->getFrameFilter(n, filter.node, context);
    if (source == nullptr) return nullptr;
    if (!sameShape(source, filter.info, api)) {
        api->freeFrame(source);
        api->setFilterError("Lintra: a frame of the clip differs from the clip's format or size",
                            context);
        return nullptr;
    }
    // The new frame takes the source's properties: the filter changes none of them.
    VSFrame* destination = api->newVideoFrame(&filter.info.format, filter.info.width,
                                              filter.info.height, source, core);
    WorkEntry* entry = takeEntry(filter.pool);
    std::string error;
    bool done = false;
    try {
        done = destination != nullptr && entry != nullptr &&
               filterFrame(filter, *entry, source, destination, api, error);
    } catch (...) {
        error.clear();
    }
    giveBack(filter.pool, entry);
    api->freeFrame(source);
    if (!done) {
        if (destination != nullptr) api->freeFrame(destination);
        api->setFilterError(frameMessage(n, error).c_str(), context);
        return nullptr;
    }
    return destination;
}

const VSFrame* VS_CC getFrame(int n, int activationReason, void* instanceData, void** /*frameData*/,
                              VSFrameContext* context, VSCore* core, const VSAPI* api) {
    auto* filter = static_cast<LintraFilter*>(instanceData);
    if (activationReason == arInitial) {
        api->requestFrameFilter(n, filter->node, context);
        return nullptr;
    }
    if (activationReason != arAllFramesReady) return nullptr;
    return filterOneFrame(n, *filter, context, core, api);
}

void VS_CC freeFilter(void* instanceData, VSCore* /*core*/, const VSAPI* api) {
    auto* filter = static_cast<LintraFilter*>(instanceData);
    api->freeNode(filter->node);
    delete filter;
}

// Everything a script passed, checked; then the filter with its first work entry. True when
// the filter was created and owns the node.
bool createFilter(VSNode* node, const VSMap* in, VSMap* out, VSCore* core, const VSAPI* api) {
    const VSVideoInfo info = *api->getVideoInfo(node);
    std::string error;
    FilterArgs args{};
    readArgs(in, api, args);
    FilterSettings settings{};
    CpuLevel level = CpuLevel::scalar;
    const InputPath path = inputPathFor(info, formatName(info.format, api).c_str(), error);
    if (path == InputPath::refused || !settingsFromArgs(args, settings, error) ||
        !runLevelFromEnvironment(level, error)) {
        failCreation(out, api, error);
        return false;
    }
    auto* filter = new (std::nothrow) LintraFilter{node, info, path, {}};
    if (filter == nullptr || !startPool(filter->pool, settings, level, info.width, info.height)) {
        delete filter;
        failCreation(out, api, sizeMessage(info));
        return false;
    }
    const VSFilterDependency dependency{node, rpStrictSpatial};
    api->createVideoFilter(out, kFunctionName, &info, getFrame, freeFilter, fmParallel, &dependency,
                           1, filter, core);
    return true;
}

void VS_CC createLintra(const VSMap* in, VSMap* out, void* /*userData*/, VSCore* core,
                        const VSAPI* api) {
    VSNode* node = api->mapGetNode(in, "clip", 0, nullptr);
    bool created = false;
    try {
        created = createFilter(node, in, out, core, api);
    } catch (...) {
        failCreation(out, api, "not enough memory");
    }
    if (!created) api->freeNode(node);
}

}  // namespace

VS_EXTERNAL_API(void) VapourSynthPluginInit2(VSPlugin* plugin, const VSPLUGINAPI* api) {
    api->configPlugin("lintra.linecomb", "lintra",
                      "Lintra line-comb filter: removes dot crawl, cross-colour and residual "
                      "combing from analog captures",
                      VS_MAKE_VERSION(LINTRA_VERSION_MAJOR, LINTRA_VERSION_MINOR),
                      VAPOURSYNTH_API_VERSION, 0, plugin);
    api->registerFunction(kFunctionName, kFunctionArgs, "clip:vnode;", createLintra, nullptr,
                          plugin);
}
