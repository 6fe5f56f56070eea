#include "frontend/planar_rgb_view.h"

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

constexpr std::int32_t kViewHalf = 1 << (kViewShift - 1);

std::uint32_t toByte(std::int32_t fixedValue) {
    return static_cast<std::uint32_t>(std::min(std::max(fixedValue >> kViewShift, 0), 255));
}

// Bytes B, G, R, 0 in memory. The loops below are written plainly enough for the compiler to
// take several pixels at once.
std::uint32_t pixelOf(std::uint32_t r, std::uint32_t g, std::uint32_t b) {
    return b | (g << 8) | (r << 16);
}

void putPixel(std::uint8_t* out, std::uint32_t r, std::uint32_t g, std::uint32_t b) {
    const std::uint32_t pixel = pixelOf(r, g, b);
    std::memcpy(out, &pixel, 4);  // little-endian
}

// scaled() with the shift taken apart once: v * 2^left >> right.
struct Scaling {
    std::int32_t factor;
    int right;
    explicit Scaling(int shift) : factor(1 << std::max(shift, 0)), right(std::max(-shift, 0)) {}
    std::int32_t operator()(std::int32_t v) const { return (v * factor) >> right; }
};

template <typename Sample>
void rgbPicture(const PictureView& p, const FrameView& rgb) {
    const std::int32_t scale = rgbToView(p.format.bitDepth);
    const Scaling normal(normalShift(p.format.bitDepth));
    const std::int32_t top = (1 << p.format.bitDepth) - 1;
    for (std::int32_t y = 0; y < p.height; ++y) {
        const Sample* r = sampleRow<Sample>(p, 0, y);
        const Sample* g = sampleRow<Sample>(p, 1, y);
        const Sample* b = sampleRow<Sample>(p, 2, y);
        std::uint8_t* out = pixelRow(rgb, y);
        for (std::int32_t x = 0; x < p.width; ++x) {
            putPixel(out + 4 * x,
                     toByte(normal(std::min<std::int32_t>(r[x], top)) * scale + kViewHalf),
                     toByte(normal(std::min<std::int32_t>(g[x], top)) * scale + kViewHalf),
                     toByte(normal(std::min<std::int32_t>(b[x], top)) * scale + kViewHalf));
        }
    }
}

template <typename Sample>
void greyPicture(const PictureView& p, const Levels& levels, const ViewCoefficients& k,
                 const FrameView& rgb) {
    const Scaling normal(normalShift(p.format.bitDepth));
    for (std::int32_t y = 0; y < p.height; ++y) {
        const Sample* luma = sampleRow<Sample>(p, 0, y);
        std::uint8_t* out = pixelRow(rgb, y);
        for (std::int32_t x = 0; x < p.width; ++x) {
            const std::int32_t sample = std::min<std::int32_t>(luma[x], levels.maximum);
            const std::uint32_t v = toByte(k.y * normal(sample - levels.lumaOffset) + kViewHalf);
            putPixel(out + 4 * x, v, v, v);
        }
    }
}

// The two chroma rows a luma row takes its chroma from, and the weight of the second.
struct RowTap {
    std::int32_t first;
    std::int32_t second;
    std::int32_t weightSecond;
};

RowTap rowTap(const PictureView& p, const Colours& colours, std::int32_t y) {
    const std::int32_t rows = chromaCount(p.height, p.format.subsamplingH);
    if (!chromaByField(p, colours)) {
        const ChromaTap t = chromaTap(verticalAxis(p.format, colours.chromaLocation, rows), y);
        return {t.first, t.second, t.weightSecond};
    }
    const std::int32_t field = y & 1;
    const ChromaAxis axis = verticalAxis(p.format, colours.chromaLocation, fieldRows(rows, field));
    const ChromaTap t = chromaTap(axis, y >> 1);
    return {2 * t.first + field, 2 * t.second + field, t.weightSecond};
}

// A row of chroma samples interpolated to every pixel and normalised. Inside the row the taps
// repeat every `Factor` pixels (one phase per pixel of a chroma sample), so that part is worked
// phase by phase without looking taps up, which lets the compiler take several pixels at once;
// the ends, where taps are clamped, go by the table.
template <std::size_t Factor>
void interpolateRow(const std::int32_t* row, std::int32_t columns, const TapTable& taps,
                    std::int32_t width, std::int32_t span, const Scaling& normal,
                    std::int32_t* out) {
    const auto byTable = [&](std::int32_t x) {
        const std::int32_t f = taps.first[x], s = taps.second[x], h1 = taps.weightSecond[x];
        out[x] = normal(row[f] * (span - h1) + row[s] * h1);
    };
    const std::int32_t factor = Factor, low = 1, high = std::min(columns - 1, width / factor);
    if (high <= low) {
        for (std::int32_t x = 0; x < width; ++x) byTable(x);
        return;
    }
    std::int32_t offset[Factor], w0[Factor], w1[Factor];
    for (std::size_t phase = 0; phase < Factor; ++phase) {
        const std::int32_t x = low * std::int32_t(Factor) + std::int32_t(phase);
        offset[phase] = taps.first[x] - low;
        w1[phase] = taps.weightSecond[x];
        w0[phase] = span - w1[phase];
    }
    for (std::int32_t x = 0; x < low * factor; ++x) byTable(x);
    for (std::int32_t j = low; j < high; ++j) {
        for (std::size_t phase = 0; phase < Factor; ++phase) {
            const std::int32_t* at = row + j + offset[phase];
            out[j * factor + std::int32_t(phase)] = normal(at[0] * w0[phase] + at[1] * w1[phase]);
        }
    }
    for (std::int32_t x = high * factor; x < width; ++x) byTable(x);
}

