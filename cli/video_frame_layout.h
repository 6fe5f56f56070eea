#pragma once
// How the decoded frames lie on the pipe between the ffmpeg processes and lintra: packed 32-bit
// RGB (bgr0), or the planes of a planar format one after the other, rows without gaps, as
// ffmpeg's rawvideo writes them.

#include <cstddef>
#include <cstdint>

#include "engine/frame_view.h"
#include "frontend/planar_picture.h"

namespace lintra::video {

struct FrameLayout {
    std::int32_t width = 0;
    std::int32_t height = 0;
    bool packedRgb = true;      // bgr0: the filter's own frames
    planar::Format format{};    // otherwise the planes' format
    planar::Colours colours{};  // and how the filter's RGB view is made of them

    std::size_t frameBytes() const;
    // A frame in `bytes` (frameBytes() long) as a planar picture; RGB planes in R, G, B order
    // (ffmpeg's gbrp stores G, B, R).
    planar::PictureTarget picture(std::uint8_t* bytes) const;
    FrameView packed(std::uint8_t* bytes) const { return {bytes, width, height, 0}; }
};

}  // namespace lintra::video
