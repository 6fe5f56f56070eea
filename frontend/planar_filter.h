#pragma once
// A planar picture through the engine, which filters 8-bit RGB: its RGB view filtered, and only
// the change the filter made carried back into the picture's own format. lintra video and the
// VapourSynth plug-in filter their Y'CbCr frames this way.

#include "engine/filter_instance.h"
#include "frontend/planar_picture.h"

namespace lintra::planar {

// Makes the view of `input` in `before`, filters it with the instance's run into `after`, and
// writes input + the change into `output` (which may be `input` itself). True when every step
// took the frame; `before` and `after` are frames of the picture's size.
bool filterPicture(FilterInstance& instance, const PictureView& input, const Colours& colours,
                   const FrameView& before, const FrameView& after, const PictureTarget& output,
                   Scratch scratch);

}  // namespace lintra::planar
