#pragma once
// The 8-bit RGB frame the filter works on, made from a planar picture.

#include "engine/frame_view.h"
#include "frontend/planar_picture.h"

namespace lintra::planar {

// Writes `rgb` (bytes B, G, R, 0 per pixel, the picture's size) from the picture:
//   yuv:  with the colours' matrix and range, chroma interpolated linearly to every pixel from
//         where the chroma location puts its samples (within each field when chroma is taken
//         by field), rounded to 8 bits and clamped to 0..255;
//   grey: the grey level, R = G = B;
//   rgb:  each channel scaled to 8 bits (an 8-bit picture is copied as it is).
// Samples beyond the depth's range (which a picture should not hold) are taken as its largest.
// Returns kPlanarOk, or an error code without writing anything.
int makeRgbView(const PictureView& picture, const Colours& colours, const FrameView& rgb,
                Scratch scratch);

}  // namespace lintra::planar
