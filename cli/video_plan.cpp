#include "cli/video_plan.h"

#include "frontend/planar_picture.h"

namespace lintra::video {
namespace {

using planar::ChromaLocation;
using planar::Family;
using planar::Matrix;

bool interlaced(const VideoInfo& info) {
    return info.fieldOrder != FieldOrder::progressive;
}

struct MatrixNames {
    const char* text;  // for people
    const char* tag;   // ffmpeg's, for a conversion from RGB into it
};

MatrixNames namesOf(Matrix m) {
    switch (m) {
        case Matrix::bt709:
            return {"BT.709", "bt709"};
        case Matrix::bt2020nc:
            return {"BT.2020", "bt2020nc"};
        case Matrix::smpte240m:
            return {"SMPTE 240M", "smpte240m"};
        case Matrix::fcc:
            return {"FCC", "fcc"};
        case Matrix::bt601:
            break;
    }
    return {"BT.601", "smpte170m"};
}

// The matrix of the RGB view: the tagged one, else BT.709 for HD and BT.601 below.
Matrix viewMatrix(const VideoInfo& info, std::vector<std::string>& notes) {
    const std::string& m = info.tags.matrix;
    if (m == "bt709") return Matrix::bt709;
    if (m == "bt470bg" || m == "smpte170m") return Matrix::bt601;
    if (m == "bt2020nc" || m == "bt2020c") return Matrix::bt2020nc;
    if (m == "smpte240m") return Matrix::smpte240m;
    if (m == "fcc") return Matrix::fcc;
    const Matrix guess = planar::defaultMatrix(info.width, info.height);
    if (!m.empty()) {
        notes.push_back(std::string("the filter sees the ") + m + " colours through " +
                        namesOf(guess).text + " (untouched pixels are kept exactly)");
    }
    return guess;
}

ChromaLocation chromaLocation(const std::string& tag, bool jpeg) {
    if (tag == "center") return ChromaLocation::center;
    if (tag == "topleft") return ChromaLocation::topLeft;
    if (tag == "top") return ChromaLocation::top;
    if (tag == "bottomleft") return ChromaLocation::bottomLeft;
    if (tag == "bottom") return ChromaLocation::bottom;
    if (tag == "left") return ChromaLocation::left;
    // Untagged: JPEG-style full-range formats centre their chroma, video puts it left.
    return jpeg ? ChromaLocation::center : ChromaLocation::left;
}

FrameLayout frameLayout(const VideoInfo& info, const PixelLayout& pixels,
                        std::vector<std::string>& notes) {
    FrameLayout l;
    l.width = info.width;
    l.height = info.height;
    l.packedRgb = pixels.packedRgb;
    l.format = pixels.format;
    l.colours.matrix = pixels.format.family == Family::yuv
                           ? viewMatrix(info, notes)
                           : planar::defaultMatrix(l.width, l.height);
    const bool full = pixels.fullRange || info.tags.range == "pc";
    l.colours.range = full ? planar::Range::full : planar::Range::limited;
    l.colours.chromaLocation = chromaLocation(info.tags.chromaLocation, pixels.fullRange);
    l.colours.fieldBased = interlaced(info);
    return l;
}

void add(std::string& chain, const std::string& filter) {
    if (!chain.empty()) chain += ',';
    chain += filter;
}

// What the frames on the pipe are: the input's tags, full range for yuvj formats, and no range
// or matrix for RGB.
ColourTags frameTags(const VideoInfo& info, const FrameLayout& frames) {
    ColourTags t = info.tags;
    if (frames.format.family == Family::rgb) {
        t.range.clear();
        t.matrix.clear();
        t.chromaLocation.clear();
    } else if (frames.colours.range == planar::Range::full) {
        t.range = "pc";
    }
    return t;
}

// What the output should say: what the frames say, unless they are converted between RGB and
// Y'CbCr on the way.
ColourTags outputTags(const VideoInfo& info, const VideoPlan& plan) {
    ColourTags t = frameTags(info, plan.frames);
    if (plan.output.convertedColours && plan.output.format.family == Family::yuv) {
        t.range = "tv";
        t.matrix = namesOf(plan.frames.colours.matrix).tag;
    }
    if (plan.output.convertedColours && plan.output.format.family == Family::rgb) {
        t.range.clear();
        t.matrix = "gbr";
        t.chromaLocation.clear();
    }
    return t;
}

std::string frameProperties(const VideoInfo& info, const ColourTags& t) {
    std::string p = "setparams=field_mode=";
    p += info.fieldOrder == FieldOrder::topFirst      ? "tff"
         : info.fieldOrder == FieldOrder::bottomFirst ? "bff"
                                                      : "prog";
    if (!t.range.empty()) p += ":range=" + t.range;
    if (!t.primaries.empty()) p += ":color_primaries=" + t.primaries;
    if (!t.transfer.empty()) p += ":color_trc=" + t.transfer;
    if (!t.matrix.empty()) p += ":colorspace=" + t.matrix;
    return p;
}

// The conversion into the encoder's format, when it differs from the frames'.
std::string conversion(const VideoInfo& info, const VideoPlan& plan) {
    std::string scale = "scale=flags=accurate_rnd+full_chroma_int";
    const bool vertical = plan.output.format.family == Family::yuv &&
                          plan.output.format.subsamplingH != plan.frames.format.subsamplingH;
    if (interlaced(info) && vertical) scale += ":interl=1";
    if (plan.output.convertedColours) {
        const std::string yuvRange = plan.frames.colours.range == planar::Range::full ? "pc" : "tv";
        const char* matrix = namesOf(plan.frames.colours.matrix).tag;
        if (plan.output.format.family == Family::yuv) {
            scale += std::string(":out_color_matrix=") + matrix + ":out_range=tv";
        } else {
            scale += std::string(":in_color_matrix=") + matrix + ":in_range=" + yuvRange;
        }
    } else if (!plan.outputTags.range.empty()) {
        // Without this the scaler would take full-range frames to limited range.
        scale += ":in_range=" + plan.outputTags.range + ":out_range=" + plan.outputTags.range;
    }
    return scale + ",format=" + plan.output.encoderFormat;
}

std::string reductionNote(const VideoPlan& plan, const EncoderChoice& encoder) {
    const std::string from = describeFormat(plan.frames.format);
    const std::string to =
        describeFormat(plan.output.format) + " (" + plan.output.encoderFormat + ")";
    if (encoder.playable && (plan.output.reducedDepth || plan.output.reducedChroma)) {
        return "the output is " + to + " so that every player plays it: reduced from " + from +
               " (--keep-format keeps it, or use .mkv)";
    }
    return (encoder.codec.empty() ? std::string("the encoder") : encoder.codec) + " cannot hold " +
           from + ": the output is " + to;
}

}  // namespace

VideoPlan planVideo(const VideoInfo& info, const PixelLayout& pixels, const EncoderChoice& encoder,
                    const std::vector<std::string>& encoderFormats) {
    VideoPlan plan;
    plan.frames = frameLayout(info, pixels, plan.notes);
    plan.decoderFormat = pixels.pipeFormat;
    plan.pipeFormat = pixels.packedRgb ? "bgr0" : planarFormatName(pixels.format);
    if (!pixels.loss.empty()) plan.notes.push_back("not carried: " + pixels.loss);
    plan.output = chooseOutputFormat(plan.frames.format, encoderFormats, !encoder.codec.empty(),
                                     encoder.playable);
    if (plan.output.reduced()) {
        plan.notes.push_back(reductionNote(plan, encoder));
    } else if (!plan.output.encoderFormat.empty() && plan.output.encoderFormat != plan.pipeFormat &&
               !pixels.packedRgb) {
        plan.notes.push_back(encoder.codec + " cannot hold " + describeFormat(plan.frames.format) +
                             ": the output is " + describeFormat(plan.output.format) + " (" +
                             plan.output.encoderFormat + "), which holds all of it");
    }
    plan.outputTags = outputTags(info, plan);

    add(plan.filters, frameProperties(info, frameTags(info, plan.frames)));
    if (info.sarNum > 0) {
        add(plan.filters, "setsar=r=" + std::to_string(info.sarNum) + "/" +
                              std::to_string(info.sarDen) + ":max=1048576");
    }
    if (!plan.output.encoderFormat.empty() && plan.output.encoderFormat != plan.pipeFormat) {
        add(plan.filters, conversion(info, plan));
        if (plan.output.convertedColours) add(plan.filters, frameProperties(info, plan.outputTags));
    }

    auto& o = plan.encoderOptions;
    if (!plan.output.encoderFormat.empty())
        o.insert(o.end(), {"-pix_fmt", plan.output.encoderFormat});
    const ColourTags& t = plan.outputTags;
    if (!t.range.empty()) o.insert(o.end(), {"-color_range", t.range});
    if (!t.matrix.empty()) o.insert(o.end(), {"-colorspace", t.matrix == "gbr" ? "rgb" : t.matrix});
    if (!t.primaries.empty()) o.insert(o.end(), {"-color_primaries", t.primaries});
    if (!t.transfer.empty()) o.insert(o.end(), {"-color_trc", t.transfer});
    if (!t.chromaLocation.empty()) o.insert(o.end(), {"-chroma_sample_location", t.chromaLocation});
    if (interlaced(info)) {
        const auto fields = interlacedOptions(encoder.codec);
        o.insert(o.end(), fields.begin(), fields.end());
        if (fields.empty() && !keepsFieldsAsTheyCome(encoder.codec)) {
            plan.notes.push_back(
                (encoder.codec.empty() ? std::string("the encoder") : encoder.codec) +
                " has no interlaced coding here: the fields are coded as "
                "progressive frames (the field order is kept as a tag)");
        }
    }
    return plan;
}

std::string describeInput(const VideoInfo& info, const VideoPlan& plan) {
    std::string d =
        std::to_string(info.width) + "x" + std::to_string(info.height) + " " + info.pixelFormat;
    if (!plan.frames.packedRgb || plan.frames.format.family != Family::rgb) {
        d += " (" + describeFormat(plan.frames.format) + ")";
    }
    d += info.fieldOrder == FieldOrder::topFirst      ? ", top field first"
         : info.fieldOrder == FieldOrder::bottomFirst ? ", bottom field first"
                                                      : ", progressive";
    if (info.sarNum > 0)
        d += ", SAR " + std::to_string(info.sarNum) + ":" + std::to_string(info.sarDen);
    if (plan.frames.format.family == Family::yuv) {
        d += plan.frames.colours.range == planar::Range::full ? ", full range" : ", limited range";
        d += std::string(", ") + namesOf(plan.frames.colours.matrix).text +
             (info.tags.matrix.empty() ? " (untagged)" : "");
    }
    return d;
}

std::string missingFromOutput(const VideoPlan& plan, const VideoInfo& input,
                              const VideoInfo& output) {
    std::string missing;
    const auto lacks = [&missing](bool lacking, const char* what) {
        if (!lacking) return;
        if (!missing.empty()) missing += ", ";
        missing += what;
    };
    const ColourTags& want = plan.outputTags;
    const ColourTags& got = output.tags;
    // Decoders name full-range 8-bit Y'CbCr "yuvj...".
    std::string format = output.pixelFormat;
    if (format.rfind("yuvj", 0) == 0) format.erase(3, 1);
    lacks(!plan.output.encoderFormat.empty() && format != plan.output.encoderFormat,
          "pixel format");
    lacks(!want.range.empty() && got.range != want.range, "colour range");
    lacks(!want.matrix.empty() && want.matrix != "gbr" && got.matrix != want.matrix, "matrix");
    lacks(!want.primaries.empty() && got.primaries != want.primaries, "primaries");
    lacks(!want.transfer.empty() && got.transfer != want.transfer, "transfer");
    lacks(input.sarNum > 0 && static_cast<std::int64_t>(output.sarNum) * input.sarDen !=
                                  static_cast<std::int64_t>(input.sarNum) * output.sarDen,
          "sample aspect ratio");
    lacks(output.fieldOrder != input.fieldOrder, "field order");
    return missing;
}

}  // namespace lintra::video
