#include "vapoursynth/clip_format.h"

namespace lintra::vs {
namespace {

constexpr int kMostSubsampling = 2;  // 4:1:0 at most, as the planar code takes

bool isRgb24(const VSVideoFormat& f) {
    return f.colorFamily == cfRGB && f.sampleType == stInteger && f.bitsPerSample == 8;
}

bool takesPlanar(const VSVideoFormat& f) {
    if (f.sampleType != stInteger || f.bitsPerSample < 8 || f.bitsPerSample > 16) return false;
    if (f.colorFamily == cfYUV) {
        return f.subSamplingW <= kMostSubsampling && f.subSamplingH <= kMostSubsampling;
    }
    return f.colorFamily == cfGray || f.colorFamily == cfRGB;
}

// The integer format nearest to one the filter cannot take, as a script names it.
std::string integerFormatFor(const VSVideoFormat& f) {
    if (f.colorFamily == cfRGB) return "RGB48";
    if (f.colorFamily == cfGray) return "Gray16";
    const char* chroma = f.subSamplingW == 0 ? "444" : f.subSamplingH == 0 ? "422" : "420";
    return std::string("YUV") + chroma + "P16";
}

}  // namespace

InputPath inputPathFor(const VSVideoInfo& info, const char* formatName, std::string& error) {
    if (info.format.colorFamily == cfUndefined || info.width <= 0 || info.height <= 0) {
        error =
            "the clip varies in format or size from frame to frame; give it one format and "
            "size first (e.g. core.resize.Bicubic(clip, width=W, height=H, "
            "format=vs.YUV422P10))";
        return InputPath::refused;
    }
    if (isRgb24(info.format)) return InputPath::rgb24;
    if (takesPlanar(info.format)) return InputPath::planar;
    const std::string name = formatName != nullptr ? formatName : "?";
    error = "the clip is " + name +
            ", but Lintra takes integer samples of 8 to 16 bits with chroma subsampled at most "
            "4:1:0; convert it with core.resize.Bicubic(clip, format=vs." +
            integerFormatFor(info.format) + ") before Lintra";
    return InputPath::refused;
}

planar::Format planarFormatOf(const VSVideoFormat& format) {
    const planar::Family family = format.colorFamily == cfYUV    ? planar::Family::yuv
                                  : format.colorFamily == cfGray ? planar::Family::grey
                                                                 : planar::Family::rgb;
    const bool yuv = family == planar::Family::yuv;
    return planar::Format{family, format.bitsPerSample, yuv ? format.subSamplingW : 0,
                          yuv ? format.subSamplingH : 0};
}

}  // namespace lintra::vs
