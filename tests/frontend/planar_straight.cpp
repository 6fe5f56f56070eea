// The planar conversions in their plain form: one pixel at a time, every tap and weight worked
// out where it is used. The library's versions (tables of taps, chroma interpolated a row at a
// time, changes gathered down the columns first) must give exactly the same bytes.

#include "tests/frontend/planar_straight.h"

#include <algorithm>
#include <vector>

#include "frontend/planar_checks.h"
#include "frontend/planar_coefficients.h"
#include "frontend/planar_geometry.h"

namespace lintra::planar::straight {
namespace {

constexpr std::int32_t kViewHalf = 1 << (kViewShift - 1);

std::int32_t sampleAt(const PictureView& p, int plane, std::int32_t x, std::int32_t y) {
    const std::uint8_t* row = p.planes[plane] + y * p.strides[plane];
    if (p.format.bitDepth == 8) return row[x];
    return reinterpret_cast<const std::uint16_t*>(row)[x];
}

// What the view takes: samples beyond the depth's range as its largest.
std::int32_t viewSample(const PictureView& p, int plane, std::int32_t x, std::int32_t y) {
    return std::min(sampleAt(p, plane, x, y), (1 << p.format.bitDepth) - 1);
}

void setSample(const PictureTarget& t, int plane, std::int32_t x, std::int32_t y, std::int32_t v) {
    std::uint8_t* row = t.planes[plane] + y * t.strides[plane];
    if (t.format.bitDepth == 8) {
        row[x] = static_cast<std::uint8_t>(v);
    } else {
        reinterpret_cast<std::uint16_t*>(row)[x] = static_cast<std::uint16_t>(v);
    }
}

std::uint8_t byteOf(std::int32_t fixedValue) {
    return static_cast<std::uint8_t>(std::clamp(fixedValue >> kViewShift, 0, 255));
}

std::uint8_t* pixelAt(const FrameView& f, std::int32_t x, std::int32_t y) {
    return f.pixels + y * rowStride(f) + 4 * x;
}

// The chroma rows (frame rows) luma row y takes, with their weights out of spanV.
void verticalTaps(const PictureView& p, const Colours& c, std::int32_t y, std::int32_t rows[2],
                  std::int32_t weights[2]) {
    const std::int32_t chromaRows = chromaCount(p.height, p.format.subsamplingH);
    const std::int32_t spanV = 2 << p.format.subsamplingH;
    if (chromaByField(p, c)) {
        const std::int32_t field = y % 2;
        const ChromaTap t = chromaTap(
            verticalAxis(p.format, c.chromaLocation, fieldRows(chromaRows, field)), y / 2);
        rows[0] = 2 * t.first + field;
        rows[1] = 2 * t.second + field;
        weights[0] = spanV - t.weightSecond;
        weights[1] = t.weightSecond;
        return;
    }
    const ChromaTap t = chromaTap(verticalAxis(p.format, c.chromaLocation, chromaRows), y);
    rows[0] = t.first;
    rows[1] = t.second;
    weights[0] = spanV - t.weightSecond;
    weights[1] = t.weightSecond;
}

void horizontalTaps(const PictureView& p, const Colours& c, std::int32_t x, std::int32_t columns[2],
                    std::int32_t weights[2]) {
    const ChromaAxis across = horizontalAxis(p.format, c.chromaLocation, p.width);
    const ChromaTap t = chromaTap(across, x);
    columns[0] = t.first;
    columns[1] = t.second;
    weights[0] = across.span() - t.weightSecond;
    weights[1] = t.weightSecond;
}

// Cb or Cr at pixel (x, y), less the neutral level, normalised.
std::int32_t chromaAt(const PictureView& p, const Colours& c, const Levels& levels, int plane,
                      std::int32_t x, std::int32_t y) {
    std::int32_t rows[2], wv[2], columns[2], wh[2];
    verticalTaps(p, c, y, rows, wv);
    horizontalTaps(p, c, x, columns, wh);
    std::int32_t sum = 0, total = 0;
    for (int i = 0; i < 2; ++i) {
        for (int j = 0; j < 2; ++j) {
            sum += wv[i] * wh[j] * viewSample(p, plane, columns[j], rows[i]);
            total += wv[i] * wh[j];
        }
    }
    const int weightLog2 = p.format.subsamplingH + p.format.subsamplingW + 2;
    return scaled(sum - levels.chromaOffset * total, normalShift(p.format.bitDepth, weightLog2));
}

void viewPixel(const PictureView& p, const Colours& c, const Levels& levels,
               const ViewCoefficients& k, std::int32_t x, std::int32_t y, std::uint8_t* out) {
    const int shift = normalShift(p.format.bitDepth);
    std::int32_t r, g, b;
    if (p.format.family == Family::rgb) {
        const std::int32_t scale = rgbToView(p.format.bitDepth);
        r = scaled(viewSample(p, 0, x, y), shift) * scale + kViewHalf;
        g = scaled(viewSample(p, 1, x, y), shift) * scale + kViewHalf;
        b = scaled(viewSample(p, 2, x, y), shift) * scale + kViewHalf;
    } else {
        const std::int32_t luma = k.y * scaled(viewSample(p, 0, x, y) - levels.lumaOffset, shift);
        std::int32_t cb = 0, cr = 0;
        if (p.format.family == Family::yuv) {
            cb = chromaAt(p, c, levels, 1, x, y);
            cr = chromaAt(p, c, levels, 2, x, y);
        }
        r = luma + k.crR * cr + kViewHalf;
        g = luma + k.cbG * cb + k.crG * cr + kViewHalf;
        b = luma + k.cbB * cb + kViewHalf;
    }
    out[0] = byteOf(b);
    out[1] = byteOf(g);
    out[2] = byteOf(r);
    out[3] = 0;
}

std::int32_t correctedSample(std::int32_t in, std::int64_t change, std::int32_t maximum) {
    return change == 0
               ? in
               : static_cast<std::int32_t>(std::clamp<std::int64_t>(in + change, 0, maximum));
}

}  // namespace

int rgbView(const PictureView& picture, const Colours& colours, const FrameView& rgb) {
    if (const int rc = checkPicture(picture); rc != kPlanarOk) return rc;
    if (!frameFits(rgb, picture)) return kPlanarBadGeometry;
    const Levels levels = levelsOf(picture.format, colours.range);
    const ViewCoefficients k = viewCoefficients(colours.matrix, levels, picture.format.bitDepth);
    for (std::int32_t y = 0; y < picture.height; ++y) {
        for (std::int32_t x = 0; x < picture.width; ++x) {
            viewPixel(picture, colours, levels, k, x, y, pixelAt(rgb, x, y));
        }
    }
    return kPlanarOk;
}

int correction(const PictureView& in, const Colours& colours, const FrameView& before,
               const FrameView& after, const PictureTarget& out) {
    if (const int rc = checkPicture(in); rc != kPlanarOk) return rc;
    if (!frameFits(before, in) || !frameFits(after, in) || !targetFits(out, in)) {
        return kPlanarBadGeometry;
    }
    const Format& f = in.format;
    const Levels levels = levelsOf(f, colours.range);
    const CorrectionCoefficients k = correctionCoefficients(colours.matrix, levels, f.bitDepth);
    const auto change = [&](std::int32_t x, std::int32_t y, int channel) {
        return pixelAt(after, x, y)[2 - channel] - pixelAt(before, x, y)[2 - channel];
    };
    for (std::int32_t y = 0; y < in.height; ++y) {
        for (std::int32_t x = 0; x < in.width; ++x) {
            const std::int32_t dr = change(x, y, 0), dg = change(x, y, 1), db = change(x, y, 2);
            if (f.family == Family::rgb) {
                const std::int32_t d[3] = {dr, dg, db};
                for (int p = 0; p < 3; ++p) {
                    const std::int32_t c =
                        roundedShift(d[p] * rgbFromView(f.bitDepth), 30 - f.bitDepth);
                    setSample(out, p, x, y,
                              correctedSample(sampleAt(in, p, x, y), c, levels.maximum));
                }
                continue;
            }
            const std::int32_t c = roundedShift(k.yR * dr + k.yG * dg + k.yB * db, k.lumaShift);
            setSample(out, 0, x, y, correctedSample(sampleAt(in, 0, x, y), c, levels.maximum));
        }
    }
    if (f.family != Family::yuv) return kPlanarOk;
    // Each chroma sample: the changes of every pixel whose interpolation reaches it, weighed as
    // that interpolation weighs it, over the sum of those weights.
    const std::int32_t rows = chromaCount(in.height, f.subsamplingH);
    const std::int32_t columns = chromaCount(in.width, f.subsamplingW);
    std::vector<std::int64_t> sum(std::size_t(rows) * std::size_t(columns) * 3),
        weight(std::size_t(rows) * std::size_t(columns));
    for (std::int32_t y = 0; y < in.height; ++y) {
        std::int32_t r[2], wv[2];
        verticalTaps(in, colours, y, r, wv);
        for (std::int32_t x = 0; x < in.width; ++x) {
            std::int32_t cIndex[2], wh[2];
            horizontalTaps(in, colours, x, cIndex, wh);
            for (int i = 0; i < 2; ++i) {
                for (int j = 0; j < 2; ++j) {
                    const std::size_t at =
                        std::size_t(r[i]) * std::size_t(columns) + std::size_t(cIndex[j]);
                    const std::int64_t w = wv[i] * wh[j];
                    weight[at] += w;
                    for (int ch = 0; ch < 3; ++ch)
                        sum[3 * at + std::size_t(ch)] += w * change(x, y, ch);
                }
            }
        }
    }
    for (std::int32_t cy = 0; cy < rows; ++cy) {
        for (std::int32_t cx = 0; cx < columns; ++cx) {
            const std::size_t at = std::size_t(cy) * std::size_t(columns) + std::size_t(cx);
            const std::int64_t dr = sum[3 * at], dg = sum[3 * at + 1], db = sum[3 * at + 2];
            const std::int64_t w = weight[at] << kCorrectionShift;
            const std::int64_t cb =
                w > 0 ? roundedDivide(k.cbR * dr + k.cbG * dg + k.cbB * db, w) : 0;
            const std::int64_t cr =
                w > 0 ? roundedDivide(k.crR * dr + k.crG * dg + k.crB * db, w) : 0;
            setSample(out, 1, cx, cy, correctedSample(sampleAt(in, 1, cx, cy), cb, levels.maximum));
            setSample(out, 2, cx, cy, correctedSample(sampleAt(in, 2, cx, cy), cr, levels.maximum));
        }
    }
    return kPlanarOk;
}

}  // namespace lintra::planar::straight
