#pragma once
// One filter instance of lintra video with what it needs per frame, sized once: the RGB view of
// a planar frame, the filtered view, and the scratch that carries the correction back.

#include <cstdint>
#include <string>
#include <vector>

#include "cli/video_frame_layout.h"
#include "engine/cpu_level.h"
#include "engine/filter_instance.h"
#include "engine/filter_settings.h"

namespace lintra::video {

class FrameFilter {
  public:
    FrameFilter() = default;
    FrameFilter(const FrameFilter&) = delete;
    FrameFilter& operator=(const FrameFilter&) = delete;
    ~FrameFilter() { end(); }

    // False with a message when memory runs short.
    bool start(const FrameLayout& layout, const FilterSettings& settings, CpuLevel cap,
               std::string& error);
    // Filters one frame (frameBytes() long) in place. False when the frame is refused.
    bool filter(std::uint8_t* frame);
    void end();

  private:
    FrameLayout layout_;
    FilterInstance instance_{};
    bool running_ = false;
    std::vector<std::uint8_t> before_;
    std::vector<std::uint8_t> after_;
    std::vector<std::int32_t> scratch_;
};

}  // namespace lintra::video
