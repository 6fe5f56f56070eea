#include "frontend/planar_rgb_view.h"

#include <algorithm>

#include "frontend/planar_checks.h"
#include "frontend/planar_coefficients.h"
#include "frontend/planar_geometry.h"

namespace lintra::planar {
namespace {

constexpr std::int64_t kViewHalf = std::int64_t{1} << (kViewShift - 1);

std::uint8_t toByte(std::int64_t fixedValue) {
    return static_cast<std::uint8_t>(std::clamp<std::int64_t>(fixedValue >> kViewShift, 0, 255));
}

void putPixel(std::uint8_t* out, std::uint8_t r, std::uint8_t g, std::uint8_t b) {
    out[0] = b;
    out[1] = g;
    out[2] = r;
    out[3] = 0;
}

template <typename Sample>
void rgbPicture(const PictureView& p, const FrameView& rgb) {
    const std::int64_t scale = rgbToView(p.format.bitDepth);
    for (std::int32_t y = 0; y < p.height; ++y) {
        const Sample* r = sampleRow<Sample>(p, 0, y);
        const Sample* g = sampleRow<Sample>(p, 1, y);
        const Sample* b = sampleRow<Sample>(p, 2, y);
        std::uint8_t* out = pixelRow(rgb, y);
        for (std::int32_t x = 0; x < p.width; ++x, out += 4) {
            putPixel(out, toByte(r[x] * scale + kViewHalf), toByte(g[x] * scale + kViewHalf),
                     toByte(b[x] * scale + kViewHalf));
        }
    }
}

template <typename Sample>
void greyPicture(const PictureView& p, const Levels& levels, const ViewCoefficients& k,
                 const FrameView& rgb) {
    for (std::int32_t y = 0; y < p.height; ++y) {
        const Sample* luma = sampleRow<Sample>(p, 0, y);
        std::uint8_t* out = pixelRow(rgb, y);
        for (std::int32_t x = 0; x < p.width; ++x, out += 4) {
            const std::uint8_t v = toByte(k.y * (luma[x] - levels.lumaOffset) + kViewHalf);
            putPixel(out, v, v, v);
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

template <typename Sample>
void yuvPicture(const PictureView& p, const Colours& colours, const Levels& levels,
                const FrameView& rgb, std::int32_t* scratch) {
    const ChromaAxis across = horizontalAxis(p.format, colours.chromaLocation, p.width);
    const std::int32_t spanH = across.span();
    const std::int32_t spanV = 2 << p.format.subsamplingH;
    const ViewCoefficients k = viewCoefficients(colours.matrix, levels, spanH * spanV);
    const std::int64_t neutral = std::int64_t{levels.chromaOffset} * spanH * spanV;
    std::int32_t* cbRow = scratch;
    std::int32_t* crRow = scratch + across.count;
    for (std::int32_t y = 0; y < p.height; ++y) {
        const RowTap v = rowTap(p, colours, y);
        const Sample* cb0 = sampleRow<Sample>(p, 1, v.first);
        const Sample* cb1 = sampleRow<Sample>(p, 1, v.second);
        const Sample* cr0 = sampleRow<Sample>(p, 2, v.first);
        const Sample* cr1 = sampleRow<Sample>(p, 2, v.second);
        const std::int32_t w0 = spanV - v.weightSecond;
        for (std::int32_t j = 0; j < across.count; ++j) {
            cbRow[j] = cb0[j] * w0 + cb1[j] * v.weightSecond;
            crRow[j] = cr0[j] * w0 + cr1[j] * v.weightSecond;
        }
        const Sample* luma = sampleRow<Sample>(p, 0, y);
        std::uint8_t* out = pixelRow(rgb, y);
        for (std::int32_t x = 0; x < p.width; ++x, out += 4) {
            const ChromaTap h = chromaTap(across, x);
            const std::int32_t h0 = spanH - h.weightSecond;
            const std::int64_t cb =
                cbRow[h.first] * h0 + cbRow[h.second] * h.weightSecond - neutral;
            const std::int64_t cr =
                crRow[h.first] * h0 + crRow[h.second] * h.weightSecond - neutral;
            const std::int64_t base = k.y * (luma[x] - levels.lumaOffset) + kViewHalf;
            putPixel(out, toByte(base + k.crR * cr), toByte(base + k.cbG * cb + k.crG * cr),
                     toByte(base + k.cbB * cb));
        }
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
            greyPicture<Sample>(p, levels, viewCoefficients(colours.matrix, levels, 1), rgb);
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

}  // namespace lintra::planar
