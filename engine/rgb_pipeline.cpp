#include "engine/rgb_pipeline.h"

#include <cstddef>

#include "engine/comb_math.h"

namespace lintra {
namespace {

constexpr std::uint32_t kTestModeGrey = 0x808080;
constexpr std::int32_t kMaxChannel = 255;

struct RgbLimits {
    std::int64_t vertical;
    std::int64_t horizontal;
};

// Channel k of a pixel in R, G, B order (byte 2, 1, 0).
inline std::int32_t channel(const std::uint8_t* p, int k) {
    return p[2 - k];
}

void zeroRows(Triplet* row, std::int64_t count) {
    for (std::int64_t i = 0; i < count; ++i) row[i] = Triplet{{0, 0, 0}};
}

// 16 * (average of the neighbours - line), exact; the three channels are kept or dropped
// together by their vector length.
void detectRow(const std::uint8_t* top, const std::uint8_t* mid, const std::uint8_t* bottom,
               Triplet* out, std::int32_t w, std::int64_t limit) {
    for (std::int32_t x = 0; x < w; ++x, top += 4, mid += 4, bottom += 4) {
        std::int32_t comb[3];
        std::int64_t length = 0;
        for (int k = 0; k < 3; ++k) {
            comb[k] = 8 * channel(top, k) + 8 * channel(bottom, k) - 16 * channel(mid, k);
            length += square(comb[k]);
        }
        if (length > limit) comb[0] = comb[1] = comb[2] = 0;
        out[x] = Triplet{{narrow(comb[0]), narrow(comb[1]), narrow(comb[2])}};
    }
}

void recursiveRow(const Triplet* in, Triplet* out, std::int32_t w, std::int32_t first,
                  std::int32_t step, std::int64_t limit, std::int32_t g) {
    std::int32_t s[3] = {in[first].c[0], in[first].c[1], in[first].c[2]};
    out[first] = in[first];
    for (std::int32_t i = 1, x = first + step; i < w; ++i, x += step) {
        const std::int32_t c[3] = {in[x].c[0], in[x].c[1], in[x].c[2]};
        const std::int64_t distance =
            square(c[0] - s[0]) + square(c[1] - s[1]) + square(c[2] - s[2]);
        for (int k = 0; k < 3; ++k) s[k] = distance > limit ? c[k] : smooth(c[k], s[k], g);
        for (int k = 0; k < 3; ++k) out[x].c[k] = narrow(lessOwnHalf(s[k], c[k], g));
    }
}

// The comb planes are in sixteenths: 8 / (g + 256) of (forward + backward) is half the
// smoothed signal in whole steps, rounded by adding 128 after the scaling.
void recombineRow(const std::uint8_t* src, std::uint8_t* dst, const Triplet* forward,
                  const Triplet* backward, std::int32_t w, std::int32_t g) {
    const std::int32_t divisor = g + kWeightOne;
    for (std::int32_t x = 0; x < w; ++x, src += 4, dst += 4) {
        std::int32_t v[3];
        for (int k = 0; k < 3; ++k) {
            v[k] = clampTo(((forward[x].c[k] + backward[x].c[k]) * 8 + kWeightHalf) / divisor +
                               channel(src, k),
                           kMaxChannel);
        }
        dst[0] = static_cast<std::uint8_t>(v[2]);
        dst[1] = static_cast<std::uint8_t>(v[1]);
        dst[2] = static_cast<std::uint8_t>(v[0]);
        dst[3] = 0;
    }
}

// The sum is one 32-bit word, so a shifted value outside -128..127 carries into (or borrows
// from) the byte above; for red that is byte 3.
void showCombRow(const Triplet* comb, std::uint8_t* dst, std::int32_t w) {
    for (std::int32_t x = 0; x < w; ++x, dst += 4) {
        const std::int32_t r = comb[x].c[0] >> 4;
        const std::int32_t g = comb[x].c[1] >> 4;
        const std::int32_t b = comb[x].c[2] >> 4;
        const auto v = static_cast<std::uint32_t>(static_cast<std::int32_t>(kTestModeGrey) +
                                                  r * 65536 + g * 256 + b);
        dst[0] = static_cast<std::uint8_t>(v);
        dst[1] = static_cast<std::uint8_t>(v >> 8);
        dst[2] = static_cast<std::uint8_t>(v >> 16);
        dst[3] = static_cast<std::uint8_t>(v >> 24);
    }
}

}  // namespace

void filterRgb(const std::uint8_t* source, std::uint8_t* destination, WorkPlane* a, WorkPlane* b,
               std::int32_t w, std::int32_t h, std::int32_t sourceRowGap,
               std::int32_t destinationRowGap, std::int32_t yVerticalThreshold,
               std::int32_t yHorizontalThreshold, std::int32_t interlaced, std::int32_t testMode,
               std::int32_t g) {
    const RgbLimits limits{squaredLimit(yVerticalThreshold), squaredLimit(yHorizontalThreshold)};
    const std::int32_t n = interlaced != 0 ? 2 : 1;
    const std::ptrdiff_t srcStride = static_cast<std::ptrdiff_t>(w) * 4 + sourceRowGap;
    const std::ptrdiff_t dstStride = static_cast<std::ptrdiff_t>(w) * 4 + destinationRowGap;
    const std::ptrdiff_t stride = w;

    zeroRows(a, stride * n);
    for (std::int32_t y = n; y < h - n; ++y) {
        const std::uint8_t* mid = source + y * srcStride;
        detectRow(mid - n * srcStride, mid, mid + n * srcStride, a + y * stride, w,
                  limits.vertical);
    }
    zeroRows(a + (h - n) * stride, stride * n);

    if (testMode != 0) {
        for (std::int32_t y = 0; y < h; ++y)
            showCombRow(a + y * stride, destination + y * dstStride, w);
        return;
    }
    for (std::int32_t y = 0; y < h; ++y) {
        recursiveRow(a + y * stride, b + y * stride, w, 0, 1, limits.horizontal, g);
    }
    for (std::int32_t y = h - 1; y >= 0; --y) {
        recursiveRow(a + y * stride, a + y * stride, w, w - 1, -1, limits.horizontal, g);
    }
    for (std::int32_t y = 0; y < h; ++y) {
        recombineRow(source + y * srcStride, destination + y * dstStride, b + y * stride,
                     a + y * stride, w, g);
    }
}

}  // namespace lintra
