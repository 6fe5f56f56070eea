// The band kernels at the avx2 level; this file alone is compiled with its flags.

#include "engine/x86/band_frame.h"
#include "engine/x86/ops_avx2.h"

namespace lintra::x86 {

const SimdKernels& kernelsAvx2() {
    return kernelTable<Avx2Ops>();
}

}  // namespace lintra::x86
