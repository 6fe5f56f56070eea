#include "cli/video_frame_filter.h"

#include <cstring>
#include <new>

#include "engine/frame_driver.h"
#include "frontend/planar_filter.h"

namespace lintra::video {

bool FrameFilter::start(const FrameLayout& layout, const FilterSettings& settings, CpuLevel cap,
                        std::string& error) {
    layout_ = layout;
    instance_ = FilterInstance{};
    instance_.settings = settings;
    error = "not enough memory for the filter's work planes";
    if (startRun(instance_, FrameView{nullptr, layout.width, layout.height, 0}, cap) != 0) {
        endRun(instance_);
        return false;
    }
    running_ = true;
    try {
        const std::size_t bytes =
            static_cast<std::size_t>(layout.width) * static_cast<std::size_t>(layout.height) * 4;
        after_.resize(bytes);
        if (layout.packedRgb) return true;
        before_.resize(bytes);
        scratch_.resize(planar::planarScratchCount(layout.width));
    } catch (const std::bad_alloc&) {
        end();
        return false;
    }
    return true;
}

bool FrameFilter::filter(std::uint8_t* frame) {
    if (!running_) return false;
    if (layout_.packedRgb) {
        // Into a frame of its own and copied back: the engine filters a frame in place only
        // by a much slower way.
        const FrameView after = layout_.packed(after_.data());
        if (runFrame(instance_, layout_.packed(frame), after) != 0) return false;
        std::memcpy(frame, after_.data(), after_.size());
        return true;
    }
    const planar::PictureTarget picture = layout_.picture(frame);
    return planar::filterPicture(instance_, planar::viewOf(picture), layout_.colours,
                                 layout_.packed(before_.data()), layout_.packed(after_.data()),
                                 picture, planar::Scratch{scratch_.data(), scratch_.size()});
}

void FrameFilter::end() {
    if (running_) endRun(instance_);
    running_ = false;
}

}  // namespace lintra::video
