#include "vapoursynth/planar_frame.h"

#include "frontend/planar_filter.h"

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
    return planar::filterPicture(entry.filter, source, colours, before, after, destination, scratch)
               ? 0
               : 1;
}

}  // namespace lintra::vs
