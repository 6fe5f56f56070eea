#include "frontend/planar_filter.h"

#include "engine/frame_driver.h"
#include "frontend/planar_correction.h"
#include "frontend/planar_rgb_view.h"

namespace lintra::planar {

bool filterPicture(FilterInstance& instance, const PictureView& input, const Colours& colours,
                   const FrameView& before, const FrameView& after, const PictureTarget& output,
                   Scratch scratch) {
    return makeRgbView(input, colours, before, scratch) == kPlanarOk &&
           runFrame(instance, before, after) == 0 &&
           applyCorrection(input, colours, before, after, output, scratch) == kPlanarOk;
}

}  // namespace lintra::planar
