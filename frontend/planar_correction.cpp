#include "frontend/planar_correction.h"

#include <algorithm>
#include <cstring>

#include "frontend/planar_checks.h"
#include "frontend/planar_coefficients.h"
#include "frontend/planar_geometry.h"

// Compiled once as it is and, on x86, once more for AVX2 (x86/planar_*_avx2.cpp), each into
// a namespace of its own; planar_dispatch.cpp chooses between them.
#ifndef LINTRA_PLANAR_LEVEL
#define LINTRA_PLANAR_LEVEL portable
#endif

namespace lintra::planar::LINTRA_PLANAR_LEVEL {
namespace {

struct Change {
    std::int32_t r, g, b;
    bool none() const { return (r | g | b) == 0; }
};

Change changeAt(const std::uint8_t* before, const std::uint8_t* after) {
    return {after[2] - before[2], after[1] - before[1], after[0] - before[0]};
}

// Unchanged samples stay as they are, even beyond the depth's range (which the picture should
// not hold, but may).
template <typename Sample, typename Int>
Sample corrected(Sample in, Int change, std::int32_t maximum) {
    if (change == 0) return in;
    return static_cast<Sample>(std::clamp<Int>(in + change, 0, maximum));
}

// A row the filter left alone: R, G and B equal (byte 3 does not count).
bool rowUnchanged(const std::uint8_t* before, const std::uint8_t* after, std::int32_t width) {
    if (std::memcmp(before, after, std::size_t(width) * 4) == 0) return true;
    for (std::int32_t x = 0; x < width; ++x) {
        if (!changeAt(before + 4 * x, after + 4 * x).none()) return false;
    }
    return true;
}

template <typename Sample>
void copyRow(const Sample* in, Sample* out, std::int32_t count) {
    if (in != out) std::memmove(out, in, std::size_t(count) * sizeof(Sample));
}

template <typename Sample>
void rgbPlanes(const PictureView& in, const FrameView& before, const FrameView& after,
               const PictureTarget& out) {
    const std::int32_t scale = rgbFromView(in.format.bitDepth);
    const int shift = 30 - in.format.bitDepth;
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
                    corrected(src[plane][x], roundedShift(channel[plane] * scale, shift), maximum);
            }
        }
    }
}

