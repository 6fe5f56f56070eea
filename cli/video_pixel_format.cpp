#include "cli/video_pixel_format.h"

#include <cstring>
#include <initializer_list>

namespace lintra::video {
namespace {

using planar::Family;
using planar::Format;

bool startsWith(const std::string& s, const char* prefix) {
    return s.rfind(prefix, 0) == 0;
}

bool endsWith(const std::string& s, const char* suffix) {
    const std::size_t n = std::strlen(suffix);
    return s.size() >= n && s.compare(s.size() - n, n, suffix) == 0;
}

// "420p" -> subsampling; false for anything else.
bool chromaOf(const std::string& s, int& w, int& h) {
    struct Layout {
        const char* text;
        int w, h;
    };
    for (const Layout l : {Layout{"444p", 0, 0}, Layout{"422p", 1, 0}, Layout{"420p", 1, 1},
                           Layout{"440p", 0, 1}, Layout{"411p", 2, 0}, Layout{"410p", 2, 1}}) {
        if (s == l.text) {
            w = l.w;
            h = l.h;
            return true;
        }
    }
    return false;
}

// "" -> 8 bits; "10le" / "10be" -> 10; the depths ffmpeg has planar formats for.
bool depthOf(const std::string& s, int& depth) {
    if (s.empty()) {
        depth = 8;
        return true;
    }
    if (!endsWith(s, "le") && !endsWith(s, "be")) return false;
    const std::string digits = s.substr(0, s.size() - 2);
    for (const int d : {9, 10, 12, 14, 16}) {
        if (digits == std::to_string(d)) {
            depth = d;
            return true;
        }
    }
    return false;
}

// "yuv420p10le" without its prefix: "420p" + "10le".
bool yuvRest(const std::string& rest, Format& f) {
    const auto p = rest.find('p');
    if (p == std::string::npos) return false;
    int w = 0, h = 0, depth = 0;
    if (!chromaOf(rest.substr(0, p + 1), w, h) || !depthOf(rest.substr(p + 1), depth)) {
        return false;
    }
    f = {Family::yuv, depth, w, h};
    return true;
}

bool greyRest(const std::string& rest, Format& f) {
    int depth = 0;
    if (!depthOf(rest, depth)) return false;
    f = {Family::grey, depth, 0, 0};
    return true;
}

bool rgbRest(const std::string& rest, Format& f) {
    int depth = 0;
    if (!depthOf(rest, depth)) return false;
    f = {Family::rgb, depth, 0, 0};
    return true;
}

// Planar formats with alpha, without it: "yuva420p10le" -> yuv 4:2:0 10-bit.
bool alphaPlanar(const std::string& name, Format& f) {
    if (startsWith(name, "yuva")) return yuvRest(name.substr(4), f);
    if (startsWith(name, "gbrap")) return rgbRest(name.substr(5), f);
    if (name == "ya8") return greyRest("", f);
    if (name == "ya16le" || name == "ya16be") return greyRest("16le", f);
    return false;
}

struct Equivalent {
    const char* name;
    Format format;
    const char* loss = "";  // what the planar format does not hold
};

constexpr const char* kAlpha = "alpha";
constexpr const char* kFloatingPoint = "floating point (taken at 16 bits)";

// Semi-planar and packed Y'CbCr and deep packed RGB, with the planar format holding them (or
// holding all but alpha, or floating point at 16 bits).
constexpr Equivalent kRepacked[] = {
    {"nv12", {Family::yuv, 8, 1, 1}},
    {"nv21", {Family::yuv, 8, 1, 1}},
    {"nv16", {Family::yuv, 8, 1, 0}},
    {"nv24", {Family::yuv, 8, 0, 0}},
    {"nv42", {Family::yuv, 8, 0, 0}},
    {"nv20le", {Family::yuv, 10, 1, 0}},
    {"nv20be", {Family::yuv, 10, 1, 0}},
    {"p010le", {Family::yuv, 10, 1, 1}},
    {"p010be", {Family::yuv, 10, 1, 1}},
    {"p016le", {Family::yuv, 16, 1, 1}},
    {"p016be", {Family::yuv, 16, 1, 1}},
    {"p210le", {Family::yuv, 10, 1, 0}},
    {"p210be", {Family::yuv, 10, 1, 0}},
    {"p216le", {Family::yuv, 16, 1, 0}},
    {"p216be", {Family::yuv, 16, 1, 0}},
    {"p410le", {Family::yuv, 10, 0, 0}},
    {"p410be", {Family::yuv, 10, 0, 0}},
    {"p416le", {Family::yuv, 16, 0, 0}},
    {"p416be", {Family::yuv, 16, 0, 0}},
    {"yuyv422", {Family::yuv, 8, 1, 0}},
    {"uyvy422", {Family::yuv, 8, 1, 0}},
    {"yvyu422", {Family::yuv, 8, 1, 0}},
    {"uyyvyy411", {Family::yuv, 8, 2, 0}},
    {"y210le", {Family::yuv, 10, 1, 0}},
    {"y210be", {Family::yuv, 10, 1, 0}},
    {"vuyx", {Family::yuv, 8, 0, 0}},
    {"rgb48le", {Family::rgb, 16, 0, 0}},
    {"rgb48be", {Family::rgb, 16, 0, 0}},
    {"bgr48le", {Family::rgb, 16, 0, 0}},
    {"bgr48be", {Family::rgb, 16, 0, 0}},
    {"x2rgb10le", {Family::rgb, 10, 0, 0}},
    {"x2rgb10be", {Family::rgb, 10, 0, 0}},
    {"x2bgr10le", {Family::rgb, 10, 0, 0}},
    {"x2bgr10be", {Family::rgb, 10, 0, 0}},
    {"vuya", {Family::yuv, 8, 0, 0}, kAlpha},
    {"ayuv64le", {Family::yuv, 16, 0, 0}, kAlpha},
    {"ayuv64be", {Family::yuv, 16, 0, 0}, kAlpha},
    {"rgba64le", {Family::rgb, 16, 0, 0}, kAlpha},
    {"rgba64be", {Family::rgb, 16, 0, 0}, kAlpha},
    {"bgra64le", {Family::rgb, 16, 0, 0}, kAlpha},
    {"bgra64be", {Family::rgb, 16, 0, 0}, kAlpha},
    {"gbrpf32le", {Family::rgb, 16, 0, 0}, kFloatingPoint},
    {"gbrpf32be", {Family::rgb, 16, 0, 0}, kFloatingPoint},
    {"gbrapf32le", {Family::rgb, 16, 0, 0}, kFloatingPoint},
    {"gbrapf32be", {Family::rgb, 16, 0, 0}, kFloatingPoint},
    {"grayf32le", {Family::grey, 16, 0, 0}, kFloatingPoint},
    {"grayf32be", {Family::grey, 16, 0, 0}, kFloatingPoint},
};

// Packed RGB of 8 bits or less per channel (and palettes): the filter's own frames hold them.
constexpr const char* kPackedRgb[] = {
    "bgr0",     "rgb0",     "0rgb",     "0bgr",     "rgb24",    "bgr24",     "rgba",
    "bgra",     "argb",     "abgr",     "rgb565le", "rgb565be", "bgr565le",  "bgr565be",
    "rgb555le", "rgb555be", "bgr555le", "bgr555be", "rgb444le", "rgb444be",  "bgr444le",
    "bgr444be", "rgb8",     "bgr8",     "rgb4",     "bgr4",     "rgb4_byte", "bgr4_byte",
    "pal8",     "monow",    "monob",
};

bool hasAlpha(const std::string& name) {
    for (const char* n : {"rgba", "bgra", "argb", "abgr", "pal8"}) {
        if (name == n) return true;
    }
    return false;
}

void planarLayout(const Format& f, PixelLayout& layout) {
    layout.format = f;
    layout.pipeFormat = planarFormatName(f);
}

}  // namespace

bool planarFormatOf(const std::string& name, Format& format) {
    Format f{};
    bool ok = false;
    if (startsWith(name, "yuvj")) {
        ok = yuvRest(name.substr(4), f) && f.bitDepth == 8;
    } else if (startsWith(name, "yuv") && !startsWith(name, "yuva")) {
        ok = yuvRest(name.substr(3), f);
    } else if (startsWith(name, "gray") && name.find('f') == std::string::npos) {
        ok = greyRest(name.substr(4), f);
    } else if (startsWith(name, "gbrp") && name.find('f') == std::string::npos) {
        ok = rgbRest(name.substr(4), f);
    }
    if (ok) format = f;
    return ok;
}

std::string planarFormatName(const Format& f) {
    std::string name;
    switch (f.family) {
        case Family::grey:
            name = "gray";
            break;
        case Family::rgb:
            name = "gbrp";
            break;
        case Family::yuv: {
            static const char* const kChroma[3][3] = {
                {"444p", "440p", ""}, {"422p", "420p", ""}, {"411p", "410p", ""}};
            name = std::string("yuv") + kChroma[f.subsamplingW][f.subsamplingH];
            break;
        }
    }
    if (f.bitDepth > 8) name += std::to_string(f.bitDepth) + "le";
    return name;
}

std::string describeFormat(const Format& f) {
    std::string kind;
    switch (f.family) {
        case Family::grey:
            kind = "grey";
            break;
        case Family::rgb:
            kind = "RGB";
            break;
        case Family::yuv: {
            static const char* const kChroma[3][3] = {{"4:4:4", "4:4:0", "4:4:0 (1/4 vertical)"},
                                                      {"4:2:2", "4:2:0", "4:2:0 (1/4 vertical)"},
                                                      {"4:1:1", "4:1:0", "4:1:0 (1/4 vertical)"}};
            kind = kChroma[f.subsamplingW][f.subsamplingH];
            break;
        }
    }
    return kind + " " + std::to_string(f.bitDepth) + "-bit";
}

bool pixelLayoutFor(const std::string& name, PixelLayout& layout) {
    layout = PixelLayout{};
    if (name.empty() || name == "unknown") return false;
    Format f{};
    if (planarFormatOf(name, f)) {
        planarLayout(f, layout);
        // yuvj formats are yuv ones in full range: kept by name so that ffmpeg does not
        // convert the range on the way.
        if (startsWith(name, "yuvj")) {
            layout.pipeFormat = name;
            layout.fullRange = true;
        }
        return true;
    }
    if (alphaPlanar(name, f)) {
        planarLayout(f, layout);
        layout.loss = kAlpha;
        return true;
    }
    for (const Equivalent& e : kRepacked) {
        if (name != e.name) continue;
        planarLayout(e.format, layout);
        layout.loss = e.loss;
        return true;
    }
    layout.pipeFormat = "bgr0";
    layout.packedRgb = true;
    layout.format = {Family::rgb, 8, 0, 0};
    for (const char* packed : kPackedRgb) {
        if (name == packed) {
            if (hasAlpha(name)) layout.loss = kAlpha;
            return true;
        }
    }
    layout.loss = "its own format (" + name + ", taken as 8-bit RGB)";
    return true;
}

}  // namespace lintra::video
