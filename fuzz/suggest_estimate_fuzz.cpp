// lintra suggest's estimator on any pixels of any small size, one to three frames (sizes
// may differ between frames): the settings it gives are within what the options can set,
// and the report picture is made without reading or writing out of bounds.

#include <fuzzer/FuzzedDataProvider.h>

#include <cstdint>
#include <vector>

#include "cli/suggest_estimate.h"
#include "cli/suggest_report.h"
#include "fuzz/settings_checks.h"

namespace {

using lintra::fuzzing::check;

lintra::Picture pickPicture(FuzzedDataProvider& in) {
    lintra::Picture p;
    const auto w = in.ConsumeIntegralInRange<std::int32_t>(1, 48);
    const auto h = in.ConsumeIntegralInRange<std::int32_t>(1, 48);
    lintra::resizePicture(p, w, h);
    const std::vector<std::uint8_t> bytes = in.ConsumeBytes<std::uint8_t>(p.bgrx.size());
    std::copy(bytes.begin(), bytes.end(), p.bgrx.begin());
    return p;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider in(data, size);
    lintra::SuggestStats stats;
    std::vector<lintra::Triplet> work;
    const int frames = in.ConsumeIntegralInRange<int>(1, 3);
    lintra::Picture first;
    for (int i = 0; i < frames; ++i) {
        lintra::Picture p = pickPicture(in);
        lintra::addSuggestFrame(p, stats, work);
        if (i == 0) first = p;
    }
    const lintra::Suggestion s = lintra::suggestSettings(stats);
    const lintra::FilterSettings& f = s.settings;
    check(s.distance == 1 || s.distance == 2, "line distance 1 or 2");
    check(f.interlaced == (s.distance == 2 ? 1 : 0), "interlaced follows the distance");
    check(f.yVerticalThreshold >= 0 && f.yVerticalThreshold <= 255, "luma threshold in range");
    check(f.uvVerticalThreshold >= 0 && f.uvVerticalThreshold <= 255, "chroma threshold in range");
    check(f.yHorizontalThreshold == f.yVerticalThreshold, "one luma threshold");
    check(f.uvHorizontalThreshold == f.uvVerticalThreshold, "one chroma threshold");
    check(f.yAverage >= 1 && f.yAverage <= 31 && f.uvAverage >= 1 && f.uvAverage <= 31, "lengths");
    check(f.testMode == 0 && f.rgbProcessing == 0, "YUV processing, no test mode");
    const lintra::Picture report = lintra::suggestReport(stats, s, first);
    check(report.bgrx.size() ==
              static_cast<std::size_t>(report.width) * static_cast<std::size_t>(report.height) * 4,
          "report picture complete");
    return 0;
}
