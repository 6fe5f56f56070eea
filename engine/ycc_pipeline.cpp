#include "engine/ycc_pipeline.h"

#include "engine/comb_math.h"

namespace lintra {
namespace {

constexpr std::int32_t kTestModeOffset = 2048;  // mid-scale of the 12-bit form
constexpr std::int32_t kMaxYcc = 4095;

struct YccLimits {
    std::int64_t lumaVertical;
    std::int64_t chromaVertical;
    std::int64_t lumaHorizontal;
    std::int64_t chromaHorizontal;
};

struct YccWeights {
    std::int32_t luma;
    std::int32_t chroma;
};

void zeroRows(Triplet* row, std::int64_t count) {
    for (std::int64_t i = 0; i < count; ++i) row[i] = Triplet{{0, 0, 0}};
}

// Each neighbour is halved on its own before the sum: the rounding depends on it.
// Luma and chroma are judged separately; chroma as one Cr/Cb vector.
void detectRow(const Triplet* top, const Triplet* mid, const Triplet* bottom, Triplet* out,
               std::int32_t w, const YccLimits& limits) {
    for (std::int32_t x = 0; x < w; ++x) {
        std::int32_t comb[3];
        for (int k = 0; k < 3; ++k)
            comb[k] = (top[x].c[k] >> 1) + (bottom[x].c[k] >> 1) - mid[x].c[k];
        if (magnitude(comb[0]) > limits.lumaVertical) comb[0] = 0;
        if (square(comb[1]) + square(comb[2]) > limits.chromaVertical) comb[1] = comb[2] = 0;
        out[x] = Triplet{{narrow(comb[0]), narrow(comb[1]), narrow(comb[2])}};
    }
}

// One recursive pass over a row, starting at `first` and stepping by `step`; in and out may
// be the same row. A step larger than the horizontal limit restarts the average there.
void recursiveRow(const Triplet* in, Triplet* out, std::int32_t w, std::int32_t first,
                  std::int32_t step, const YccLimits& limits, const YccWeights& g) {
    std::int32_t sY = in[first].c[0];
    std::int32_t sCr = in[first].c[1];
    std::int32_t sCb = in[first].c[2];
    out[first] = in[first];
    for (std::int32_t i = 1, x = first + step; i < w; ++i, x += step) {
        const std::int32_t cY = in[x].c[0];
        const std::int32_t cCr = in[x].c[1];
        const std::int32_t cCb = in[x].c[2];
        if (magnitude(cY - sY) > limits.lumaHorizontal) {
            sY = cY;
        } else {
            sY = smooth(cY, sY, g.luma);
        }
        if (square(cCr - sCr) + square(cCb - sCb) > limits.chromaHorizontal) {
            sCr = cCr;
            sCb = cCb;
        } else {
            sCr = smooth(cCr, sCr, g.chroma);
            sCb = smooth(cCb, sCb, g.chroma);
        }
        out[x] =
            Triplet{{narrow(lessOwnHalf(sY, cY, g.luma)), narrow(lessOwnHalf(sCr, cCr, g.chroma)),
                     narrow(lessOwnHalf(sCb, cCb, g.chroma))}};
    }
}

// Half the two-sided smoothed comb signal: (forward + backward) carries a factor
// (256 + g) / 256, and 128 / (g + 256) turns it into one half. Division truncates toward zero.
void recombineRow(const Triplet* a, Triplet* b, const Triplet* c, std::int32_t w,
                  const YccWeights& g) {
    const std::int32_t divisor[3] = {g.luma + kWeightOne, g.chroma + kWeightOne,
                                     g.chroma + kWeightOne};
    for (std::int32_t x = 0; x < w; ++x) {
        for (int k = 0; k < 3; ++k) {
            const std::int32_t v =
                ((b[x].c[k] + c[x].c[k] + 1) * kWeightHalf) / divisor[k] + a[x].c[k];
            b[x].c[k] = narrow(clampTo(v, kMaxYcc));
        }
    }
}

void offsetForTestMode(const Triplet* c, Triplet* b, std::int64_t count) {
    for (std::int64_t i = 0; i < count; ++i) {
        for (int k = 0; k < 3; ++k) b[i].c[k] = narrow(c[i].c[k] + kTestModeOffset);
    }
}

}  // namespace

void filterYcc(const WorkPlane* a, WorkPlane* b, WorkPlane* c, std::int32_t w, std::int32_t h,
               std::int32_t yVerticalThreshold, std::int32_t uvVerticalThreshold,
               std::int32_t yHorizontalThreshold, std::int32_t uvHorizontalThreshold,
               std::int32_t interlaced, std::int32_t testMode, std::int32_t gY, std::int32_t gC) {
    const YccLimits limits{linearLimit(yVerticalThreshold), squaredLimit(uvVerticalThreshold),
                           linearLimit(yHorizontalThreshold), squaredLimit(uvHorizontalThreshold)};
    const YccWeights weights{gY, gC};
    const std::int32_t n = interlaced != 0 ? 2 : 1;
    const std::ptrdiff_t stride = w;
    const std::ptrdiff_t border = stride * n;

    zeroRows(c, border);
    for (std::int32_t y = n; y < h - n; ++y) {
        const Triplet* mid = a + y * stride;
        detectRow(mid - border, mid, mid + border, c + y * stride, w, limits);
    }
    zeroRows(c + (h - n) * stride, border);

    if (testMode != 0) {
        offsetForTestMode(c, b, stride * h);
        return;
    }
    for (std::int32_t y = 0; y < h; ++y) {
        recursiveRow(c + y * stride, b + y * stride, w, 0, 1, limits, weights);
    }
    for (std::int32_t y = h - 1; y >= 0; --y) {
        recursiveRow(c + y * stride, c + y * stride, w, w - 1, -1, limits, weights);
    }
    for (std::int32_t y = 0; y < h; ++y) {
        recombineRow(a + y * stride, b + y * stride, c + y * stride, w, weights);
    }
}

}  // namespace lintra
