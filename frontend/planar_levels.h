#pragma once
// The planar functions at each instruction-set level this build has, for the dispatch and for
// the tests that compare them. Every level gives the same bytes; use planar_rgb_view.h and
// planar_correction.h, which choose the best level the processor has.

#include "engine/frame_view.h"
#include "frontend/planar_picture.h"

namespace lintra::planar {

namespace portable {
int makeRgbView(const PictureView& picture, const Colours& colours, const FrameView& rgb,
                Scratch scratch);
int applyCorrection(const PictureView& input, const Colours& colours, const FrameView& before,
                    const FrameView& after, const PictureTarget& output, Scratch scratch);
}  // namespace portable

namespace avx2 {
int makeRgbView(const PictureView& picture, const Colours& colours, const FrameView& rgb,
                Scratch scratch);
int applyCorrection(const PictureView& input, const Colours& colours, const FrameView& before,
                    const FrameView& after, const PictureTarget& output, Scratch scratch);
}  // namespace avx2

// True when this build has the AVX2 forms and the processor runs them.
bool avx2Available();

}  // namespace lintra::planar
