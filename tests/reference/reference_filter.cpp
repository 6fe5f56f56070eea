#include "tests/reference/reference_filter.h"

#include <algorithm>
#include <array>
#include <vector>

namespace lintra::reference {
namespace {

using Px = std::array<std::int32_t, 3>;
using Plane = std::vector<std::vector<Px>>;

Plane makePlane(int w, int h) {
    return Plane(static_cast<size_t>(h), std::vector<Px>(static_cast<size_t>(w), Px{0, 0, 0}));
}

std::int32_t s16(std::int64_t v) {
    return static_cast<std::int16_t>(v);
}

const std::uint8_t* pixelAt(const FrameView& f, int x, int y) {
    return f.pixels +
           static_cast<std::intptr_t>(y) * (static_cast<std::intptr_t>(f.width) * 4 + f.rowGap) +
           4 * x;
}
std::uint8_t* pixelAt(const FrameView& f, int x, int y, int) {
    return f.pixels +
           static_cast<std::intptr_t>(y) * (static_cast<std::intptr_t>(f.width) * 4 + f.rowGap) +
           4 * x;
}

void put(const FrameView& f, int x, int y, std::uint32_t v) {
    std::uint8_t* p = pixelAt(f, x, y, 0);
    p[0] = static_cast<std::uint8_t>(v);
    p[1] = static_cast<std::uint8_t>(v >> 8);
    p[2] = static_cast<std::uint8_t>(v >> 16);
    p[3] = static_cast<std::uint8_t>(v >> 24);
}

std::int64_t sq(std::int64_t v) {
    return v * v;
}

// 256 * threshold^2 for any int32 threshold: magnitudes past 2^26 already exceed every
// distance by far and would overflow 64 bits when squared.
std::int64_t squaredLimit(std::int64_t threshold) {
    const std::int64_t t =
        std::min<std::int64_t>(threshold < 0 ? -threshold : threshold, std::int64_t{1} << 26);
    return sq(16 * t);
}

// Signed division truncating toward zero, written out so it cannot depend on anything else.
std::int64_t divTrunc(std::int64_t a, std::int64_t b) {
    const std::int64_t q = (a < 0 ? -a : a) / (b < 0 ? -b : b);
    return ((a < 0) != (b < 0)) ? -q : q;
}

// Arithmetic right shift = floor division by a power of two.
std::int64_t shr(std::int64_t v, int s) {
    const std::int64_t d = std::int64_t{1} << s;
    return v >= 0 ? v / d : -((-v + d - 1) / d);
}

struct Group {
    std::int64_t verticalLimit;
    std::int64_t horizontalLimit;
    bool vector;  // judged by squared distance (chroma, RGB) rather than magnitude (luma)
};

// One recursive pass of one group of components over a row, in the given direction.
void pass(const std::vector<Px>& in, std::vector<Px>& out, const std::vector<int>& comps,
          const Group& grp, std::int64_t g, bool forward) {
    const int w = static_cast<int>(in.size());
    const int first = forward ? 0 : w - 1;
    Px s = in[static_cast<size_t>(first)];
    for (int k : comps)
        out[static_cast<size_t>(first)][static_cast<size_t>(k)] = s[static_cast<size_t>(k)];
    for (int i = 1; i < w; ++i) {
        const size_t x = static_cast<size_t>(forward ? i : w - 1 - i);
        const Px c = in[x];
        std::int64_t dist = 0;
        for (int k : comps) {
            const std::int64_t d = c[static_cast<size_t>(k)] - s[static_cast<size_t>(k)];
            dist += grp.vector ? sq(d) : (d < 0 ? -d : d);
        }
        for (int k : comps) {
            const size_t kk = static_cast<size_t>(k);
            if (dist > grp.horizontalLimit) {
                s[kk] = c[kk];
            } else {
                s[kk] = static_cast<std::int32_t>(shr((256 - g) * c[kk] + g * s[kk] + 128, 8));
            }
            out[x][kk] = s16(s[kk] - shr((256 - g) * c[kk] + 256, 9));
        }
    }
}

void filterYccPlanes(const FilterSettings& st, const Plane& a, Plane& b, Plane& c, int w, int h,
                     std::int64_t gY, std::int64_t gC) {
    const int n = st.interlaced != 0 ? 2 : 1;
    const Group luma{16LL * st.yVerticalThreshold, 16LL * st.yHorizontalThreshold, false};
    const Group chroma{squaredLimit(st.uvVerticalThreshold), squaredLimit(st.uvHorizontalThreshold),
                       true};
    // Stage 1: comb detection into C (border rows stay zero).
    for (int y = n; y < h - n; ++y) {
        for (int x = 0; x < w; ++x) {
            Px comb{};
            for (size_t k = 0; k < 3; ++k) {
                comb[k] = static_cast<std::int32_t>(
                    shr(a[static_cast<size_t>(y - n)][static_cast<size_t>(x)][k], 1) +
                    shr(a[static_cast<size_t>(y + n)][static_cast<size_t>(x)][k], 1) -
                    a[static_cast<size_t>(y)][static_cast<size_t>(x)][k]);
            }
            if ((comb[0] < 0 ? -std::int64_t{comb[0]} : comb[0]) > luma.verticalLimit) comb[0] = 0;
            if (sq(comb[1]) + sq(comb[2]) > chroma.verticalLimit) comb[1] = comb[2] = 0;
            for (size_t k = 0; k < 3; ++k)
                c[static_cast<size_t>(y)][static_cast<size_t>(x)][k] = s16(comb[k]);
        }
    }
    // Stage 2: test mode.
    if (st.testMode != 0) {
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x)
                for (size_t k = 0; k < 3; ++k)
                    b[static_cast<size_t>(y)][static_cast<size_t>(x)][k] =
                        s16(c[static_cast<size_t>(y)][static_cast<size_t>(x)][k] + 2048);
        return;
    }
    // Stages 3 and 4: forward into B, backward in place in C (from the last row to the first).
    for (int y = 0; y < h; ++y) {
        pass(c[static_cast<size_t>(y)], b[static_cast<size_t>(y)], {0}, luma, gY, true);
        pass(c[static_cast<size_t>(y)], b[static_cast<size_t>(y)], {1, 2}, chroma, gC, true);
    }
    for (int y = h - 1; y >= 0; --y) {
        const std::vector<Px> row = c[static_cast<size_t>(y)];
        pass(row, c[static_cast<size_t>(y)], {0}, luma, gY, false);
        pass(row, c[static_cast<size_t>(y)], {1, 2}, chroma, gC, false);
    }
    // Stage 5: recombination.
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            for (size_t k = 0; k < 3; ++k) {
                auto& bk = b[static_cast<size_t>(y)][static_cast<size_t>(x)][k];
                const std::int64_t g = k == 0 ? gY : gC;
                const std::int64_t v =
                    divTrunc((bk + c[static_cast<size_t>(y)][static_cast<size_t>(x)][k] + 1) * 128,
                             g + 256) +
                    a[static_cast<size_t>(y)][static_cast<size_t>(x)][k];
                bk = static_cast<std::int32_t>(std::clamp<std::int64_t>(v, 0, 4095));
            }
        }
    }
}

