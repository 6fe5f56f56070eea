#pragma once
// The picture `lintra suggest --report` writes: the departure histograms of both line
// distances and the test-mode picture of a sample frame.

#include <string>

#include "cli/picture.h"
#include "cli/suggest_estimate.h"

namespace lintra {

// Left panel: adjacent lines, right panel: lines two apart; the chosen distance framed in
// green. In each panel luma above, chroma below: one bar per 8-bit step of departure (0 at
// the left, kDepartureBins - 1 and above at the right), counts on a log scale, all pixels
// in grey, pixels that look like a pattern in white (luma) or magenta (chroma); the
// suggested threshold as a yellow line, a tick every 8 steps. Below: `sample` in test mode
// with the suggested settings.
Picture suggestReport(const SuggestStats& stats, const Suggestion& suggestion,
                      const Picture& sample);

}  // namespace lintra
