#pragma once
// The filter's correction carried from its 8-bit RGB frames back into the planar picture.

#include "engine/frame_view.h"
#include "frontend/planar_picture.h"

namespace lintra::planar {

// Writes output = input + the change from `before` (the RGB view of input, as makeRgbView made
// it) to `after` (what the filter made of it), carried into the picture's format:
//   yuv:  luma from each pixel's change with the colours' matrix and range; chroma from the
//         changes of the pixels each chroma sample's interpolation reaches, weighted as it
//         weighs them (the transpose of makeRgbView's interpolation, field by field where the
//         view took chroma so);
//   grey: luma as for yuv;
//   rgb:  each channel's change scaled to the depth.
// Each change is rounded to the nearest code (halves away from zero) and the sum clamped to
// 0 .. 2^depth - 1 only, so levels outside the nominal range (super-black, super-white) stay.
// Where nothing changed, output equals input exactly. Output may be input itself (same
// planes). Returns kPlanarOk, or an error code without writing anything.
int applyCorrection(const PictureView& input, const Colours& colours, const FrameView& before,
                    const FrameView& after, const PictureTarget& output, Scratch scratch);

}  // namespace lintra::planar
