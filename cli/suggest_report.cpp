#include "cli/suggest_report.h"

#include <algorithm>
#include <cmath>

#include "cli/png_command.h"

namespace lintra {
namespace {

constexpr std::int32_t kBarWidth = 2;
constexpr std::int32_t kPanelWidth = kDepartureBins * kBarWidth;
constexpr std::int32_t kHistogramHeight = 100;
constexpr std::int32_t kMargin = 8;
constexpr std::int32_t kPanelHeight = 2 * kHistogramHeight + 3 * kMargin;
constexpr std::int32_t kTickSteps = 16;

struct Colour {
    std::uint8_t r, g, b;
};

constexpr Colour kBackground{24, 24, 24};
constexpr Colour kAll{110, 110, 110};
constexpr Colour kLumaPattern{240, 240, 240};
constexpr Colour kChromaPattern{230, 60, 220};
constexpr Colour kThreshold{250, 220, 40};
constexpr Colour kChosen{60, 200, 90};
constexpr Colour kTick{70, 70, 70};

void fill(Picture& p, std::int32_t x0, std::int32_t y0, std::int32_t w, std::int32_t h, Colour c) {
    for (std::int32_t y = std::max(0, y0); y < std::min(p.height, y0 + h); ++y) {
        for (std::int32_t x = std::max(0, x0); x < std::min(p.width, x0 + w); ++x) {
            std::uint8_t* px =
                &p.bgrx[(static_cast<std::size_t>(y) * static_cast<std::size_t>(p.width) +
                         static_cast<std::size_t>(x)) *
                        4];
            px[0] = c.b;
            px[1] = c.g;
            px[2] = c.r;
            px[3] = 0;
        }
    }
}

std::int32_t barHeight(std::int64_t count, double logMax) {
    if (count <= 0 || logMax <= 0) return 0;
    const double h = std::log1p(static_cast<double>(count)) / logMax * kHistogramHeight;
    return std::clamp(static_cast<std::int32_t>(std::lround(h)), 1, kHistogramHeight);
}

void histogram(Picture& p, std::int32_t x0, std::int32_t y0,
               const std::array<std::int64_t, kDepartureBins>& all,
               const std::array<std::int64_t, kDepartureBins>& pattern, Colour patternColour,
               std::int32_t threshold) {
    const std::int64_t most = *std::max_element(all.begin(), all.end());
    const double logMax = std::log1p(static_cast<double>(most));
    for (std::int32_t t = 0; t < kDepartureBins; t += kTickSteps)
        fill(p, x0 + t * kBarWidth, y0 + kHistogramHeight, 1, kMargin / 2, kTick);
    for (std::int32_t b = 0; b < kDepartureBins; ++b) {
        const std::int32_t x = x0 + b * kBarWidth;
        const std::int32_t ha = barHeight(all[static_cast<std::size_t>(b)], logMax);
        const std::int32_t hp = barHeight(pattern[static_cast<std::size_t>(b)], logMax);
        fill(p, x, y0 + kHistogramHeight - ha, kBarWidth, ha, kAll);
        fill(p, x, y0 + kHistogramHeight - hp, kBarWidth, hp, patternColour);
    }
    if (threshold > 0)
        fill(p, x0 + std::min(threshold, kDepartureBins) * kBarWidth, y0, 1, kHistogramHeight,
             kThreshold);
}

void panel(Picture& p, std::int32_t x0, const DistanceStats& d, bool chosen,
           const FilterSettings& s) {
    if (chosen) {
        fill(p, x0 - 3, 0, kPanelWidth + 6, kPanelHeight, kChosen);
        fill(p, x0 - 1, 2, kPanelWidth + 2, kPanelHeight - 4, kBackground);
    }
    histogram(p, x0, kMargin, d.lumaAll, d.lumaPattern, kLumaPattern,
              chosen ? s.yVerticalThreshold : 0);
    histogram(p, x0, 2 * kMargin + kHistogramHeight, d.chromaAll, d.chromaPattern, kChromaPattern,
              chosen ? s.uvVerticalThreshold : 0);
}

void paste(Picture& p, const Picture& from, std::int32_t y0) {
    for (std::int32_t y = 0; y < from.height; ++y) {
        const std::size_t src =
            static_cast<std::size_t>(y) * static_cast<std::size_t>(from.width) * 4;
        const std::size_t dst =
            static_cast<std::size_t>(y0 + y) * static_cast<std::size_t>(p.width) * 4;
        std::copy_n(&from.bgrx[src], static_cast<std::size_t>(from.width) * 4, &p.bgrx[dst]);
    }
}

}  // namespace

Picture suggestReport(const SuggestStats& stats, const Suggestion& suggestion,
                      const Picture& sample) {
    Picture testView = sample;
    testView.alpha.clear();
    FilterSettings testSettings = suggestion.settings;
    testSettings.testMode = 1;
    const bool shown = filterPicture(testSettings, testView);
    const std::int32_t width = std::max(2 * kPanelWidth + 4 * kMargin, shown ? sample.width : 0);
    Picture out;
    resizePicture(out, width, kPanelHeight + kMargin + (shown ? sample.height : 0));
    fill(out, 0, 0, out.width, out.height, kBackground);
    for (int i = 0; i < 2; ++i) {
        const std::int32_t x0 = kMargin + i * (kPanelWidth + 2 * kMargin);
        panel(out, x0, stats.distance[i], suggestion.distance == i + 1, suggestion.settings);
    }
    if (shown) paste(out, testView, kPanelHeight + kMargin);
    return out;
}

}  // namespace lintra
