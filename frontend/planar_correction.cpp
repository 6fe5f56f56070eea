#include "frontend/planar_correction.h"

#include <algorithm>

#include "frontend/planar_checks.h"
#include "frontend/planar_coefficients.h"
#include "frontend/planar_geometry.h"

namespace lintra::planar {
namespace {

constexpr std::int64_t kUnit = std::int64_t{1} << kCorrectionShift;

struct Change {
    std::int32_t r, g, b;
    bool none() const { return (r | g | b) == 0; }
};

Change changeAt(const std::uint8_t* before, const std::uint8_t* after) {
    return {after[2] - before[2], after[1] - before[1], after[0] - before[0]};
}

// Unchanged samples stay as they are, even beyond the depth's range (which the picture should
// not hold, but may).
template <typename Sample>
Sample corrected(Sample in, std::int64_t change, std::int32_t maximum) {
    if (change == 0) return in;
    return static_cast<Sample>(std::clamp<std::int64_t>(in + change, 0, maximum));
}

template <typename Sample>
void rgbPlanes(const PictureView& in, const FrameView& before, const FrameView& after,
               const PictureTarget& out) {
    const std::int64_t scale = rgbFromView(in.format.bitDepth);
    const std::int32_t maximum = (1 << in.format.bitDepth) - 1;
    for (std::int32_t y = 0; y < in.height; ++y) {
        const std::uint8_t* b = pixelRow(before, y);
        const std::uint8_t* a = pixelRow(after, y);
        const Sample* src[3] = {sampleRow<Sample>(in, 0, y), sampleRow<Sample>(in, 1, y),
                                sampleRow<Sample>(in, 2, y)};
        Sample* dst[3] = {sampleRow<Sample>(out, 0, y), sampleRow<Sample>(out, 1, y),
                          sampleRow<Sample>(out, 2, y)};
        for (std::int32_t x = 0; x < in.width; ++x, a += 4, b += 4) {
            const Change d = changeAt(b, a);
            const std::int32_t channel[3] = {d.r, d.g, d.b};
            for (int plane = 0; plane < 3; ++plane) {
                dst[plane][x] =
                    corrected(src[plane][x], roundedDivide(channel[plane] * scale, kUnit), maximum);
            }
        }
    }
}

template <typename Sample>
void lumaPlane(const PictureView& in, const CorrectionCoefficients& k, std::int32_t maximum,
               const FrameView& before, const FrameView& after, const PictureTarget& out) {
    for (std::int32_t y = 0; y < in.height; ++y) {
        const std::uint8_t* b = pixelRow(before, y);
        const std::uint8_t* a = pixelRow(after, y);
        const Sample* src = sampleRow<Sample>(in, 0, y);
        Sample* dst = sampleRow<Sample>(out, 0, y);
        for (std::int32_t x = 0; x < in.width; ++x, a += 4, b += 4) {
            const Change d = changeAt(b, a);
            const std::int64_t change = k.yR * d.r + k.yG * d.g + k.yB * d.b;
            dst[x] = corrected(src[x], roundedDivide(change, kUnit), maximum);
        }
    }
}

// The luma rows one chroma row gathers from, and how it weighs them.
struct RowGather {
    ChromaAxis axis;     // over the frame's chroma rows, or one field's
    std::int32_t index;  // the chroma row on that axis
    std::int32_t field;  // 0 or 1 when by field
    bool byField;
    std::int32_t lumaRows;  // on that axis

