#pragma once
// `lintra suggest`: settings estimated from sample frames. For both line distances the comb
// signal is measured as the filter measures it (12-bit luma/chroma form, neighbours halved
// before the sum) and collected into statistics; the settings follow from those.

#include <array>
#include <cstdint>
#include <vector>

#include "cli/picture.h"
#include "engine/filter_settings.h"
#include "engine/frame_view.h"

namespace lintra {

// Departures are binned in whole 8-bit steps; the last bin holds everything from there on.
inline constexpr std::int32_t kDepartureBins = 256;
// Chroma departures from this size on count as evidence of a pattern: smaller ones come
// with the texture of clean pictures too.
inline constexpr std::int32_t kChromaEvidenceSteps = 8;
// Lags along the line over which the comb signal's sign is followed.
inline constexpr std::int32_t kMaxLag = 16;

// What one line distance shows, summed over the sample frames.
struct DistanceStats {
    // How many pixels depart by each whole number of steps: luma |comb|, chroma |(Cr, Cb)|.
    std::array<std::int64_t, kDepartureBins> lumaAll{};
    std::array<std::int64_t, kDepartureBins> chromaAll{};
    // The same for pixels whose comb signal alternates with both neighbours at this distance
    // at a similar size: the signature of a line pattern (an edge alternates with one only).
    std::array<std::int64_t, kDepartureBins> lumaPattern{};
    std::array<std::int64_t, kDepartureBins> chromaPattern{};
    // Products of the comb signal with itself kMaxLag pixels along the line, pattern pixels
    // only; [0] is the energy.
    std::array<double, kMaxLag + 1> lumaAlong{};
    std::array<double, kMaxLag + 1> chromaAlong{};
    std::int64_t pixels = 0;
};

struct SuggestStats {
    DistanceStats distance[2];  // [0]: adjacent lines, [1]: two apart
    std::int32_t frames = 0;
    std::int32_t width = 0;
    std::int32_t height = 0;
};

// Adds one frame (at least 5 rows; smaller ones add nothing). `work` is reused between calls.
void addSuggestFrame(const Picture& picture, SuggestStats& stats, std::vector<Triplet>& work);

// The settings and the figures behind them.
struct Suggestion {
    FilterSettings settings{};  // YUV processing, test mode off
    std::int32_t distance = 2;  // line distance chosen
    bool lumaPattern = false;   // a pattern was found in luma / chroma
    bool chromaPattern = false;
    // Shares of pixels (0..1) that look like a pattern, at distances 1 and 2: luma departing
    // by a step or more, chroma by kChromaEvidenceSteps or more.
    double lumaShare[2] = {0, 0};
    double chromaShare[2] = {0, 0};
    double lumaAmplitude = 0;    // 90 % of the luma pattern's departures are within this, steps
    double chromaAmplitude = 0;  // 99 % of the chroma pattern's departures are within this
    std::int32_t lumaRun = 0;    // pixels along the line over which the comb signal keeps its sign
    std::int32_t chromaRun = 0;
};

Suggestion suggestSettings(const SuggestStats& stats);

// The departure below which `share` (0..1) of a histogram's count lies, interpolated
// within the bin; 0 for an empty histogram.
double histogramPercentile(const std::array<std::int64_t, kDepartureBins>& bins, double share);

}  // namespace lintra
