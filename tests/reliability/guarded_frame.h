#pragma once
// A frame placed inside a buffer of guard bytes: its rows wherever the row gap puts them
// (bottom-up for negative distances), and one row distance plus a margin of guards on each
// side, since row pointers step once past the last row. Comparing whole buffers checks the
// pixels, the row gaps and the margins at once.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "engine/frame_view.h"

namespace lintra::testing {

inline constexpr std::uint8_t kGuardByte = 0xA5;

struct GuardedFrame {
    std::vector<std::uint8_t> bytes;
    std::ptrdiff_t origin = 0;  // offset of the pixel reference
    std::int32_t width = 0;
    std::int32_t height = 0;
    std::int32_t rowGap = 0;

    FrameView view() { return FrameView{bytes.data() + origin, width, height, rowGap}; }
};

inline GuardedFrame guardedFrame(std::int32_t width, std::int32_t height, std::int32_t rowGap) {
    const std::int64_t rowBytes = std::int64_t{std::max(width, 0)} * 4;
    const std::int64_t stride = rowBytes + rowGap;
    const std::int64_t rows = std::max(height, 0);
    const std::int64_t last = rows > 0 ? (rows - 1) * stride : 0;
    const std::int64_t low = std::min<std::int64_t>(0, last);
    const std::int64_t high = rows > 0 ? std::max<std::int64_t>(0, last) + rowBytes : 0;
    const std::int64_t guard = (stride < 0 ? -stride : stride) + 64;
    GuardedFrame f;
    f.bytes.assign(static_cast<std::size_t>(high - low + 2 * guard), kGuardByte);
    f.origin = static_cast<std::ptrdiff_t>(guard - low);
    f.width = width;
    f.height = height;
    f.rowGap = rowGap;
    return f;
}

// The same frame seen with a narrower width: the rows stay where they are, so the part of each
// row beyond the new width is added to the gap.
inline FrameView narrowedView(GuardedFrame& f, std::int32_t width, std::int32_t height) {
    const auto gap = static_cast<std::int32_t>((std::int64_t{f.width} - width) * 4 + f.rowGap);
    return FrameView{f.bytes.data() + f.origin, width, height, gap};
}

}  // namespace lintra::testing
