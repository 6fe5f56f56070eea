#include "tests/frontend/planar_reference.h"

#include <algorithm>
#include <cmath>

#include "frontend/planar_coefficients.h"

namespace lintra::planar::reference {
namespace {

struct Scale {
    double lumaOffset, lumaScale, chromaOffset, chromaScale;
};

Scale scaleOf(const Format& f, Range r) {
    const double maximum = std::pow(2.0, f.bitDepth) - 1;
    const double neutral = std::pow(2.0, f.bitDepth - 1);
    const double step = std::pow(2.0, f.bitDepth - 8);
    if (r == Range::full) return {0, maximum, neutral, maximum};
    return {16 * step, 219 * step, neutral, 224 * step};
}

// Position of chroma sample 0 in luma samples along an axis subsampled by `factor`.
double horizontalSiting(ChromaLocation l, double factor) {
    const bool left = l == ChromaLocation::left || l == ChromaLocation::topLeft ||
                      l == ChromaLocation::bottomLeft;
    return left ? 0.0 : (factor - 1) / 2;
}

double verticalSiting(ChromaLocation l, double factor) {
    if (l == ChromaLocation::topLeft || l == ChromaLocation::top) return 0.0;
    if (l == ChromaLocation::bottomLeft || l == ChromaLocation::bottom) return factor - 1;
    return (factor - 1) / 2;
}

// How much chroma sample i (of n along the axis) contributes to luma position `luma`: linear
// between neighbours, the end samples held beyond the ends.
double hat(double luma, double siting, double factor, std::int32_t n, std::int32_t i) {
    const double u = std::clamp((luma - siting) / factor, 0.0, double(n - 1));
    return std::max(0.0, 1.0 - std::fabs(u - i));
}

// The chroma rows a luma row draws on, and their weights: the frame's chroma rows, or (by
// field) only those of its own field.
struct RowWeights {
    std::vector<std::int32_t> rows;
    std::vector<double> weights;
};

bool byField(const Planes& p, const Colours& c) {
    return c.fieldBased && p.format.family == Family::yuv && p.format.subsamplingH > 0 &&
           p.chromaHeight() >= 2;
}

RowWeights rowWeights(const Planes& p, const Colours& c, std::int32_t y) {
    RowWeights w;
    const double factor = 1 << p.format.subsamplingH;
    const double siting = verticalSiting(c.chromaLocation, factor);
    if (!byField(p, c)) {
        for (std::int32_t r = 0; r < p.chromaHeight(); ++r) {
            w.rows.push_back(r);
            w.weights.push_back(hat(y, siting, factor, p.chromaHeight(), r));
        }
        return w;
    }
    const std::int32_t field = y % 2;
    const std::int32_t fieldChromaRows = (p.chromaHeight() - field + 1) / 2;
    for (std::int32_t k = 0; k < fieldChromaRows; ++k) {
        w.rows.push_back(2 * k + field);
        w.weights.push_back(hat(y / 2, siting, factor, fieldChromaRows, k));
    }
    return w;
}

std::vector<double> columnWeights(const Planes& p, const Colours& c, std::int32_t x) {
    const double factor = 1 << p.format.subsamplingW;
    const double siting = horizontalSiting(c.chromaLocation, factor);
    std::vector<double> w;
    for (std::int32_t j = 0; j < p.chromaWidth(); ++j) {
        w.push_back(hat(x, siting, factor, p.chromaWidth(), j));
    }
    return w;
}

}  // namespace

std::int32_t Planes::chromaWidth() const {
    return (width + (1 << format.subsamplingW) - 1) >> format.subsamplingW;
}

std::int32_t Planes::chromaHeight() const {
    return (height + (1 << format.subsamplingH) - 1) >> format.subsamplingH;
}

ExactRgb exactView(const Planes& p, const Colours& c) {
    ExactRgb out;
    const std::size_t pixels = std::size_t(p.width) * std::size_t(p.height);
    for (auto& ch : out.channel) ch.assign(pixels, 0.0);
    if (p.format.family == Family::rgb) {
        const double maximum = std::pow(2.0, p.format.bitDepth) - 1;
        for (int ch = 0; ch < 3; ++ch) {
            for (std::size_t i = 0; i < pixels; ++i)
                out.channel[ch][i] = p.plane[ch][i] * 255.0 / maximum;
        }
        return out;
    }
    const LumaWeights k = lumaWeights(c.matrix);
    const double kg = 1 - k.kr - k.kb;
    const Scale s = scaleOf(p.format, c.range);
    for (std::int32_t y = 0; y < p.height; ++y) {
        const RowWeights rw = p.format.family == Family::yuv ? rowWeights(p, c, y) : RowWeights{};
        for (std::int32_t x = 0; x < p.width; ++x) {
            const double luma = (p.at(0, x, y) - s.lumaOffset) / s.lumaScale;
            double cb = 0, cr = 0;
            if (p.format.family == Family::yuv) {
                const std::vector<double> cw = columnWeights(p, c, x);
                for (std::size_t r = 0; r < rw.rows.size(); ++r) {
                    for (std::int32_t j = 0; j < p.chromaWidth(); ++j) {
                        const double w = rw.weights[r] * cw[std::size_t(j)];
                        cb += w * (p.at(1, j, rw.rows[r]) - s.chromaOffset) / s.chromaScale;
                        cr += w * (p.at(2, j, rw.rows[r]) - s.chromaOffset) / s.chromaScale;
                    }
                }
            }
            const std::size_t i = std::size_t(y) * std::size_t(p.width) + std::size_t(x);
            out.channel[0][i] = 255.0 * (luma + 2 * (1 - k.kr) * cr);
            out.channel[1][i] =
                255.0 * (luma - 2 * k.kb * (1 - k.kb) / kg * cb - 2 * k.kr * (1 - k.kr) / kg * cr);
            out.channel[2][i] = 255.0 * (luma + 2 * (1 - k.kb) * cb);
        }
    }
    return out;
}

ExactChange exactCorrection(const Planes& p, const Colours& c,
                            const std::vector<std::uint8_t>& before,
                            const std::vector<std::uint8_t>& after) {
    const std::size_t pixels = std::size_t(p.width) * std::size_t(p.height);
    std::vector<double> dr(pixels), dg(pixels), db(pixels);
    for (std::size_t i = 0; i < pixels; ++i) {
        dr[i] = after[4 * i + 2] - before[4 * i + 2];
        dg[i] = after[4 * i + 1] - before[4 * i + 1];
        db[i] = after[4 * i] - before[4 * i];
    }
    ExactChange out;
    if (p.format.family == Family::rgb) {
        const double scale = (std::pow(2.0, p.format.bitDepth) - 1) / 255.0;
        out.plane[0].resize(pixels);
        out.plane[1].resize(pixels);
        out.plane[2].resize(pixels);
        for (std::size_t i = 0; i < pixels; ++i) {
            out.plane[0][i] = dr[i] * scale;
            out.plane[1][i] = dg[i] * scale;
            out.plane[2][i] = db[i] * scale;
        }
        return out;
    }
    const LumaWeights k = lumaWeights(c.matrix);
    const double kg = 1 - k.kr - k.kb;
    const Scale s = scaleOf(p.format, c.range);
    std::vector<double> luma(pixels);
    for (std::size_t i = 0; i < pixels; ++i) {
        luma[i] = (k.kr * dr[i] + kg * dg[i] + k.kb * db[i]) / 255.0;
    }
    out.plane[0].resize(pixels);
    for (std::size_t i = 0; i < pixels; ++i) out.plane[0][i] = luma[i] * s.lumaScale;
    if (p.format.family != Family::yuv) return out;
    // Each chroma sample takes the weighted mean of the changes of the pixels it reaches.
    const std::size_t samples = std::size_t(p.chromaWidth()) * std::size_t(p.chromaHeight());
    std::vector<double> sumCb(samples), sumCr(samples), weight(samples);
    for (std::int32_t y = 0; y < p.height; ++y) {
        const RowWeights rw = rowWeights(p, c, y);
        for (std::int32_t x = 0; x < p.width; ++x) {
            const std::size_t i = std::size_t(y) * std::size_t(p.width) + std::size_t(x);
            const double cb = (db[i] / 255.0 - luma[i]) / (2 * (1 - k.kb));
            const double cr = (dr[i] / 255.0 - luma[i]) / (2 * (1 - k.kr));
            const std::vector<double> cw = columnWeights(p, c, x);
            for (std::size_t r = 0; r < rw.rows.size(); ++r) {
                for (std::int32_t j = 0; j < p.chromaWidth(); ++j) {
                    const double w = rw.weights[r] * cw[std::size_t(j)];
                    if (w == 0) continue;
                    const std::size_t at =
                        std::size_t(rw.rows[r]) * std::size_t(p.chromaWidth()) + std::size_t(j);
                    sumCb[at] += w * cb;
                    sumCr[at] += w * cr;
                    weight[at] += w;
                }
            }
        }
    }
    out.plane[1].resize(samples);
    out.plane[2].resize(samples);
    for (std::size_t i = 0; i < samples; ++i) {
        out.plane[1][i] = weight[i] > 0 ? sumCb[i] / weight[i] * s.chromaScale : 0;
        out.plane[2][i] = weight[i] > 0 ? sumCr[i] / weight[i] * s.chromaScale : 0;
    }
    return out;
}

}  // namespace lintra::planar::reference