// One luma row's chroma, interpolated between two chroma rows and then along the row, less
// the neutral level, normalised: written to cb and cr, one value per pixel.
template <typename Sample>
void interpolatedChroma(const PictureView& p, const RowTap& v, const ChromaAxis& across,
                        const TapTable& taps, std::int32_t neutral, std::int32_t* cbRow,
                        std::int32_t* crRow, std::int32_t* cb, std::int32_t* cr) {
    const Sample* cb0 = sampleRow<Sample>(p, 1, v.first);
    const Sample* cb1 = sampleRow<Sample>(p, 1, v.second);
    const Sample* cr0 = sampleRow<Sample>(p, 2, v.first);
    const Sample* cr1 = sampleRow<Sample>(p, 2, v.second);
    const std::int32_t spanV = 2 << p.format.subsamplingH;
    const std::int32_t w0 = spanV - v.weightSecond, w1 = v.weightSecond;
    const std::int32_t columns = across.count, top = (1 << p.format.bitDepth) - 1;
    for (std::int32_t j = 0; j < columns; ++j) {
        cbRow[j] = std::min<std::int32_t>(cb0[j], top) * w0 +
                   std::min<std::int32_t>(cb1[j], top) * w1 - neutral;
        crRow[j] = std::min<std::int32_t>(cr0[j], top) * w0 +
                   std::min<std::int32_t>(cr1[j], top) * w1 - neutral;
    }
    const Scaling normal(
        normalShift(p.format.bitDepth, p.format.subsamplingH + p.format.subsamplingW + 2));
    const std::int32_t width = p.width, span = across.span();
    switch (p.format.subsamplingW) {
        case 0:
            interpolateRow<1>(cbRow, columns, taps, width, span, normal, cb);
            interpolateRow<1>(crRow, columns, taps, width, span, normal, cr);
            break;
        case 1:
            interpolateRow<2>(cbRow, columns, taps, width, span, normal, cb);
            interpolateRow<2>(crRow, columns, taps, width, span, normal, cr);
            break;
        default:
            interpolateRow<4>(cbRow, columns, taps, width, span, normal, cb);
            interpolateRow<4>(crRow, columns, taps, width, span, normal, cr);
            break;
    }
}

template <typename Sample>
void yuvPicture(const PictureView& p, const Colours& colours, const Levels& levels,
                const FrameView& rgb, std::int32_t* scratch) {
    const ChromaAxis across = horizontalAxis(p.format, colours.chromaLocation, p.width);
    const ViewCoefficients k = viewCoefficients(colours.matrix, levels, p.format.bitDepth);
    const std::int32_t neutral = levels.chromaOffset * (2 << p.format.subsamplingH);
    const TapTable taps = tapTable(across, p.width, scratch);
    std::int32_t* cb = scratch + 3 * std::size_t(p.width);
    std::int32_t* cr = cb + p.width;
    std::int32_t* cbRow = cr + p.width;
    std::int32_t* crRow = cbRow + across.count;
    const Scaling normal(normalShift(p.format.bitDepth));
    std::uint32_t* pixels = reinterpret_cast<std::uint32_t*>(crRow + across.count);
    const std::int32_t width = p.width, lumaOffset = levels.lumaOffset, top = levels.maximum;
    for (std::int32_t y = 0; y < p.height; ++y) {
        interpolatedChroma<Sample>(p, rowTap(p, colours, y), across, taps, neutral, cbRow, crRow,
                                   cb, cr);
        const Sample* luma = sampleRow<Sample>(p, 0, y);
        for (std::int32_t x = 0; x < width; ++x) {
            const std::int32_t sample = std::min<std::int32_t>(luma[x], top);
            const std::int32_t base = k.y * normal(sample - lumaOffset) + kViewHalf;
            pixels[x] =
                pixelOf(toByte(base + k.crR * cr[x]), toByte(base + k.cbG * cb[x] + k.crG * cr[x]),
                        toByte(base + k.cbB * cb[x]));
        }
        std::memcpy(pixelRow(rgb, y), pixels, std::size_t(p.width) * 4);
    }
}

template <typename Sample>
void viewOfPicture(const PictureView& p, const Colours& colours, const FrameView& rgb,
                   std::int32_t* scratch) {
    const Levels levels = levelsOf(p.format, colours.range);
    switch (p.format.family) {
        case Family::rgb:
            rgbPicture<Sample>(p, rgb);
            break;
        case Family::grey:
            greyPicture<Sample>(p, levels,
                                viewCoefficients(colours.matrix, levels, p.format.bitDepth), rgb);
            break;
        case Family::yuv:
            yuvPicture<Sample>(p, colours, levels, rgb, scratch);
            break;
    }
}

}  // namespace

int makeRgbView(const PictureView& picture, const Colours& colours, const FrameView& rgb,
                Scratch scratch) {
    if (const int rc = checkPicture(picture); rc != kPlanarOk) return rc;
    if (!frameFits(rgb, picture)) return kPlanarBadGeometry;
    if (scratch.values == nullptr || scratch.count < planarScratchCount(picture.width)) {
        return kPlanarNoScratch;
    }
    if (picture.format.bitDepth > 8) {
        viewOfPicture<std::uint16_t>(picture, colours, rgb, scratch.values);
    } else {
        viewOfPicture<std::uint8_t>(picture, colours, rgb, scratch.values);
    }
    return kPlanarOk;
}

}  // namespace lintra::planar::LINTRA_PLANAR_LEVEL
