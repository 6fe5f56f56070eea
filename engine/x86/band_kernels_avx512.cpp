// The vector kernels at the avx512 level; this file alone is compiled with its flags. Frames
// in normal mode take the column kernels (column_frame.h, column_rgb.h), test mode the bands.

#include "engine/x86/band_frame.h"
#include "engine/x86/column_frame.h"
#include "engine/x86/column_rgb.h"
#include "engine/x86/ops_avx512.h"
#include "engine/x86/rgb_test_strips.h"

namespace lintra::x86 {

const SimdKernels& kernelsAvx512() {
    static const SimdKernels kernels = [] {
        SimdKernels k = kernelTable<Avx512Ops>();
        k.scratchBytes = &columnScratchBytesT<Avx512Ops>;
        k.filterYcc =
            &normalModeInColumns<YccParams, &filterYccColumnsT<Avx512Ops>, &filterYccT<Avx512Ops>>;
        k.filterRgb = &filterRgbColumnsOrStripsT<Avx512Ops>;
        return k;
    }();
    return kernels;
}

}  // namespace lintra::x86
