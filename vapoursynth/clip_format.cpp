#include "vapoursynth/clip_format.h"

namespace lintra::vs {
namespace {

bool isRgb24(const VSVideoFormat& f) {
    return f.colorFamily == cfRGB && f.sampleType == stInteger && f.bitsPerSample == 8;
}

std::string conversionHint(const VSVideoFormat& f, const char* formatName) {
    const std::string name = formatName != nullptr ? formatName : "?";
    if (f.colorFamily == cfYUV) {
        return "convert it with core.resize.Bicubic(clip, format=vs.RGB24, matrix_in_s=\"709\") "
               "(\"170m\" for BT.601 sources) before Lintra and back with "
               "core.resize.Bicubic(clip, format=vs." +
               name + ", matrix_s=\"709\") after it";
    }
    return "convert it with core.resize.Bicubic(clip, format=vs.RGB24) before Lintra";
}

}  // namespace

InputPath inputPathFor(const VSVideoInfo& info, const char* formatName, std::string& error) {
    if (info.format.colorFamily == cfUndefined || info.width <= 0 || info.height <= 0) {
        error =
            "the clip varies in format or size from frame to frame; give it one format and "
            "size first (e.g. core.resize.Bicubic(clip, width=W, height=H, "
            "format=vs.RGB24))";
        return InputPath::refused;
    }
    if (isRgb24(info.format)) return InputPath::rgb24;
    error = std::string("the clip is ") + (formatName != nullptr ? formatName : "?") +
            ", but Lintra takes RGB24 clips; " + conversionHint(info.format, formatName);
    return InputPath::refused;
}

}  // namespace lintra::vs
