#include "cli/video_frame_layout.h"

namespace lintra::video {
namespace {

struct PlaneSizes {
    std::size_t width[3] = {};
    std::size_t height[3] = {};
    int count = 0;
    std::size_t sampleBytes = 1;
};

PlaneSizes planeSizes(const FrameLayout& l) {
    PlaneSizes p;
    const planar::Format& f = l.format;
    p.count = f.family == planar::Family::grey ? 1 : 3;
    p.sampleBytes = f.bitDepth > 8 ? 2 : 1;
    for (int i = 0; i < p.count; ++i) {
        const bool chroma = i > 0 && f.family == planar::Family::yuv;
        const std::int32_t sw = chroma ? f.subsamplingW : 0, sh = chroma ? f.subsamplingH : 0;
        p.width[i] = static_cast<std::size_t>((l.width + (1 << sw) - 1) >> sw);
        p.height[i] = static_cast<std::size_t>((l.height + (1 << sh) - 1) >> sh);
    }
    return p;
}

}  // namespace

std::size_t FrameLayout::frameBytes() const {
    if (packedRgb) return static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * 4;
    const PlaneSizes p = planeSizes(*this);
    std::size_t bytes = 0;
    for (int i = 0; i < p.count; ++i) bytes += p.width[i] * p.height[i] * p.sampleBytes;
    return bytes;
}

planar::PictureTarget FrameLayout::picture(std::uint8_t* bytes) const {
    const PlaneSizes p = planeSizes(*this);
    planar::PictureTarget t{};
    t.width = width;
    t.height = height;
    t.format = format;
    // Stored order to our order: ffmpeg keeps RGB as G, B, R.
    const int order[3] = {format.family == planar::Family::rgb ? 1 : 0,
                          format.family == planar::Family::rgb ? 2 : 1,
                          format.family == planar::Family::rgb ? 0 : 2};
    std::size_t offset = 0;
    for (int stored = 0; stored < p.count; ++stored) {
        const int plane = p.count == 1 ? 0 : order[stored];
        t.planes[plane] = bytes + offset;
        t.strides[plane] = static_cast<std::ptrdiff_t>(p.width[stored] * p.sampleBytes);
        offset += p.width[stored] * p.height[stored] * p.sampleBytes;
    }
    return t;
}

}  // namespace lintra::video
