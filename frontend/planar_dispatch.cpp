#include "engine/cpu_level.h"
#include "frontend/planar_correction.h"
#include "frontend/planar_levels.h"
#include "frontend/planar_rgb_view.h"

namespace lintra::planar {

bool avx2Available() {
#if defined(LINTRA_PLANAR_HAVE_AVX2)
    static const bool available =
        static_cast<std::int32_t>(detectCpuLevel()) >= static_cast<std::int32_t>(CpuLevel::avx2);
    return available;
#else
    return false;
#endif
}

int makeRgbView(const PictureView& picture, const Colours& colours, const FrameView& rgb,
                Scratch scratch) {
#if defined(LINTRA_PLANAR_HAVE_AVX2)
    if (avx2Available()) return avx2::makeRgbView(picture, colours, rgb, scratch);
#endif
    return portable::makeRgbView(picture, colours, rgb, scratch);
}

int applyCorrection(const PictureView& input, const Colours& colours, const FrameView& before,
                    const FrameView& after, const PictureTarget& output, Scratch scratch) {
#if defined(LINTRA_PLANAR_HAVE_AVX2)
    if (avx2Available())
        return avx2::applyCorrection(input, colours, before, after, output, scratch);
#endif
    return portable::applyCorrection(input, colours, before, after, output, scratch);
}

}  // namespace lintra::planar
