#pragma once
// Conversion between 32-bit frames and the 12-bit (Y, Cr, Cb) work form.

#include "engine/frame_view.h"

namespace lintra {

void rgbToYcc(const FrameView& source, WorkPlane* plane);
void yccToRgb(const WorkPlane* plane, const FrameView& destination);

}  // namespace lintra
