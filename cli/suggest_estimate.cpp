#include "cli/suggest_estimate.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "engine/colour_constants.h"

namespace lintra {
namespace {

// A measurement, not a pixel pipeline: the comb signal is the filter's own integer one; the
// sums, shares and percentiles drawn from it are in floating point.

// The work form counts sixteenths of an 8-bit step.
constexpr std::int32_t kStep = 16;
// The rules that turn statistics into settings, chosen on the design clips of the
// comparison (scripts/compare), where clean pictures, composite decodes and moving woven
// fields (whose combing is picture, not pattern) were told apart by them:
// - chroma: a pattern when at least kChromaGate of the pixels look like one at distance 2,
//   or kAdjacentChromaGate at distance 1 while distance 2 shows none; the threshold covers
//   kChromaCovered of its departures, times kChromaMargin: cross-colour's strongest parts
//   are what is worth removing, and a vertical chroma average costs decoded chroma little;
// - luma: a pattern only where much of the picture shows one, kLumaGate at distance 2 and
//   kAdjacentLumaGate at distance 1 (a comb decoder's hanging dots and a notch decoder's
//   residue gained nothing when filtered, and moving woven fields comb a third of a
//   picture), the threshold covering kLumaCovered of its departures;
// - the line distance is two (woven fields) unless only adjacent lines show a pattern.
constexpr double kChromaGate = 0.02;
constexpr double kAdjacentChromaGate = 0.10;
constexpr double kLumaGate = 0.25;
constexpr double kAdjacentLumaGate = 0.5;
constexpr double kChromaCovered = 0.99;
constexpr double kChromaMargin = 1.5;
constexpr double kLumaCovered = 0.9;
constexpr double kKeptCorrelation = 0.5;
constexpr std::int32_t kMaxThreshold = 255;
constexpr std::int32_t kMaxLength = 31;

std::int32_t departureBin(std::int64_t sixteenths) {
    return static_cast<std::int32_t>(
        std::min<std::int64_t>(sixteenths / kStep, kDepartureBins - 1));
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
                const std::int32_t v =
                    (ycc[i - gap].c[k] >> 1) + (ycc[i + gap].c[k] >> 1) - ycc[i].c[k];
                comb[i].c[k] = static_cast<std::int16_t>(v);
            }
        }
    }
}

void addAlong(const Triplet* row, std::int32_t x, std::int32_t w, DistanceStats& s, bool luma,
              bool chroma) {
    const std::int32_t last = std::min(kMaxLag, w - 1 - x);
    for (std::int32_t lag = 0; lag <= last; ++lag) {
        if (luma)
            s.lumaAlong[static_cast<std::size_t>(lag)] += row[x].c[0] * row[x + lag].c[0] / 256.0;
        if (chroma)
            s.chromaAlong[static_cast<std::size_t>(lag)] +=
                static_cast<double>(chromaDot(row[x], row[x + lag])) / 256.0;
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

double shareFrom(const std::array<std::int64_t, kDepartureBins>& bins, std::int32_t from,
                 std::int64_t pixels) {
    if (pixels <= 0) return 0;
    std::int64_t count = 0;
    for (std::size_t b = static_cast<std::size_t>(from); b < bins.size(); ++b) count += bins[b];
    return static_cast<double>(count) / static_cast<double>(pixels);
}

// 2 or 1 when the shares show a pattern at that distance, else 0.
int patternDistance(const double share[2], double gate, double adjacentGate) {
    if (share[1] >= gate) return 2;
    if (share[0] >= adjacentGate) return 1;
    return 0;
}

std::int32_t thresholdFor(double amplitude, double margin) {
    return std::clamp(static_cast<std::int32_t>(std::ceil(amplitude * margin)), 1, kMaxThreshold);
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
        if (here > 0 && below + here >= target)
            return static_cast<double>(b) + (target - below) / here;
        below += here;
    }
    return static_cast<double>(bins.size());
}

Suggestion suggestSettings(const SuggestStats& stats) {
    Suggestion s;
    setDefaults(s.settings);
    for (int i = 0; i < 2; ++i) {
        const DistanceStats& d = stats.distance[i];
        s.lumaShare[i] = shareFrom(d.lumaPattern, 1, d.pixels);
        s.chromaShare[i] = shareFrom(d.chromaPattern, kChromaEvidenceSteps, d.pixels);
    }
    const int chromaAt = patternDistance(s.chromaShare, kChromaGate, kAdjacentChromaGate);
    const int lumaAt = patternDistance(s.lumaShare, kLumaGate, kAdjacentLumaGate);
    s.distance = chromaAt != 0 ? chromaAt : (lumaAt != 0 ? lumaAt : 2);
    const DistanceStats& chosen = stats.distance[s.distance - 1];
    FilterSettings& f = s.settings;
    f.interlaced = s.distance == 2 ? 1 : 0;
    s.chromaPattern = chromaAt != 0;
    s.lumaPattern = lumaAt == s.distance;
    s.lumaRun = keptRun(chosen.lumaAlong);
    s.chromaRun = keptRun(chosen.chromaAlong);
    std::int32_t lumaThreshold = 0, chromaThreshold = 0;
    if (s.chromaPattern) {
        s.chromaAmplitude = histogramPercentile(chosen.chromaPattern, kChromaCovered);
        chromaThreshold = thresholdFor(s.chromaAmplitude, kChromaMargin);
    }
    if (s.lumaPattern) {
        s.lumaAmplitude = histogramPercentile(chosen.lumaPattern, kLumaCovered);
        lumaThreshold = thresholdFor(s.lumaAmplitude, 1.0);
        f.yAverage = lengthForRun(s.lumaRun);
    }
    f.yVerticalThreshold = f.yHorizontalThreshold = lumaThreshold;
    f.uvVerticalThreshold = f.uvHorizontalThreshold = chromaThreshold;
    f.yCoefficient = averagingCoefficient(f.yAverage);
    f.uvCoefficient = averagingCoefficient(f.uvAverage);
    return s;
}

}  // namespace lintra
