#include "tests/support/guarded_frame.h"

#include <cstdlib>

namespace lintra::test {
namespace {
constexpr std::intptr_t kMargin = 64;
}

GuardedFrame::GuardedFrame(std::int32_t width, std::int32_t height, std::int32_t rowGap,
                           std::int32_t alignment, std::int32_t offset) {
    const std::intptr_t rowBytes = std::intptr_t{width} * 4;
    const std::intptr_t stride = rowBytes + rowGap;
    const std::intptr_t span = height > 0 ? std::abs(stride) * (height - 1) + rowBytes : 0;
    storage_.assign(static_cast<std::size_t>(span + 3 * kMargin), kGuard);
    isPixel_.assign(storage_.size(), false);
    const auto align = static_cast<std::uintptr_t>(alignment < 1 ? 1 : alignment);
    const std::uintptr_t address = reinterpret_cast<std::uintptr_t>(storage_.data()) + kMargin;
    const std::uintptr_t past = static_cast<std::uintptr_t>(offset < 0 ? 0 : offset) % align;
    const std::intptr_t lowest =
        kMargin + static_cast<std::intptr_t>((align + past - address % align) % align);
    // With a negative row distance the first row is the highest in memory.
    const std::intptr_t first = stride < 0 ? lowest + span - rowBytes : lowest;
    view_ = FrameView{storage_.data() + first, width, height, rowGap};
    for (std::int32_t y = 0; y < height; ++y) {
        for (std::intptr_t b = 0; b < rowBytes; ++b) {
            isPixel_[static_cast<std::size_t>(first + y * stride + b)] = true;
        }
    }
}

std::uint8_t* GuardedFrame::pixel(std::int32_t x, std::int32_t y) const {
    return view_.pixels + y * rowStride(view_) + std::intptr_t{x} * 4;
}

std::uint32_t GuardedFrame::get(std::int32_t x, std::int32_t y) const {
    const std::uint8_t* p = pixel(x, y);
    return std::uint32_t{p[0]} | std::uint32_t{p[1]} << 8 | std::uint32_t{p[2]} << 16 |
           std::uint32_t{p[3]} << 24;
}

void GuardedFrame::set(std::int32_t x, std::int32_t y, std::uint32_t v) {
    std::uint8_t* p = pixel(x, y);
    for (int i = 0; i < 4; ++i) p[i] = static_cast<std::uint8_t>(v >> (8 * i));
}

void GuardedFrame::fillRandom(std::mt19937& rng) {
    for (std::int32_t y = 0; y < view_.height; ++y) {
        for (std::int32_t x = 0; x < view_.width; ++x) set(x, y, static_cast<std::uint32_t>(rng()));
    }
}

bool GuardedFrame::guardsIntact() const {
    for (std::size_t i = 0; i < storage_.size(); ++i) {
        if (!isPixel_[i] && storage_[i] != kGuard) return false;
    }
    return true;
}

std::vector<std::uint32_t> GuardedFrame::pixels() const {
    std::vector<std::uint32_t> out;
    for (std::int32_t y = 0; y < view_.height; ++y) {
        for (std::int32_t x = 0; x < view_.width; ++x) out.push_back(get(x, y));
    }
    return out;
}

}  // namespace lintra::test
