#pragma once
// What every planar function checks before touching memory, and row access to the planes.

#include <cstdint>

#include "engine/frame_view.h"
#include "frontend/planar_picture.h"

namespace lintra::planar {

// The helpers below have internal linkage: these headers are compiled into the AVX2 forms
// too, and no other translation unit may end up with those copies.

// kPlanarOk, kPlanarBadFormat or kPlanarBadGeometry.
int checkPicture(const PictureView& picture);
// The RGB frame matches the picture's size and has its pixels.
bool frameFits(const FrameView& frame, const PictureView& picture);
// The target has the picture's format and size and planes wherever the picture has them.
bool targetFits(const PictureTarget& target, const PictureView& picture);

template <typename Sample>
static const Sample* sampleRow(const PictureView& picture, int plane, std::int32_t y) {
    return reinterpret_cast<const Sample*>(picture.planes[plane] + y * picture.strides[plane]);
}

template <typename Sample>
static Sample* sampleRow(const PictureTarget& target, int plane, std::int32_t y) {
    return reinterpret_cast<Sample*>(target.planes[plane] + y * target.strides[plane]);
}

static inline std::uint8_t* pixelRow(const FrameView& frame, std::int32_t y) {
    return frame.pixels + y * rowStride(frame);
}

}  // namespace lintra::planar