void yuvFrame(const FilterSettings& st, const FrameView& src, const FrameView& dst, std::int64_t gY,
              std::int64_t gC) {
    const int w = src.width, h = src.height;
    Plane a = makePlane(w, h), b = makePlane(w, h), c = makePlane(w, h);
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            const std::uint8_t* p = pixelAt(src, x, y);
            const Triplet t = rgbToYccPixel(p[2], p[1], p[0]);
            a[static_cast<size_t>(y)][static_cast<size_t>(x)] = Px{t.c[0], t.c[1], t.c[2]};
        }
    }
    filterYccPlanes(st, a, b, c, w, h, gY, gC);
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            const Px& v = b[static_cast<size_t>(y)][static_cast<size_t>(x)];
            const Triplet t{{static_cast<std::int16_t>(v[0]), static_cast<std::int16_t>(v[1]),
                             static_cast<std::int16_t>(v[2])}};
            put(dst, x, y, yccToRgbPixel(t));
        }
    }
}

void rgbFrame(const FilterSettings& st, const FrameView& src, const FrameView& dst,
              std::int64_t g) {
    const int w = src.width, h = src.height;
    const int n = st.interlaced != 0 ? 2 : 1;
    const Group grp{squaredLimit(st.yVerticalThreshold), squaredLimit(st.yHorizontalThreshold),
                    true};
    auto chan = [&](int x, int y, size_t k) -> std::int64_t { return pixelAt(src, x, y)[2 - k]; };
    Plane a = makePlane(w, h), b = makePlane(w, h);
    for (int y = n; y < h - n; ++y) {
        for (int x = 0; x < w; ++x) {
            Px comb{};
            std::int64_t dist = 0;
            for (size_t k = 0; k < 3; ++k) {
                comb[k] = static_cast<std::int32_t>(8 * chan(x, y - n, k) + 8 * chan(x, y + n, k) -
                                                    16 * chan(x, y, k));
                dist += sq(comb[k]);
            }
            if (dist > grp.verticalLimit) comb = Px{0, 0, 0};
            a[static_cast<size_t>(y)][static_cast<size_t>(x)] = comb;
        }
    }
    if (st.testMode != 0) {
        for (int y = 0; y < h; ++y) {
            for (int x = 0; x < w; ++x) {
                const Px& v = a[static_cast<size_t>(y)][static_cast<size_t>(x)];
                const std::int64_t sum =
                    0x808080 + shr(v[0], 4) * 65536 + shr(v[1], 4) * 256 + shr(v[2], 4);
                put(dst, x, y, static_cast<std::uint32_t>(sum));
            }
        }
        return;
    }
    for (int y = 0; y < h; ++y)
        pass(a[static_cast<size_t>(y)], b[static_cast<size_t>(y)], {0, 1, 2}, grp, g, true);
    for (int y = h - 1; y >= 0; --y) {
        const std::vector<Px> row = a[static_cast<size_t>(y)];
        pass(row, a[static_cast<size_t>(y)], {0, 1, 2}, grp, g, false);
    }
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            std::int64_t v[3];
            for (size_t k = 0; k < 3; ++k) {
                const std::int64_t sum = b[static_cast<size_t>(y)][static_cast<size_t>(x)][k] +
                                         a[static_cast<size_t>(y)][static_cast<size_t>(x)][k];
                v[k] = std::clamp<std::int64_t>(divTrunc(sum * 8 + 128, g + 256) + chan(x, y, k), 0,
                                                255);
            }
            put(dst, x, y, static_cast<std::uint32_t>(v[0] * 65536 + v[1] * 256 + v[2]));
        }
    }
}

}  // namespace