// Written plainly enough for the compiler to take several pixels at once.
template <typename Sample>
void lumaRow(const std::uint8_t* b, const std::uint8_t* a, const Sample* src, Sample* dst,
             std::int32_t width, const CorrectionCoefficients& k, std::int32_t maximum) {
    const std::int32_t yR = k.yR, yG = k.yG, yB = k.yB;
    const int shift = k.lumaShift;
    for (std::int32_t x = 0; x < width; ++x) {
        const std::int32_t change = yB * (a[4 * x] - b[4 * x]) +
                                    yG * (a[4 * x + 1] - b[4 * x + 1]) +
                                    yR * (a[4 * x + 2] - b[4 * x + 2]);
        const std::int32_t rounded = roundedShift(change, shift);
        const std::int32_t in = src[x];
        const std::int32_t out = std::min(std::max(in + rounded, 0), maximum);
        dst[x] = static_cast<Sample>(rounded == 0 ? in : out);
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
        if (std::memcmp(b, a, std::size_t(in.width) * 4) == 0) {
            copyRow(src, dst, in.width);
        } else {
            lumaRow(b, a, src, dst, in.width, k, maximum);
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
void columnWeights(const TapTable& taps, std::int32_t span, std::int32_t width,
                   std::int32_t columns, std::int32_t* weights) {
    std::fill(weights, weights + columns, 0);
    for (std::int32_t x = 0; x < width; ++x) {
        weights[taps.first[x]] += span - taps.weightSecond[x];
        weights[taps.second[x]] += taps.weightSecond[x];
    }
}

// Adds one row's changes times wv down each column: acc holds a row of R, then of G, then of B.
void addRow(const std::uint8_t* b, const std::uint8_t* a, std::int32_t wv, std::int32_t width,
            std::int32_t* acc) {
    std::int32_t* accR = acc;
    std::int32_t* accG = acc + width;
    std::int32_t* accB = accG + width;
    for (std::int32_t x = 0; x < width; ++x) {
        accB[x] += wv * (a[4 * x] - b[4 * x]);
        accG[x] += wv * (a[4 * x + 1] - b[4 * x + 1]);
        accR[x] += wv * (a[4 * x + 2] - b[4 * x + 2]);
    }
}

// The column sums carried onto the chroma columns as the interpolation weighs them: each chroma
// column takes from the pixels whose taps reach it. Inside the row the taps repeat every
// `Factor` pixels, so that part gathers phase by phase; the ends go by the table.
template <std::size_t Factor>
void columnsToChroma(const std::int32_t* acc, const TapTable& taps, std::int32_t width,
                     std::int32_t columns, std::int32_t span, std::int32_t* sums) {
    std::fill(sums, sums + 3 * std::size_t(columns), 0);
    const std::int32_t factor = Factor;
    // Columns low..high-1 take only pixels with unclamped taps, all inside the row.
    const std::int32_t low = 2, high = std::min(columns - 2, width / factor - 1);
    const auto outsideTaps = [&](std::int32_t x) {
        const std::int32_t second = taps.weightSecond[x];
        const std::int32_t reach[2] = {taps.first[x], taps.second[x]};
        const std::int32_t weight[2] = {span - second, second};
        for (int t = 0; t < 2; ++t) {
            if (reach[t] >= low && reach[t] < high) continue;
            for (int c = 0; c < 3; ++c) {
                sums[std::size_t(c) * std::size_t(columns) + std::size_t(reach[t])] +=
                    weight[t] * acc[std::size_t(c) * std::size_t(width) + std::size_t(x)];
            }
        }
    };
    if (high <= low) {
        for (std::int32_t x = 0; x < width; ++x) outsideTaps(x);
        return;
    }
    std::int32_t offset[Factor], w0[Factor], w1[Factor];
    for (std::size_t phase = 0; phase < Factor; ++phase) {
        const std::int32_t x = low * factor + std::int32_t(phase);
        offset[phase] = taps.first[x] - low;
        w1[phase] = taps.weightSecond[x];
        w0[phase] = span - w1[phase];
    }
    for (int c = 0; c < 3; ++c) {
        const std::int32_t* channel = acc + std::size_t(c) * std::size_t(width);
        std::int32_t* out = sums + std::size_t(c) * std::size_t(columns);
        for (std::int32_t j = low; j < high; ++j) {
            std::int32_t sum = 0;
            for (std::size_t phase = 0; phase < Factor; ++phase) {
                // As first tap: pixel (j - offset) * Factor + phase; as second: one column left.
                const std::int32_t asFirst = (j - offset[phase]) * factor + std::int32_t(phase);
                sum += w0[phase] * channel[asFirst] + w1[phase] * channel[asFirst - factor];
            }
            out[j] = sum;
        }
    }
    // The columns outside low..high-1 take from the pixels at the ends of the row (taps grow
    // with x, so those are a few at each end), each tap that reaches outside on its own.
    std::int32_t x = 0;
    for (; x < width && taps.first[x] < low; ++x) outsideTaps(x);
    for (std::int32_t end = width - 1; end >= x && taps.second[end] >= high; --end) {
        outsideTaps(end);
    }
}

// Sums of the changes one chroma row reaches, weighted as its interpolation weighs them:
// first down each column, then along the row onto the chroma columns. False when none of its
// luma rows changed.
bool gatherRow(const RowGather& gather, const TapTable& taps, const Format& format,
               std::int32_t width, std::int32_t columns, std::int32_t span, const FrameView& before,
               const FrameView& after, std::int32_t* acc, std::int32_t* sums,
               std::int64_t& rowWeight) {
    const LumaSpan rows = lumaSpan(gather.axis, gather.index, gather.lumaRows);
    bool changed = false;
    rowWeight = 0;
    for (std::int32_t row = rows.begin; row < rows.end; ++row) {
        const std::int32_t wv = tapWeight(gather.axis, row, gather.index);
        rowWeight += wv;
        const std::int32_t y = gather.frameRow(row);
        const std::uint8_t* b = pixelRow(before, y);
        const std::uint8_t* a = pixelRow(after, y);
        if (wv == 0 || rowUnchanged(b, a, width)) continue;
        if (!changed) std::fill(acc, acc + 3 * std::size_t(width), 0);
        changed = true;
        addRow(b, a, wv, width, acc);
    }
    if (!changed) return false;
    switch (format.subsamplingW) {
        case 0:
            columnsToChroma<1>(acc, taps, width, columns, span, sums);
            break;
        case 1:
            columnsToChroma<2>(acc, taps, width, columns, span, sums);
            break;
        default:
            columnsToChroma<4>(acc, taps, width, columns, span, sums);
            break;
    }
    return true;
}

// log2 of a weight that is a power of two, else -1.
int powerOfTwo(std::int64_t weight) {
    if (weight <= 0 || (weight & (weight - 1)) != 0) return -1;
    return __builtin_ctzll(static_cast<unsigned long long>(weight));
}

// value / (rowWeight * columnWeight * 2^kCorrectionShift), rounded; given the weights' log2
// where they are powers of two (as they are inside the picture), by shifting.
std::int64_t perWeight(std::int64_t value, std::int64_t rowWeight, int rowLog2,
                       std::int64_t columnWeight, int columnLog2) {
    if (rowLog2 >= 0 && columnLog2 >= 0) {
        return roundedShift(value, kCorrectionShift + rowLog2 + columnLog2);
    }
    const std::int64_t weight = rowWeight * columnWeight;
    return weight > 0 ? roundedDivide(value, weight << kCorrectionShift) : 0;
}

template <typename Sample>
void chromaPlanes(const PictureView& in, const Colours& colours, const Levels& levels,
                  const CorrectionCoefficients& k, const FrameView& before, const FrameView& after,
                  const PictureTarget& out, std::int32_t* scratch) {
    const ChromaAxis across = horizontalAxis(in.format, colours.chromaLocation, in.width);
    const std::int32_t columns = across.count;
    const TapTable taps = tapTable(across, in.width, scratch);
    std::int32_t* acc = scratch + 3 * std::size_t(in.width);
    std::int32_t* sums = acc + 3 * std::size_t(in.width);
    std::int32_t* weights = sums + 3 * std::size_t(columns);
    std::int32_t* weightLog2 = weights + columns;
    columnWeights(taps, across.span(), in.width, columns, weights);
    for (std::int32_t j = 0; j < columns; ++j) weightLog2[j] = powerOfTwo(weights[j]);
    const std::int32_t rows = chromaCount(in.height, in.format.subsamplingH);
    for (std::int32_t c = 0; c < rows; ++c) {
        std::int64_t rowWeight = 0;
        const bool changed = gatherRow(rowGather(in, colours, c), taps, in.format, in.width,
                                       columns, across.span(), before, after, acc, sums, rowWeight);
        const Sample* cbIn = sampleRow<Sample>(in, 1, c);
        const Sample* crIn = sampleRow<Sample>(in, 2, c);
        Sample* cbOut = sampleRow<Sample>(out, 1, c);
        Sample* crOut = sampleRow<Sample>(out, 2, c);
        if (!changed) {
            copyRow(cbIn, cbOut, columns);
            copyRow(crIn, crOut, columns);
            continue;
        }
        const int rowLog2 = powerOfTwo(rowWeight);
        const std::int32_t* sumR = sums;
        const std::int32_t* sumG = sums + columns;
        const std::int32_t* sumB = sumG + columns;
        // Green's weights are minus the others': two products per sample instead of three.
        for (std::int32_t j = 0; j < columns; ++j) {
            const std::int64_t rg = sumR[j] - sumG[j], bg = sumB[j] - sumG[j];
            cbOut[j] = corrected(
                cbIn[j],
                perWeight(k.cbR * rg + k.cbB * bg, rowWeight, rowLog2, weights[j], weightLog2[j]),
                levels.maximum);
            crOut[j] = corrected(
                crIn[j],
                perWeight(k.crR * rg + k.crB * bg, rowWeight, rowLog2, weights[j], weightLog2[j]),
                levels.maximum);
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
    const CorrectionCoefficients k =
        correctionCoefficients(colours.matrix, levels, in.format.bitDepth);
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

}  // namespace lintra::planar::LINTRA_PLANAR_LEVEL
