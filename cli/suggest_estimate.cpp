#include "cli/suggest_estimate.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "engine/colour_constants.h"

namespace lintra {
namespace {

// The work form counts sixteenths of an 8-bit step.
constexpr std::int32_t kStep = 16;
// Departures above these are picture detail for every setting worth suggesting; they are
// left out of the alternation sums, where a few edges would outweigh a faint pattern.
constexpr std::int32_t kLumaCap = 64 * kStep;
constexpr std::int32_t kChromaCap = 96 * kStep;

// The rules that turn statistics into settings, chosen on the design clips of the
// comparison (scripts/compare): the share of the pattern's departures a threshold covers,
// the least share of pixels that must look like a pattern (beyond what the other line
// distance shows) before one is reported, and where the sign of the comb signal along the
// line counts as kept.
constexpr double kCoveredShare = 0.9;
constexpr double kLeastPatternShare = 0.002;
constexpr double kKeptCorrelation = 0.5;
constexpr std::int32_t kMaxThreshold = 120;
constexpr std::int32_t kMaxLength = 31;

std::int32_t departureBin(std::int64_t sixteenths) {
    return static_cast<std::int32_t>(std::min<std::int64_t>(sixteenths / kStep, kDepartureBins - 1));
}

std::int64_t squared(const Triplet& t) {
    return static_cast<std::int64_t>(t.c[1]) * t.c[1] + static_cast<std::int64_t>(t.c[2]) * t.c[2];
}

std::int64_t chromaDot(const Triplet& a, const Triplet& b) {
    return static_cast<std::int64_t>(a.c[1]) * b.c[1] + static_cast<std::int64_t>(a.c[2]) * b.c[2];
}

std::int64_t chromaMagnitude(const Triplet& t) {
    return static_cast<std::int64_t>(std::sqrt(static_cast<double>(squared(t))));
}

// A neighbour's comb signal opposes the pixel's and is between half and twice its size.
bool lumaOpposes(std::int32_t c, std::int32_t n) {
    const std::int32_t ac = std::abs(c), an = std::abs(n);
    return c != 0 && (c > 0) != (n > 0) && n != 0 && 2 * an >= ac && an <= 2 * ac;
}

bool chromaOpposes(const Triplet& c, const Triplet& n) {
    const std::int64_t sc = squared(c), sn = squared(n);
    return sc != 0 && chromaDot(c, n) < 0 && 4 * sn >= sc && sn <= 4 * sc;
}

// The comb signal of rows n .. h - n - 1 as the filter computes it; other rows stay zero.
void combRows(const std::vector<Triplet>& ycc, std::int32_t w, std::int32_t h, std::int32_t n,
              std::vector<Triplet>& comb) {
    comb.assign(static_cast<std::size_t>(w) * static_cast<std::size_t>(h), Triplet{{0, 0, 0}});
    for (std::int32_t y = n; y < h - n; ++y) {
        const std::size_t row = static_cast<std::size_t>(y) * static_cast<std::size_t>(w);
        const std::size_t gap = static_cast<std::size_t>(n) * static_cast<std::size_t>(w);
        for (std::int32_t x = 0; x < w; ++x) {
            const std::size_t i = row + static_cast<std::size_t>(x);
            for (int k = 0; k < 3; ++k) {
                const std::int32_t v = (ycc[i - gap].c[k] >> 1) + (ycc[i + gap].c[k] >> 1) - ycc[i].c[k];
                comb[i].c[k] = static_cast<std::int16_t>(v);
            }
        }
    }
}

void addAlong(const Triplet* row, std::int32_t x, std::int32_t w, DistanceStats& s, bool luma,
              bool chroma) {
    const std::int32_t last = std::min(kMaxLag, w - 1 - x);
    for (std::int32_t lag = 0; lag <= last; ++lag) {
        if (luma) s.lumaAlong[static_cast<std::size_t>(lag)] += row[x].c[0] * row[x + lag].c[0] / 256.0;
        if (chroma) s.chromaAlong[static_cast<std::size_t>(lag)] += static_cast<double>(chromaDot(row[x], row[x + lag])) / 256.0;
    }
}

// One row of statistics; `up` and `down` are the comb rows n above and below, or null.
void addRow(const Triplet* up, const Triplet* row, const Triplet* down, std::int32_t w,
            DistanceStats& s) {
    for (std::int32_t x = 0; x < w; ++x) {
        const Triplet& c = row[x];
        const std::int32_t lumaBin = departureBin(std::abs(c.c[0]));
        const std::int32_t chromaBin = departureBin(chromaMagnitude(c));
        ++s.lumaAll[static_cast<std::size_t>(lumaBin)];
        ++s.chromaAll[static_cast<std::size_t>(chromaBin)];
        if (down != nullptr) {
            const Triplet& d = down[x];
            if (std::abs(c.c[0]) <= kLumaCap && std::abs(d.c[0]) <= kLumaCap)
                s.lumaAlternation -= c.c[0] * d.c[0] / 256.0;
            if (squared(c) <= std::int64_t{kChromaCap} * kChromaCap &&
                squared(d) <= std::int64_t{kChromaCap} * kChromaCap)
                s.chromaAlternation -= static_cast<double>(chromaDot(c, d)) / 256.0;
        }
        if (up == nullptr || down == nullptr) continue;
        const bool luma = lumaOpposes(c.c[0], up[x].c[0]) && lumaOpposes(c.c[0], down[x].c[0]);
        const bool chroma = chromaOpposes(c, up[x]) && chromaOpposes(c, down[x]);
        if (luma) ++s.lumaPattern[static_cast<std::size_t>(lumaBin)];
        if (chroma) ++s.chromaPattern[static_cast<std::size_t>(chromaBin)];
        if (luma || chroma) addAlong(row, x, w, s, luma, chroma);
    }
}

void addDistance(const std::vector<Triplet>& comb, std::int32_t w, std::int32_t h, std::int32_t n,
                 DistanceStats& s) {
    const Triplet* base = comb.data();
    for (std::int32_t y = n; y < h - n; ++y) {
        const Triplet* row = base + static_cast<std::ptrdiff_t>(y) * w;
        const Triplet* up = y - n >= n ? row - static_cast<std::ptrdiff_t>(n) * w : nullptr;
        const Triplet* down = y + n < h - n ? row + static_cast<std::ptrdiff_t>(n) * w : nullptr;
        addRow(up, row, down, w, s);
        s.pixels += w;
    }
}

// The pattern's share of a histogram: what this distance shows beyond the other one.
std::array<std::int64_t, kDepartureBins> excess(const std::array<std::int64_t, kDepartureBins>& at,
                                                const std::array<std::int64_t, kDepartureBins>& other) {
    std::array<std::int64_t, kDepartureBins> out{};
    for (std::size_t b = 0; b < out.size(); ++b) out[b] = std::max<std::int64_t>(0, at[b] - other[b]);
    return out;
}

std::int32_t keptRun(const std::array<double, kMaxLag + 1>& along) {
    if (along[0] <= 0) return 0;
    for (std::int32_t lag = 1; lag <= kMaxLag; ++lag) {
        if (along[static_cast<std::size_t>(lag)] < kKeptCorrelation * along[0]) return lag;
    }
    return kMaxLag;
}

// A run of r pixels: the smoothing's influence halves after about r pixels, so the
// average does not reach across a change of sign.
std::int32_t lengthForRun(std::int32_t run) {
    return run <= 1 ? 1 : std::min(2 * run - 1, kMaxLength);
}

struct GroupChoice {
    bool found = false;
    double amplitude = 0;
    std::int32_t threshold = 0;
};

GroupChoice chooseGroup(const std::array<std::int64_t, kDepartureBins>& at,
                        const std::array<std::int64_t, kDepartureBins>& other, double alternationGain,
                        std::int64_t pixels) {
    GroupChoice g;
    const auto bins = excess(at, other);
    std::int64_t count = 0;
    for (const std::int64_t b : bins) count += b;
    if (alternationGain <= 0 || pixels <= 0 ||
        static_cast<double>(count) < kLeastPatternShare * static_cast<double>(pixels))
        return g;
    g.found = true;
    g.amplitude = histogramPercentile(bins, kCoveredShare);
    g.threshold = std::clamp(static_cast<std::int32_t>(std::ceil(g.amplitude)), 1, kMaxThreshold);
    return g;
}

}  // namespace

void addSuggestFrame(const Picture& picture, SuggestStats& stats, std::vector<Triplet>& work) {
    const std::int32_t w = picture.width, h = picture.height;
    if (w < 1 || h < 5) return;
    const std::size_t pixels = static_cast<std::size_t>(w) * static_cast<std::size_t>(h);
    std::vector<Triplet> ycc(pixels);
    for (std::size_t i = 0; i < pixels; ++i) {
        const std::uint8_t* p = &picture.bgrx[i * 4];
        ycc[i] = yccFromBgr(p[0], p[1], p[2]);
    }
    for (std::int32_t n = 1; n <= 2; ++n) {
        combRows(ycc, w, h, n, work);
        addDistance(work, w, h, n, stats.distance[n - 1]);
    }
    ++stats.frames;
    stats.width = w;
    stats.height = h;
}

double histogramPercentile(const std::array<std::int64_t, kDepartureBins>& bins, double share) {
    std::int64_t total = 0;
    for (const std::int64_t b : bins) total += b;
    if (total == 0) return 0;
    const double target = share * static_cast<double>(total);
    double below = 0;
    for (std::size_t b = 0; b < bins.size(); ++b) {
        const double here = static_cast<double>(bins[b]);
        if (here > 0 && below + here >= target) return static_cast<double>(b) + (target - below) / here;
        below += here;
    }
    return static_cast<double>(bins.size());
}

Suggestion suggestSettings(const SuggestStats& stats) {
    Suggestion s;
    setDefaults(s.settings);
    for (int i = 0; i < 2; ++i) {
        const DistanceStats& d = stats.distance[i];
        s.alternation[i] = d.pixels > 0 ? (d.lumaAlternation + d.chromaAlternation) / static_cast<double>(d.pixels) : 0;
    }
    const int at = s.alternation[0] > s.alternation[1] ? 0 : 1;
    const DistanceStats& chosen = stats.distance[at];
    const DistanceStats& other = stats.distance[1 - at];
    s.distance = at + 1;
    const GroupChoice luma = chooseGroup(chosen.lumaPattern, other.lumaPattern,
                                         chosen.lumaAlternation - other.lumaAlternation, chosen.pixels);
    const GroupChoice chroma = chooseGroup(chosen.chromaPattern, other.chromaPattern,
                                           chosen.chromaAlternation - other.chromaAlternation, chosen.pixels);
    s.lumaPattern = luma.found;
    s.chromaPattern = chroma.found;
    s.lumaAmplitude = luma.amplitude;
    s.chromaAmplitude = chroma.amplitude;
    s.lumaRun = keptRun(chosen.lumaAlong);
    s.chromaRun = keptRun(chosen.chromaAlong);
    FilterSettings& f = s.settings;
    f.interlaced = at == 1 ? 1 : 0;
    f.yVerticalThreshold = f.yHorizontalThreshold = luma.threshold;
    f.uvVerticalThreshold = f.uvHorizontalThreshold = chroma.threshold;
    if (luma.found) f.yAverage = lengthForRun(s.lumaRun);
    if (chroma.found) f.uvAverage = lengthForRun(s.chromaRun);
    f.yCoefficient = averagingCoefficient(f.yAverage);
    f.uvCoefficient = averagingCoefficient(f.uvAverage);
    return s;
}

}  // namespace lintra