Triplet rgbToYccPixel(std::uint8_t r, std::uint8_t g, std::uint8_t b) {
    const std::int64_t y = shr(16840LL * r + 33058LL * g + 6405LL * b + 985088, 12);
    const std::int64_t cr = shr(28781LL * r - 24110LL * g - 4671LL * b + 8325120, 12);
    const std::int64_t cb = shr(28781LL * b - 19068LL * g - 9713LL * r + 8325120, 12);
    return Triplet{{static_cast<std::int16_t>(y), static_cast<std::int16_t>(cr),
                    static_cast<std::int16_t>(cb)}};
}

std::uint32_t yccToRgbPixel(const Triplet& t) {
    const std::int64_t l = 76283LL * t.c[0];
    const std::int64_t v[3] = {l + 104595LL * t.c[1] - 230318672,
                               l - 53281LL * t.c[1] - 25625LL * t.c[2] + 142550864,
                               l + 132253LL * t.c[2] - 286518848};
    std::uint32_t out = 0;
    for (std::int64_t x : v) {
        const std::int64_t byte = x > 0x0FFFFFFF ? 255 : (x < 0 ? 0 : shr(x, 20));
        out = out << 8 | static_cast<std::uint32_t>(byte);
    }
    return out;
}

void filterFrame(const FilterSettings& st, const FrameView& source, const FrameView& destination) {
    // The source's size written at the destination's own row distance.
    const FrameView dst{
        destination.pixels, source.width, source.height,
        static_cast<std::int32_t>((destination.width - source.width) * 4 + destination.rowGap)};
    const int n = st.interlaced != 0 ? 2 : 1;
    const auto coefficient = [](std::int32_t g) { return std::clamp<std::int64_t>(g, 0, 255); };
    if (source.height <= 2 * n || (source.width < 2 && st.testMode == 0)) {
        for (int y = 0; y < source.height; ++y) {
            for (int x = 0; x < source.width; ++x) {
                const std::uint8_t* p = pixelAt(source, x, y);
                put(dst, x, y, static_cast<std::uint32_t>(p[0] | p[1] << 8 | p[2] << 16));
            }
        }
        return;
    }
    if (st.rgbProcessing != 0) {
        rgbFrame(st, source, dst, coefficient(st.yCoefficient));
    } else {
        yuvFrame(st, source, dst, coefficient(st.yCoefficient), coefficient(st.uvCoefficient));
    }
}

}  // namespace lintra::reference
