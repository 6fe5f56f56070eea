#include "cli/video_format_choice.h"

#include <limits>

#include "cli/video_pixel_format.h"

namespace lintra::video {
namespace {

using planar::Family;
using planar::Format;

constexpr int kLossCost = 100;         // per bit, or per halving of chroma samples
constexpr int kConversionCost = 1000;  // RGB <-> Y'CbCr
constexpr int kNoChromaCost = 5000;    // Y'CbCr into grey

int lostChroma(const Format& from, const Format& to) {
    return std::max(0, to.subsamplingW - from.subsamplingW) +
           std::max(0, to.subsamplingH - from.subsamplingH);
}

int addedChroma(const Format& from, const Format& to) {
    return std::max(0, from.subsamplingW - to.subsamplingW) +
           std::max(0, from.subsamplingH - to.subsamplingH);
}

int familyCost(Family from, Family to) {
    if (from == to) return 0;
    if (from == Family::grey && to == Family::yuv) return 1;  // neutral chroma: nothing lost
    if (from == Family::yuv && to == Family::grey) return kNoChromaCost;
    return kConversionCost;
}

int cost(const Format& from, const Format& to) {
    const int lostBits = std::max(0, from.bitDepth - to.bitDepth);
    const int addedBits = std::max(0, to.bitDepth - from.bitDepth);
    int c = familyCost(from.family, to.family) + kLossCost * lostBits + addedBits;
    // RGB has all its chroma, as 4:4:4 has.
    if (from.family != Family::grey && to.family == Family::yuv) {
        c += kLossCost * lostChroma(from, to) + addedChroma(from, to);
    }
    return c;
}

// An encoder's format as a planar one: packed 8-bit RGB counts as RGB.
bool candidate(const std::string& name, Format& f) {
    if (name.rfind("yuvj", 0) == 0) return false;  // the range travels in the tags
    if (name == "bgr0" || name == "rgb0" || name == "rgb24" || name == "bgr24") {
        f = {Family::rgb, 8, 0, 0};
        return true;
    }
    return planarFormatOf(name, f);
}

FormatChoice describe(const std::string& name, const Format& frames, const Format& chosen) {
    FormatChoice c;
    c.encoderFormat = name;
    c.format = chosen;
    c.reducedDepth = chosen.bitDepth < frames.bitDepth;
    const bool chromaGone = frames.family == Family::yuv && chosen.family == Family::grey;
    c.reducedChroma =
        chromaGone || (frames.family != Family::grey && chosen.family == Family::yuv &&
                       lostChroma(frames, chosen) > 0);
    c.convertedColours = (frames.family == Family::rgb) != (chosen.family == Family::rgb);
    return c;
}

}  // namespace

FormatChoice chooseOutputFormat(const Format& frames,
                                const std::vector<std::string>& encoderFormats, bool knownEncoder,
                                bool playable) {
    const Format playableFormat = {Family::yuv, 8, 1, 1};
    const Format wanted = playable ? playableFormat : frames;
    if (encoderFormats.empty()) {
        if (!knownEncoder && !playable) return FormatChoice{};
        return describe(planarFormatName(wanted), frames, wanted);
    }
    int best = std::numeric_limits<int>::max();
    FormatChoice choice;
    for (const std::string& name : encoderFormats) {
        Format f{};
        if (!candidate(name, f)) continue;
        const int c = cost(wanted, f);
        if (c < best) {
            best = c;
            choice = describe(name, frames, f);
        }
    }
    return choice;
}

}  // namespace lintra::video
