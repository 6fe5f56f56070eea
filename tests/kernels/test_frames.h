#pragma once
// Frames for the kernel comparisons: guarded buffers, generated content and settings.

#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "engine/cpu_level.h"
#include "engine/filter_settings.h"
#include "engine/frame_view.h"

namespace lintra::testing {

inline constexpr std::uint8_t kGuard = 0xA5;

// A frame inside a larger buffer: margins before and after and the row gaps are filled with
// guard bytes, which no filter may touch. A negative row gap makes the rows run backwards.
class GuardedFrame {
  public:
    GuardedFrame(std::int32_t width, std::int32_t height, std::int32_t rowGap);
    FrameView view() const { return view_; }
    // True when every byte outside the pixels still holds the guard value.
    bool guardsIntact() const;
    // The pixels only, row by row, as 0xAARRGGBB words.
    std::vector<std::uint32_t> pixels() const;
    void setPixel(std::int32_t x, std::int32_t y, std::uint32_t value);

  private:
    std::vector<std::uint8_t> bytes_;
    FrameView view_{};
    std::size_t firstRowOffset_ = 0;
};

// Content the filter changes: bars and gradients with a small line-alternating pattern and
// noise; or plain random bytes (byte 3 random too).
enum class Content { pattern, random };
void fillFrame(GuardedFrame& frame, Content content, std::mt19937& rng);

// Settings across the whole range a script line or the engine API can carry.
FilterSettings randomSettings(std::mt19937& rng);
std::string describe(const FilterSettings& s);

// scalar up to the best level this machine has.
std::vector<CpuLevel> availableLevels();

}  // namespace lintra::testing
