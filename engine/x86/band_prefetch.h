#pragma once
// Reading the next band's source rows ahead, a few cache lines at a time spread over the
// current band's work. A band's first reads of its new source rows would otherwise wait on
// memory with nothing else to do; spread out, the fetches overlap the passes, and fetching
// them all at once would only stall on the processor's limit of lines in flight.

#include <cstddef>
#include <cstdint>

namespace lintra::x86 {
namespace {

class ReadAhead {
  public:
    // Rows [first, end) of the source (clipped to its height), over `work` units of progress.
    ReadAhead(const std::uint8_t* source, std::ptrdiff_t stride, std::int32_t width,
              std::int32_t height, std::int32_t first, std::int32_t end, std::int64_t work)
        : source_(source),
          stride_(stride),
          linesPerRow_((4 * width + 63) / 64),
          row_(first),
          work_(work > 0 ? work : 1) {
        const std::int32_t last = end < height ? end : height;
        total_ = last > first ? static_cast<std::int64_t>(last - first) * linesPerRow_ : 0;
        // Lines per unit of work in 32.32 fixed point, so that a step costs no division. A
        // band covers fewer than 2^26 lines, so every product below fits 64 bits.
        rate_ = (static_cast<std::uint64_t>(total_) << 32) / static_cast<std::uint64_t>(work_);
    }

    // `units` more of the work done: fetch the lines due by now.
    void advance(std::int64_t units) {
        done_ += units;
        const std::int64_t due =
            done_ >= work_
                ? total_
                : static_cast<std::int64_t>((static_cast<std::uint64_t>(done_) * rate_) >> 32);
        for (; issued_ < due; ++issued_) {
            __builtin_prefetch(source_ + row_ * stride_ + 64 * line_, 0, 3);
            if (++line_ == linesPerRow_) {
                line_ = 0;
                ++row_;
            }
        }
    }

  private:
    const std::uint8_t* source_;
    std::ptrdiff_t stride_;
    std::int32_t linesPerRow_;
    std::int32_t row_;
    std::int32_t line_ = 0;
    std::int64_t work_;
    std::int64_t total_ = 0;
    std::uint64_t rate_ = 0;
    std::int64_t done_ = 0;
    std::int64_t issued_ = 0;
};

}  // namespace
}  // namespace lintra::x86
