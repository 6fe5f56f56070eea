#pragma once
// The planar conversions in their plain fixed-point form, kept as the reference the library's
// faster versions must match byte for byte.

#include "engine/frame_view.h"
#include "frontend/planar_picture.h"

namespace lintra::planar::straight {

int rgbView(const PictureView& picture, const Colours& colours, const FrameView& rgb);
int correction(const PictureView& input, const Colours& colours, const FrameView& before,
               const FrameView& after, const PictureTarget& output);

}  // namespace lintra::planar::straight