    std::int32_t frameRow(std::int32_t row) const { return byField ? 2 * row + field : row; }
};

RowGather rowGather(const PictureView& p, const Colours& colours, std::int32_t c) {
    const std::int32_t rows = chromaCount(p.height, p.format.subsamplingH);
    if (!chromaByField(p, colours)) {
        return {verticalAxis(p.format, colours.chromaLocation, rows), c, 0, false, p.height};
    }
    const std::int32_t field = c & 1;
    return {verticalAxis(p.format, colours.chromaLocation, fieldRows(rows, field)), c >> 1, field,
            true, fieldRows(p.height, field)};
}

// Per chroma column, the sum of the weights luma columns give it: the same for every row.
void columnWeights(const ChromaAxis& across, std::int32_t width, std::int32_t* weights) {
    std::fill(weights, weights + across.count, 0);
    for (std::int32_t x = 0; x < width; ++x) {
        const ChromaTap h = chromaTap(across, x);
        weights[h.first] += across.span() - h.weightSecond;
        weights[h.second] += h.weightSecond;
    }
}

template <typename Sample>
void chromaPlanes(const PictureView& in, const Colours& colours, const Levels& levels,
                  const CorrectionCoefficients& k, const FrameView& before, const FrameView& after,
                  const PictureTarget& out, std::int32_t* scratch) {
    const ChromaAxis across = horizontalAxis(in.format, colours.chromaLocation, in.width);
    const std::int32_t columns = across.count;
    std::int32_t* sumR = scratch;
    std::int32_t* sumG = sumR + columns;
    std::int32_t* sumB = sumG + columns;
    std::int32_t* weights = sumB + columns;
    columnWeights(across, in.width, weights);
    const std::int32_t rows = chromaCount(in.height, in.format.subsamplingH);
    for (std::int32_t c = 0; c < rows; ++c) {
        std::fill(sumR, sumR + 3 * columns, 0);
        const RowGather gather = rowGather(in, colours, c);
        const LumaSpan span = lumaSpan(gather.axis, gather.index, gather.lumaRows);
        std::int64_t rowWeight = 0;
        for (std::int32_t row = span.begin; row < span.end; ++row) {
            const std::int32_t wv = tapWeight(gather.axis, row, gather.index);
            rowWeight += wv;
            if (wv == 0) continue;
            const std::int32_t y = gather.frameRow(row);
            const std::uint8_t* b = pixelRow(before, y);
            const std::uint8_t* a = pixelRow(after, y);
            for (std::int32_t x = 0; x < in.width; ++x) {
                const Change d = changeAt(b + 4 * x, a + 4 * x);
                if (d.none()) continue;
                const ChromaTap h = chromaTap(across, x);
                const std::int32_t w1 = wv * h.weightSecond;
                const std::int32_t w0 = wv * across.span() - w1;
                sumR[h.first] += w0 * d.r;
                sumG[h.first] += w0 * d.g;
                sumB[h.first] += w0 * d.b;
                sumR[h.second] += w1 * d.r;
                sumG[h.second] += w1 * d.g;
                sumB[h.second] += w1 * d.b;
            }
        }
        const Sample* cbIn = sampleRow<Sample>(in, 1, c);
        const Sample* crIn = sampleRow<Sample>(in, 2, c);
        Sample* cbOut = sampleRow<Sample>(out, 1, c);
        Sample* crOut = sampleRow<Sample>(out, 2, c);
        for (std::int32_t j = 0; j < columns; ++j) {
            const std::int64_t cb = k.cbR * sumR[j] + k.cbG * sumG[j] + k.cbB * sumB[j];
            const std::int64_t cr = k.crR * sumR[j] + k.crG * sumG[j] + k.crB * sumB[j];
            const std::int64_t weight = rowWeight * weights[j] * kUnit;
            cbOut[j] =
                corrected(cbIn[j], weight > 0 ? roundedDivide(cb, weight) : 0, levels.maximum);
            crOut[j] =
                corrected(crIn[j], weight > 0 ? roundedDivide(cr, weight) : 0, levels.maximum);
        }
    }
}

template <typename Sample>
void correct(const PictureView& in, const Colours& colours, const FrameView& before,
             const FrameView& after, const PictureTarget& out, std::int32_t* scratch) {
    if (in.format.family == Family::rgb) {
        rgbPlanes<Sample>(in, before, after, out);
        return;
    }
    const Levels levels = levelsOf(in.format, colours.range);
    const CorrectionCoefficients k = correctionCoefficients(colours.matrix, levels);
    if (in.format.family == Family::yuv) {
        chromaPlanes<Sample>(in, colours, levels, k, before, after, out, scratch);
    }
    lumaPlane<Sample>(in, k, levels.maximum, before, after, out);
}

}  // namespace

int applyCorrection(const PictureView& input, const Colours& colours, const FrameView& before,
                    const FrameView& after, const PictureTarget& output, Scratch scratch) {
    if (const int rc = checkPicture(input); rc != kPlanarOk) return rc;
    if (!frameFits(before, input) || !frameFits(after, input) || !targetFits(output, input)) {
        return kPlanarBadGeometry;
    }
    if (scratch.values == nullptr || scratch.count < planarScratchCount(input.width)) {
        return kPlanarNoScratch;
    }
    if (input.format.bitDepth > 8) {
        correct<std::uint16_t>(input, colours, before, after, output, scratch.values);
    } else {
        correct<std::uint8_t>(input, colours, before, after, output, scratch.values);
    }
    return kPlanarOk;
}

}  // namespace lintra::planar
