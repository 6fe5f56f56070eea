#pragma once
// Y'CbCr, grey and deeper RGB frames through the engine, which filters 8-bit RGB: the frame's
// RGB view is filtered, and only the change the filter made is carried back into the frame's
// own format, so that what the filter leaves alone comes through untouched.

#include "frontend/planar_picture.h"
#include "vapoursynth/work_pool.h"

namespace lintra::vs {

// Filters one frame of the pool's size with the entry's settings into `destination` (the
// source's format and size). Returns 0; 1 when a frame does not fit the entry or the planar
// code refuses it (the destination is then not written).
int filterPlanar(WorkEntry& entry, const planar::PictureView& source,
                 const planar::Colours& colours, const planar::PictureTarget& destination);

}  // namespace lintra::vs
