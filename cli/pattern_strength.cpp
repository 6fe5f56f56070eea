#include "cli/pattern_strength.h"

#include <cstdlib>

namespace lintra {

double patternStrength(const FrameView& frame, std::int32_t lineDistance) {
    const std::int32_t n = lineDistance;
    if (n < 1 || frame.width < 1 || frame.height <= 2 * n) return 0.0;
    const std::intptr_t stride = rowStride(frame);
    // Twice the component, summed exactly: |t + b - 2m|.
    std::uint64_t sum = 0;
    for (std::int32_t y = n; y < frame.height - n; ++y) {
        const std::uint8_t* m = frame.pixels + stride * y;
        const std::uint8_t* t = m - stride * n;
        const std::uint8_t* b = m + stride * n;
        for (std::int32_t i = 0; i < frame.width * 4; ++i) {
            if (i % 4 == 3) continue;
            const int twice = std::abs(t[i] + b[i] - 2 * m[i]);
            if (twice <= 2 * kLargestPatternStep) sum += static_cast<std::uint64_t>(twice);
        }
    }
    const double count = 3.0 * frame.width * (frame.height - 2 * n);
    return static_cast<double>(sum) / (2.0 * count);
}

}  // namespace lintra
