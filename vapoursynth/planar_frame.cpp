#include "vapoursynth/planar_frame.h"

#include "engine/frame_driver.h"
#include "frontend/planar_correction.h"
#include "frontend/planar_rgb_view.h"

namespace lintra::vs {

int filterPlanar(WorkEntry& entry, const planar::PictureView& source,
                 const planar::Colours& colours, const planar::PictureTarget& destination) {
    const auto bytes =
        static_cast<std::uint64_t>(source.width) * static_cast<std::uint64_t>(source.height) * 4;
    if (source.width <= 0 || source.height <= 0 || bytes > entry.packedSource.size() ||
        bytes > entry.packedResult.size()) {
        return 1;
    }
    const FrameView before{entry.packedSource.data(), source.width, source.height, 0};
    const FrameView after{entry.packedResult.data(), source.width, source.height, 0};
    const planar::Scratch scratch{entry.planarScratch.data(), entry.planarScratch.size()};
    if (planar::makeRgbView(source, colours, before, scratch) != planar::kPlanarOk ||
        runFrame(entry.filter, before, after) != 0) {
        return 1;
    }
    return planar::applyCorrection(source, colours, before, after, destination, scratch) ==
                   planar::kPlanarOk
               ? 0
               : 1;
}

}  // namespace lintra::vs
