#pragma once
// A 32-bit frame inside a larger buffer of guard bytes, with any row gap (negative too), so
// tests can check that nothing outside the frame's pixels is written.

#include <cstdint>
#include <random>
#include <vector>

#include "engine/frame_view.h"

namespace lintra::test {

inline constexpr std::uint8_t kGuard = 0xA5;

class GuardedFrame {
  public:
    // rowGap may be negative: with a negative row distance the frame runs bottom-up, its
    // pixel reference pointing at the highest row in memory. Row distances shorter than a
    // row make the rows overlap; the buffer still holds them all. The lowest pixel byte in
    // memory lies `offset` bytes past a multiple of `alignment` bytes (at most 64).
    GuardedFrame(std::int32_t width, std::int32_t height, std::int32_t rowGap = 0,
                 std::int32_t alignment = 1, std::int32_t offset = 0);

    FrameView view() const { return view_; }
    std::uint8_t* pixel(std::int32_t x, std::int32_t y) const;
    std::uint32_t get(std::int32_t x, std::int32_t y) const;
    void set(std::int32_t x, std::int32_t y, std::uint32_t v);

    void fillRandom(std::mt19937& rng);
    // True when every byte outside the pixels (margins and row gaps) still holds kGuard.
    bool guardsIntact() const;
    std::vector<std::uint32_t> pixels() const;

  private:
    std::vector<std::uint8_t> storage_;
    std::vector<bool> isPixel_;
    FrameView view_{};
};

}  // namespace lintra::test
